// Report forms: any text loads or fails with a message; a report that loads
// prints its pages on a printer that draws nothing.
#include <string>
#include <vector>

#include "platform/formfile.h"
#include "platform/formloader.h"
#include "platform/report.h"
#include "platform/reportform.h"
#include "report/reportform.h"
#include "tests/fuzz/fuzz.h"

namespace {

// A printer of A4 pages at the screen's resolution whose canvas draws nothing.
class NullPrinter : public zorvik::TPrinter {
public:
    bool BeginDoc(std::string&) override { return turn(); }
    bool NewPage(std::string&) override { return ++m_pages < 200 && turn(); }
    bool EndDoc(std::string&) override {
        setPage(nullptr);
        setPrinting(false);
        return true;
    }

private:
    bool turn() {
        setPageSize(794, 1123);
        setPage(&m_canvas);
        setPrinting(true);
        return true;
    }
    zorvik::TNullCanvas m_canvas;
    int m_pages = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    using namespace zorvik;
    fuzz::silenceMessages();
    const std::string text(reinterpret_cast<const char*>(Data), Size);
    std::vector<TFormObject> roots;
    std::string error;
    if (!parseForm(text, "r.dfm", roots, error)) return 0;
    TComponent form(nullptr);
    TFormLoader loader;
    addReportClasses(loader);
    addZorvikClasses(loader);
    if (!loader.load(roots, "r.dfm", form, error)) return 0;
    for (const TFormLoader::Loaded& l : loader.loaded()) {
        auto* report = dynamic_cast<TQuickRep*>(l.component);
        if (report == nullptr) continue;
        NullPrinter device;
        TQRPrinter printer(&device, 96, 96);
        report->Print(printer, error);
    }
    return 0;
}
