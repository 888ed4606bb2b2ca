// A printer writing PDF or PostScript pages at a chosen resolution and paper size.
#pragma once

#include <cstdio>
#include <memory>

#include "platform/cairo/vectordocument.h"
#include "platform/printers.h"

namespace zorvik {

class TVectorPrinter : public TPrinter {
public:
    // Pages of Paper at DotsPerInch, written to File (left open for the caller).
    TVectorPrinter(std::FILE* File, VectorFormat Format, int DotsPerInch, TPaper Paper);
    ~TVectorPrinter() override;

    void GetPrinter(std::string& Device, std::string& Driver, std::string& Port, TDeviceModeHandle& Mode) override;
    bool BeginDoc(std::string& Error) override;
    bool NewPage(std::string& Error) override;
    bool EndDoc(std::string& Error) override;

private:
    std::FILE* m_file;
    VectorFormat m_format;
    TDeviceModeHandle m_mode;
    std::unique_ptr<CairoDocument> m_doc;
};

}  // namespace zorvik
