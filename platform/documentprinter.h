// A printer whose pages are the pages of a vector document, of any size: the
// report command's device for PDF and PostScript files.
#pragma once

#include <memory>
#include <string>

#include "platform/printers.h"
#include "platform/vector.h"

namespace zorvik {

class TDocumentPrinter : public TPrinter {
public:
    // Pages of WidthDots x HeightDots at DotsPerInch, drawn into Document,
    // which EndDoc closes.
    TDocumentPrinter(std::unique_ptr<TVectorDocument> Document, int WidthDots, int HeightDots, int DotsPerInch);
    ~TDocumentPrinter() override;

    void GetPrinter(std::string& Device, std::string& Driver, std::string& Port, TDeviceModeHandle& Mode) override;
    bool BeginDoc(std::string& Error) override;
    bool NewPage(std::string& Error) override;
    bool EndDoc(std::string& Error) override;

private:
    std::unique_ptr<TVectorDocument> m_doc;
    TDeviceModeHandle m_mode;
    bool m_closed = false;
};

}  // namespace zorvik
