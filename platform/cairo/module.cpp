// The vector backend as a module the command loads only for SVG, PDF and
// PostScript output, so that drawing a PNG never loads cairo and what it needs.
#include "platform/cairo/vectordocument.h"

extern "C" __attribute__((visibility("default"))) zorvik::TVectorBackend* zorvik_vector_backend() {
    return &zorvik::cairoVectorBackend();
}
