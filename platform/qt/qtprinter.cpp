#include "platform/qt/qtprinter.h"

#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>
#include <limits>

namespace zorvik {

int defaultResolutionIn(const QString& Options) {
    // "Resolution/Output Resolution: 300dpi *600dpi 1200x600dpi": the starred
    // choice is the default; of "HxVdpi" the horizontal dots count.
    static const QRegularExpression line(QStringLiteral("^Resolution/[^:]*:(.*)$"), QRegularExpression::MultilineOption);
    static const QRegularExpression choice(QStringLiteral("\\*(\\d+)(x\\d+)?dpi\\b"));
    const QRegularExpressionMatch l = line.match(Options);
    if (!l.hasMatch()) return 0;
    const QRegularExpressionMatch c = choice.match(l.captured(1));
    return c.hasMatch() ? c.captured(1).toInt() : 0;
}

int useDestinationResolution(QPrinter& Printer) {
    if (Printer.outputFormat() != QPrinter::NativeFormat) return Printer.resolution();
    // Qt keeps the queue's default resolution to itself; the CUPS client
    // lists the queue's options with their defaults.
    QProcess lpoptions;
    lpoptions.start(QStringLiteral("lpoptions"), {QStringLiteral("-p"), Printer.printerName(), QStringLiteral("-l")});
    if (lpoptions.waitForFinished(5000) && lpoptions.exitStatus() == QProcess::NormalExit && lpoptions.exitCode() == 0) {
        if (const int dpi = defaultResolutionIn(QString::fromLocal8Bit(lpoptions.readAllStandardOutput())); dpi > 0) {
            Printer.setResolution(dpi);
            return Printer.resolution();
        }
    } else {
        lpoptions.kill();
        lpoptions.waitForFinished(1000);
    }
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
