// Draws an EAN-13 symbol with the installed library and prints its size and
// the modules of its first row, as a program of its own would.
#include <cstdio>

#include "control/zorvik.h"
#include "engine/state.h"
#include "platform/recording.h"

int main() {
    zorvik::TZorvik barcode(nullptr);
    barcode.Code()->SetCode(zorvik::TBarCodeType::EAN_13);
    barcode.Code()->SetCaption("400638133393");
    zorvik::RecordingCanvas canvas;
    barcode.DrawBarCode(&canvas, 0, 0, 1);
    std::printf("%d x %d\n", zorvik::BarCodeWidth, zorvik::BarCodeHeight);
    return barcode.lastRenderSized() ? 0 : 1;
}
