#include "platform/qt/qtprinter.h"

#include <QPrinter>

#include <algorithm>
#include <limits>

namespace zorvik {

int useDestinationResolution(QPrinter& Printer) {
    if (Printer.outputFormat() != QPrinter::NativeFormat) return Printer.resolution();
    const QList<int> offered = Printer.supportedResolutions();
    if (offered.isEmpty() || offered.contains(Printer.resolution())) return Printer.resolution();
    // The queue's finest resolution that is not above what was asked.
    int chosen = *std::min_element(offered.begin(), offered.end());
    for (int r : offered)
        if (r <= Printer.resolution()) chosen = std::max(chosen, r);
    Printer.setResolution(chosen);
    return Printer.resolution();
}

TQtPrinter::TQtPrinter(QPrinter& Printer) : m_printer(Printer) {}

TQtPrinter::~TQtPrinter() {
    if (m_painter.isActive()) m_painter.end();
}

void TQtPrinter::GetPrinter(std::string& Device, std::string& Driver, std::string& Port, TDeviceModeHandle& Mode) {
    Device = m_printer.printerName().toStdString();
    Driver = m_printer.outputFormat() == QPrinter::PdfFormat ? "PDF" : "Qt";
    Port = m_printer.outputFileName().toStdString();
    Mode = std::make_shared<TDeviceMode>();
    Mode->dmPrintQuality = static_cast<int16_t>(std::min(m_printer.resolution(), int{std::numeric_limits<int16_t>::max()}));
}

bool TQtPrinter::BeginDoc(std::string& Error) {
    if (!m_painter.begin(&m_printer)) {
        Error = "the printer '" + m_printer.printerName().toStdString() + "' cannot start a document";
        return false;
    }
    m_canvas = std::make_unique<PainterCanvas>(m_painter, m_printer.resolution());
    setPage(m_canvas.get());
    setPageSize(m_printer.width(), m_printer.height());
    setPrinting(true);
    return true;
}

bool TQtPrinter::NewPage(std::string& Error) {
    if (!m_painter.isActive() || !m_printer.newPage()) {
        Error = "the printer cannot start a new page";
        return false;
    }
    return true;
}

bool TQtPrinter::EndDoc(std::string& Error) {
    setPage(nullptr);
    setPrinting(false);
    m_canvas.reset();
    if (!m_painter.isActive() || !m_painter.end()) {
        Error = "the printer cannot finish the document";
        return false;
    }
    return true;
}

}  // namespace zorvik
