#include "platform/sqlite/sqliteform.h"

#include <filesystem>

#include "platform/formvalue.h"
#include "platform/sqlite/sqlitedataset.h"

namespace zorvik {

void addSqliteClasses(TFormLoader& Loader, const std::string& FormFolder) {
    Loader.addClass(
        "TSqliteDataSet", [](TComponent& owner, TComponent*) { return new TSqliteDataSet(&owner); },
        [FormFolder](TComponent& c, const TFormObject& o, TFormLoader& l, std::string& e) {
            auto& ds = static_cast<TSqliteDataSet&>(c);
            for (const TFormProperty& p : o.properties) {
                std::string s;
                if (sameIdent(p.path, "DatabaseName")) {
                    if (!l.string(p, s, e)) return false;
                    const std::filesystem::path path(s);
                    ds.SetDatabaseName(path.is_relative() && !s.empty() && !FormFolder.empty()
                                           ? (std::filesystem::path(FormFolder) / path).string()
                                           : s);
                } else if (sameIdent(p.path, "SQL.Text")) {
                    if (!l.string(p, s, e)) return false;
                    ds.SetSQL(s);
                } else if (sameIdent(p.path, "SQL.Strings")) {
                    if (!l.strings(p, s, e)) return false;
                    ds.SetSQL(s);
                } else {
                    return l.unknown(p, "TSqliteDataSet", e);
                }
            }
            ds.Loaded();
            return true;
        });
}

}  // namespace zorvik
