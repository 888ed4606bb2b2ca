#include "platform/cairo/vectorprinter.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace zorvik {

void paperDots(TPaper Paper, int DotsPerInch, int& Width, int& Height) {
    // A4 is 210 x 297 mm; Letter 8.5 x 11 inches.
    const double w = Paper == TPaper::A4 ? 210 / 25.4 : 8.5, h = Paper == TPaper::A4 ? 297 / 25.4 : 11.0;
    Width = static_cast<int>(std::min<double>(INT_MAX, std::lround(w * DotsPerInch)));
    Height = static_cast<int>(std::min<double>(INT_MAX, std::lround(h * DotsPerInch)));
}

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
    m_doc = std::make_unique<VectorDocument>(m_file, m_format, std::max<int>(1, m_mode->dmPrintQuality));
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

}  // namespace zorvik
