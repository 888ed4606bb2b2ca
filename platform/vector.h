// Vector documents (SVG, PDF, PostScript) and the printers that write them,
// as the command and applications see them; a backend draws them.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "platform/graphics.h"
#include "platform/printers.h"

namespace zorvik {

// Eps: one page of Encapsulated PostScript, its bounding box the page.
enum class VectorFormat { Svg, Pdf, PostScript, Eps };

// The format a file name's extension asks for (.svg, .pdf, .ps, .eps); false when none.
bool vectorFormatOf(const std::string& Path, VectorFormat& Format);

// The largest page side, in points, that PDF and PostScript readers accept.
constexpr double kMaxPagePoints = 14400.0;

// A document of pages sized in device pixels of 1/DotsPerInch inch; an SVG
// document holds one page.
class TVectorDocument {
public:
    virtual ~TVectorDocument() = default;
    // Starts a page of WidthDots x HeightDots and returns its canvas, fresh for the page.
    virtual TCanvas& beginPage(int WidthDots, int HeightDots) = 0;
    virtual void endPage() = 0;
    // Finishes the document; false with a reason when the backend or the file failed.
    virtual bool close(std::string& Error) = 0;
};

enum class TPaper { A4, Letter };

// Paper size in dots at a resolution.
void paperDots(TPaper Paper, int DotsPerInch, int& Width, int& Height);

class TVectorBackend {
public:
    virtual ~TVectorBackend() = default;
    // A document written to File (left open for the caller).
    virtual std::unique_ptr<TVectorDocument> document(std::FILE* File, VectorFormat Format, int DotsPerInch) = 0;
    // A printer of pages of Paper at DotsPerInch, PDF or PostScript, written to File.
    virtual std::unique_ptr<TPrinter> printer(std::FILE* File, VectorFormat Format, int DotsPerInch, TPaper Paper) = 0;
};

}  // namespace zorvik
