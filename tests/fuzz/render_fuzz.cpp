// A caption and the settings that shape a symbol, per symbology, through
// DrawBarCode on the recording canvas and then the raster canvas (glyphs
// included): the first bytes choose the settings, the rest is the caption.
#include <string>

#include "control/code.h"
#include "tests/fuzz/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    using namespace zorvik;
    fuzz::silenceMessages();
    fuzz::Input in(Data, Size);
    TZorvik control(nullptr);
    TCode& code = *control.Code();
    code.SetCode(static_cast<TBarCodeType>(in.byte() % kBarCodeTypeCount));
    const unsigned flags = in.byte();
    code.SetAutoSize((flags & 1) != 0);
    code.SetDirection(flags & 2 ? TDirection::Vertical : TDirection::Horizontal);
    code.SetTransparent((flags & 4) != 0);
    code.SetCtrlChar((flags & 8) != 0);
    code.SetShowCtrlsChars((flags & 16) != 0);
    code.SetTextOn(!(flags & 32));
    code.SetAlignment(flags & 64 ? TAlignment::txDensity : TAlignment::txLeft);
    code.SetTextAutoSize((flags & 128) != 0);
    code.SetDensity(static_cast<TDensity>(in.byte() % 3));
    control.SetWidth(static_cast<int>(in.byte()) * 4 - 8);
    control.SetHeight(static_cast<int>(in.byte()) - 4);
    const int fontHeight = static_cast<int>(static_cast<int8_t>(in.byte())) * 8;
    control.Font()->SetHeight(fontHeight);
    const unsigned scale = 1 + in.byte() % 4;
    code.SetCaption(in.rest());
    fuzz::drawBoth(control, static_cast<int>(scale));
    return 0;
}
