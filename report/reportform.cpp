#include "report/reportform.h"

#include "control/formio.h"
#include "platform/formvalue.h"
#include "platform/reportform.h"
#include "report/qr2zorvik.h"

namespace zorvik {

void addZorvikClasses(TFormLoader& Loader) {
    Loader.addClass(
        "TZorvik", [](TComponent& owner, TComponent*) { return new TZorvik(&owner); },
        [](TComponent& c, const TFormObject& o, TFormLoader& l, std::string& e) {
            return readZorvik(o, l.file(), static_cast<TZorvik&>(c), e);
        });
    Loader.addClass(
        "TQR2Zorvik",
        [](TComponent& owner, TComponent* parent) -> TComponent* {
            auto* band = dynamic_cast<TQRBand*>(parent);
            if (band == nullptr) return nullptr;
            auto* q = new TQR2Zorvik(&owner);
            q->SetParentBand(band);
            return q;
        },
        [](TComponent& c, const TFormObject& o, TFormLoader& l, std::string& e) {
            auto& q = static_cast<TQR2Zorvik&>(c);
            q.SetLoading(true);
            for (const TFormProperty& p : o.properties) {
                bool known = false;
                if (!readPrintableProperty(q, p, l, known, e)) return false;
                if (known) continue;
                if (!sameIdent(p.path, "Barcode")) return l.unknown(p, "TQR2Zorvik", e);
                TZorvik* z = nullptr;
                if (!l.reference(p, z, e)) return false;
                q.SetBarcode(z);
            }
            q.Loaded();
            return true;
        });
}

}  // namespace zorvik
