#include "platform/documentprinter.h"

#include <algorithm>

namespace zorvik {

TDocumentPrinter::TDocumentPrinter(std::unique_ptr<TVectorDocument> Document, int WidthDots, int HeightDots,
                                   int DotsPerInch)
    : m_doc(std::move(Document)), m_mode(std::make_shared<TDeviceMode>()) {
    m_mode->dmPrintQuality = static_cast<int16_t>(std::clamp(DotsPerInch, 1, 32767));
    setPageSize(WidthDots, HeightDots);
}

TDocumentPrinter::~TDocumentPrinter() {
    std::string ignored;
    if (Printing()) EndDoc(ignored);
}

void TDocumentPrinter::GetPrinter(std::string& Device, std::string& Driver, std::string& Port,
                                  TDeviceModeHandle& Mode) {
    Device = "Document";
    Driver.clear();
    Port = "FILE:";
    Mode = m_mode;
}

bool TDocumentPrinter::BeginDoc(std::string& Error) {
    if (Printing() || m_closed) {
        Error = Printing() ? "a document is already in progress" : "the document is closed";
        return false;
    }
    setPage(&m_doc->beginPage(PageWidth(), PageHeight()));
    setPrinting(true);
    return true;
}

bool TDocumentPrinter::NewPage(std::string& Error) {
    if (!Printing()) {
        Error = "no document is in progress";
        return false;
    }
    m_doc->endPage();
    setPage(&m_doc->beginPage(PageWidth(), PageHeight()));
    return true;
}

bool TDocumentPrinter::EndDoc(std::string& Error) {
    if (!Printing()) {
        Error = "no document is in progress";
        return false;
    }
    m_doc->endPage();
    setPage(nullptr);
    setPrinting(false);
    m_closed = true;
    return m_doc->close(Error);
}

}  // namespace zorvik
