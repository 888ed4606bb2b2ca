#include "platform/cairo/vectorprinter.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace zorvik {

TVectorPrinter::TVectorPrinter(std::FILE* File, VectorFormat Format, int DotsPerInch, TPaper Paper)
    : m_file(File), m_format(Format), m_mode(std::make_shared<TDeviceMode>()) {
    m_mode->dmPrintQuality = static_cast<int16_t>(std::clamp(DotsPerInch, -32768, 32767));
    int w = 0, h = 0;
    paperDots(Paper, DotsPerInch, w, h);
    setPageSize(w, h);
}

TVectorPrinter::~TVectorPrinter() {
    std::string ignored;
    if (Printing()) EndDoc(ignored);
}

void TVectorPrinter::GetPrinter(std::string& Device, std::string& Driver, std::string& Port, TDeviceModeHandle& Mode) {
    Device = m_format == VectorFormat::Pdf ? "PDF" : "PostScript";
    Driver = "cairo";
    Port = "FILE:";
    Mode = m_mode;
}

bool TVectorPrinter::BeginDoc(std::string& Error) {
    if (Printing()) {
        Error = "a document is already in progress";
        return false;
    }
    m_doc = std::make_unique<CairoDocument>(m_file, m_format, std::max<int>(1, m_mode->dmPrintQuality));
    setPage(&m_doc->beginPage(PageWidth(), PageHeight()));
    setPrinting(true);
    return true;
}

bool TVectorPrinter::NewPage(std::string& Error) {
    if (!Printing()) {
        Error = "no document is in progress";
        return false;
    }
    m_doc->endPage();
    setPage(&m_doc->beginPage(PageWidth(), PageHeight()));
    return true;
}

bool TVectorPrinter::EndDoc(std::string& Error) {
    if (!Printing()) {
        Error = "no document is in progress";
        return false;
    }
    m_doc->endPage();
    setPage(nullptr);
    setPrinting(false);
    const bool ok = m_doc->close(Error);
    m_doc.reset();
    return ok;
}

namespace {

class CairoBackend final : public TVectorBackend {
public:
    std::unique_ptr<TVectorDocument> document(std::FILE* File, VectorFormat Format, int DotsPerInch) override {
        return std::make_unique<CairoDocument>(File, Format, DotsPerInch);
    }
    std::unique_ptr<TPrinter> printer(std::FILE* File, VectorFormat Format, int DotsPerInch, TPaper Paper) override {
        return std::make_unique<TVectorPrinter>(File, Format, DotsPerInch, Paper);
    }
};

}  // namespace

TVectorBackend& cairoVectorBackend() {
    static CairoBackend backend;
    return backend;
}

}  // namespace zorvik
