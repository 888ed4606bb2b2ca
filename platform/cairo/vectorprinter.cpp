// The cairo backend: vector documents, and printers whose pages are theirs.
#include <algorithm>

#include "platform/cairo/vectordocument.h"
#include "platform/documentprinter.h"

namespace zorvik {

namespace {

class CairoBackend final : public TVectorBackend {
public:
    std::unique_ptr<TVectorDocument> document(std::FILE* File, VectorFormat Format, int DotsPerInch) override {
        return std::make_unique<CairoDocument>(File, Format, DotsPerInch);
    }
    std::unique_ptr<TPrinter> printer(std::FILE* File, VectorFormat Format, int DotsPerInch, TPaper Paper) override {
        int w = 0, h = 0;
        paperDots(Paper, DotsPerInch, w, h);
        return std::make_unique<TDocumentPrinter>(document(File, Format, std::max(1, DotsPerInch)), w, h, DotsPerInch);
    }
};

}  // namespace

TVectorBackend& cairoVectorBackend() {
    static CairoBackend backend;
    return backend;
}

}  // namespace zorvik
