// A printer of the host framework on a QPrinter: its device mode reports the
// QPrinter's resolution, its pages are the QPrinter's, drawn through a
// painter canvas in printer dots.
#pragma once

#include <QPainter>
#include <QString>

#include <memory>

#include "platform/printers.h"
#include "platform/qt/paintercanvas.h"

class QPrinter;

namespace zorvik {

class TQtPrinter : public TPrinter {
public:
    // Printer stays the caller's and must outlive this object.
    explicit TQtPrinter(QPrinter& Printer);
    ~TQtPrinter() override;

    void GetPrinter(std::string& Device, std::string& Driver, std::string& Port, TDeviceModeHandle& Mode) override;
    bool BeginDoc(std::string& Error) override;
    bool NewPage(std::string& Error) override;
    bool EndDoc(std::string& Error) override;

private:
    QPrinter& m_printer;
    QPainter m_painter;
    std::unique_ptr<PainterCanvas> m_canvas;
};

// Sets a real printer's resolution to the queue's own default: Qt's
// high-resolution mode asks 1200 dots per inch of every queue, whatever it
// prints at. Without a default to be found, a resolution the queue offers;
// a PDF keeps the resolution it was given. Returns the resolution in force.
int useDestinationResolution(QPrinter& Printer);

// The default resolution in a queue's options as the CUPS client lists them
// (lpoptions -l); 0 when they name none.
int defaultResolutionIn(const QString& Options);

}  // namespace zorvik
