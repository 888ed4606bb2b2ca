// Printers: the current printer, its canvas and its device mode. Documents
// and pages are begun and ended by the caller; a control only draws on the
// page in progress.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/graphics.h"

namespace zorvik {

// The part of a printer's device mode the system reads.
struct TDeviceMode {
    // Dots per inch, or one of the negative symbolic qualities (draft -1, low
    // -2, medium -3, high -4).
    int16_t dmPrintQuality = 300;
};
using TDeviceModeHandle = std::shared_ptr<TDeviceMode>;

// The device mode behind a handle (nullptr for none).
TDeviceMode* GlobalLock(const TDeviceModeHandle& Handle);

class TPrinter : public TObject {
public:
    TPrinter();
    ~TPrinter() override;

    // Device, driver and port names, and the device mode (empty when the
    // printer has none).
    virtual void GetPrinter(std::string& Device, std::string& Driver, std::string& Port, TDeviceModeHandle& Mode);

    // The canvas of the page in progress; between documents a canvas that draws nothing.
    TCanvas* Canvas() { return m_page != nullptr ? m_page : &m_idle; }
    bool Printing() const { return m_printing; }
    int PageWidth() const { return m_pageWidth; }
    int PageHeight() const { return m_pageHeight; }

    // False with a reason in Error when the device refuses.
    virtual bool BeginDoc(std::string& Error);
    virtual bool NewPage(std::string& Error);
    virtual bool EndDoc(std::string& Error);

protected:
    void setPage(TCanvas* Page) { m_page = Page; }
    void setPrinting(bool Value) { m_printing = Value; }
    void setPageSize(int Width, int Height) {
        m_pageWidth = Width;
        m_pageHeight = Height;
    }

private:
    TNullCanvas m_idle;
    TCanvas* m_page = nullptr;
    bool m_printing = false;
    int m_pageWidth = 0;
    int m_pageHeight = 0;
};

// The current printer of this thread (a printer that prints nothing until one
// is installed).
TPrinter* Printer();
// Makes Value the current printer (nullptr: the default one) and returns the previous one.
TPrinter* SetPrinter(TPrinter* Value);

}  // namespace zorvik
