#include "cli/report.h"

#include <cmath>
#include <filesystem>
#include <memory>
#include <set>
#include <vector>

#include "cli/output.h"
#include "cli/session.h"
#include "cli/vector.h"
#include "control/zorvik.h"
#include "platform/documentprinter.h"
#include "platform/formloader.h"
#include "platform/formvalue.h"
#include "platform/forms.h"
#include "platform/headless.h"
#include "platform/report.h"
#include "platform/reportform.h"
#include "platform/sqlite/sqliteform.h"
#include "platform/sqlite/sqlitedataset.h"
#include "platform/vector.h"
#include "report/qr2zorvik.h"
#include "report/reportform.h"

namespace zorvik::cli {

namespace {

constexpr int kMaxPaints = 64;

// Finds the report to print: the one called Name, or the first.
TQuickRep* chooseReport(const TFormLoader& loader, const std::string& file, const std::string& name,
                        std::string& error) {
    for (const TFormLoader::Loaded& l : loader.loaded()) {
        auto* report = dynamic_cast<TQuickRep*>(l.component);
        if (name.empty() && report != nullptr) return report;
        if (!name.empty() && sameIdent(l.component->Name(), name)) {
            if (report != nullptr) return report;
            error = file + ":" + std::to_string(l.object->line) + ": '" + l.component->Name() + "' is a " +
                    l.object->className + ", not a TQuickRep";
            return nullptr;
        }
    }
    error = name.empty() ? file + ": the file holds no TQuickRep" : file + ": the file holds no report called '" + name + "'";
    return nullptr;
}

// What the printing of one band found wrong with its barcodes.
struct Checks {
    std::vector<std::string> messages;  // shown by the render pipeline since the last clear
    std::int64_t failed = 0;
    bool invisible = false;
    std::set<std::pair<std::int64_t, std::string>> said;

    void say(std::int64_t record, const std::string& text) {
        if (!said.insert({record, text}).second) return;
        printError(record > 0 ? "record " + std::to_string(record) + ": " + text : text);
    }
};

}  // namespace

int runReport(const ReportOptions& o) {
    VectorFormat format;
    if (!vectorFormatOf(o.output, format) || format == VectorFormat::Svg) {
        printError("cannot print a report to '" + o.output + "': use a name ending in .pdf or .ps");
        return kExitUsage;
    }
    std::vector<TFormObject> roots;
    std::string error;
    if (!readForm(o.form, roots, error)) {
        printError(error);
        return kExitUsage;
    }

    Checks checks;
    auto previous = Application().setMessageHandler([&](const std::string& text, const std::string&, int) {
        checks.messages.push_back(text);
        return IDOK;
    });
    struct Restore {
        TApplication::MessageHandler& handler;
        ~Restore() { Application().setMessageHandler(std::move(handler)); }
    } restore{previous};

    // The host is made first so that it outlives the controls it paints.
    HeadlessHost host;
    TComponent form(nullptr);
    TFormLoader loader;
    addReportClasses(loader);
    addZorvikClasses(loader);
    addSqliteClasses(loader, std::filesystem::path(o.form).parent_path().string());
    if (!loader.load(roots, o.form, form, error)) {
        printError(error);
        return kExitUsage;
    }
    TQuickRep* report = chooseReport(loader, o.form, o.name, error);
    if (report == nullptr) {
        printError(error);
        return kExitUsage;
    }
    if (!o.db.empty() || !o.sql.empty()) {
        auto* sqlite = dynamic_cast<TSqliteDataSet*>(report->DataSet());
        if (sqlite == nullptr) {
            printError("--db and --sql replace the database and query of the report's TSqliteDataSet, and the report '" +
                       report->Name() + "' has none");
            return kExitUsage;
        }
        if (!o.db.empty()) sqlite->SetDatabaseName(o.db);
        if (!o.sql.empty()) sqlite->SetSQL(o.sql);
    }
    const TQRPage& page = report->Page();
    if (page.Width / 25.4L * 72 > kMaxPagePoints || page.Length / 25.4L * 72 > kMaxPagePoints) {
        printError("the page is too large: PDF and PostScript pages are at most 5080 mm a side");
        return kExitUsage;
    }
    const int pageWidth = static_cast<int>(std::lround(page.Width * o.dpi / 25.4L));
    const int pageHeight = static_cast<int>(std::lround(page.Length * o.dpi / 25.4L));
    if (pageWidth < 1 || pageHeight < 1) {
        printError("the page has no area");
        return kExitUsage;
    }

    for (const TFormLoader::Loaded& l : loader.loaded())
        if (auto* z = dynamic_cast<TZorvik*>(l.component)) host.insert(*z);

    // Before a band prints, its barcodes settle to the current record's
    // caption and are tried once: a caption the symbology refuses leaves the
    // whole band (the record's label) empty, and is said with the record's number.
    TNullCanvas trial;
    for (int i = 0; i < report->BandCount(); ++i)
        report->Bands(i)->OnBeforePrint = [&](TQRBand& band, bool& printBand) {
            // Whatever the last band's printing reported is said first.
            for (const std::string& m : checks.messages) checks.say(report->RecordNumber(), m);
            checks.messages.clear();
            host.settle(kMaxPaints);
            checks.messages.clear();
            for (int k = 0; k < band.ElementCount(); ++k) {
                auto* element = dynamic_cast<TQR2Zorvik*>(band.Elements(k));
                TZorvik* z = element != nullptr ? element->Barcode() : nullptr;
                if (z == nullptr) continue;
                checks.messages.clear();
                z->DrawBarCode(&trial, 0, 0, 1);
                if (!checks.messages.empty()) {
                    checks.say(report->RecordNumber(), checks.messages.front());
                    printBand = false;
                } else if (!z->Visible() && !z->isDesigning()) {
                    checks.invisible = true;
                }
            }
            if (!printBand) ++checks.failed;
            checks.messages.clear();
        };

    bool empty = false;
    std::string printError_;
    const bool written = writeAtomically(
        o.output,
        [&](std::FILE* f, std::string& e) {
            TVectorBackend* backend = vectorBackend(e);
            if (backend == nullptr) return false;
            TDocumentPrinter device(backend->document(f, format, o.dpi), pageWidth, pageHeight, o.dpi);
            TQRPrinter printer(&device, o.dpi, o.dpi);
            if (!report->Print(printer, printError_)) return false;
            if (report->DataSet() != nullptr && report->RecordCount() == 0) {
                empty = true;
                return false;
            }
            return true;
        },
        error);
    for (const std::string& m : checks.messages) checks.say(0, m);
    if (!printError_.empty()) {
        printError(printError_);
        return kExitUsage;
    }
    if (empty) {
        printError("no records; nothing written");
        return kExitOk;
    }
    if (!written) {
        printError(error);
        return kExitUsage;
    }
    if (checks.invisible) printError("Nothing drawn: the control is invisible");
    return checks.failed > 0 || checks.invisible ? kExitRender : kExitOk;
}

}  // namespace zorvik::cli
