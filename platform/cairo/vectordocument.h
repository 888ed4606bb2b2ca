// SVG, PDF and PostScript documents drawn through cairo, and the printers on
// them. A device pixel is 1/DotsPerInch inch; pages are sized in device pixels.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "platform/vector.h"

namespace zorvik {

class CairoDocument final : public TVectorDocument {
public:
    CairoDocument(std::FILE* File, VectorFormat Format, int DotsPerInch);
    ~CairoDocument() override;
    CairoDocument(const CairoDocument&) = delete;
    CairoDocument& operator=(const CairoDocument&) = delete;

    TCanvas& beginPage(int WidthDots, int HeightDots) override;
    void endPage() override;
    bool close(std::string& Error) override;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// The cairo backend of vector documents and printers.
TVectorBackend& cairoVectorBackend();

}  // namespace zorvik
