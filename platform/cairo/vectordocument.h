// SVG, PDF and PostScript documents drawn through cairo. A device pixel is
// 1/DotsPerInch inch; pages are sized in device pixels.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "platform/graphics.h"

namespace zorvik {

enum class VectorFormat { Svg, Pdf, PostScript };

// The format a file name's extension asks for (.svg, .pdf, .ps); false when none.
bool vectorFormatOf(const std::string& Path, VectorFormat& Format);

// The largest page side, in points, that PDF and PostScript readers accept.
constexpr double kMaxPagePoints = 14400.0;

class VectorDocument {
public:
    // Writes to File (left open for the caller); an SVG document holds one page.
    VectorDocument(std::FILE* File, VectorFormat Format, int DotsPerInch);
    ~VectorDocument();
    VectorDocument(const VectorDocument&) = delete;
    VectorDocument& operator=(const VectorDocument&) = delete;

    // Starts a page of WidthDots x HeightDots device pixels and returns its canvas,
    // fresh for the page.
    TCanvas& beginPage(int WidthDots, int HeightDots);
    void endPage();
    // Finishes the document; false with a reason when cairo or the file failed.
    bool close(std::string& Error);

    int pages() const { return m_pages; }

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    int m_pages = 0;
};

}  // namespace zorvik
