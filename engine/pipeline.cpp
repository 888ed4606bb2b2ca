// DrawBarCode: check the caption, size the symbol area, paint the background
// and hand over to exactly one encoder.
#include "engine/pipeline.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "control/symbology.h"
#include "control/zorvik.h"
#include "engine/captioncheck.h"
#include "engine/state.h"
#include "engine/text.h"
#include "platform/graphics.h"
#include "platform/forms.h"
#include "symbologies/code39.h"
#include "symbologies/ean.h"

namespace zorvik {

namespace {

const char* const kMessageCaption = "Message Box";

void report(const std::string& text) { Application().MessageBox(text, kMessageCaption, MB_OK); }

// Digits-only numeric check: Pom gets the value, ECode the position of the
// first character that is not a digit (1 for an empty caption).
void numericCheck(const std::string& caption) {
    ECode = caption.empty() ? 1 : 0;
    for (size_t i = 0; i < caption.size() && ECode == 0; ++i)
        if (caption[i] < '0' || caption[i] > '9') ECode = static_cast<int32_t>(i + 1);
    Pom = ECode == 0 ? std::strtod(caption.c_str(), nullptr) : 0.0;
}

// Stretched, an element covers its rounded start to its rounded end, so it
// is up to a pixel wider or narrower than its share. Below 3 pixels a module
// that blurs one-module elements into two widths. Where wide elements are
// only twice the narrow ones (the two-of-five family, Codabar) a wide element
// of 6 pixels beside a narrow one of 4 passes for narrow up to 3.5 pixels a
// module, halves included (they round both ways). There the step is cut to
// whole pixels.
bool wholePixelStep(TBarCodeType Symbology, double Step) {
    switch (Symbology) {
        case TBarCodeType::ITF:
        case TBarCodeType::Industrial:
        case TBarCodeType::IATA:
        case TBarCodeType::Codabar: return Step <= 3.5;
        default: return Step < 3.0;
    }
}

// Code 39 draws its wide elements exactly three narrow ones wide, the top of
// the range ISO/IEC 16388 allows. A fractional step rounds some wide spaces up
// and narrow bars down, past 3:1; a reader that holds each character to the
// range (zxing-cpp does) then loses $ / + %, the four characters whose bars
// are all narrow, so a symbol holding one keeps whole pixels a module.
bool holdsAllNarrowBarCharacter(const TCode& Code) {
    if (Code.Symbology() != TBarCodeType::Code_39) return false;
    const std::string drawn = Code.ControlChars() ? Check39(Code.Caption()) : Code.Caption();
    return drawn.find_first_of("$/+%") != std::string::npos;
}

std::string tooLarge(int64_t w, int64_t h) {
    return "Symbol too large: " + std::to_string(w) + " x " + std::to_string(h) + " pixels";
}

}  // namespace

int NominalModules(TBarCodeType Symbology, TDirection Dir, bool ControlChars, int L) {
    const SymbologyInfo* info = symbologyInfo(Symbology);
    return info != nullptr ? info->nominalModules(Dir, ControlChars, L) : 0;
}

void TZorvik::PrepareDrawing(TCanvas* ACanvas, int X, int Y, int Scale, TDirection Dir) {
    TCode& code = *Code();
    BarCodeWidth = Scale * Width();
    BarCodeHeight = Scale * Height();
    ModulWidth = Scale * (ord(code.Density()) + 1);
    if (Dir == TDirection::Horizontal) {
        CurX = X + 10 * ModulWidth;
        CurXReal = static_cast<float>(CurX);
        CurY = Y + 2;
    } else {
        // Completed once the symbol's length is known.
        CurY = 10 * ModulWidth;
        CurXReal = static_cast<float>(CurY);
        CurX = X + 2;
    }
    ACanvas->Brush().Color = BackColor();
    // The text grows with the device like the bars; an autosized font is
    // already sized from the scaled area.
    FontScale = code.TextAutosize() ? 1 : Scale;
    useControlFont(*this, *ACanvas);
    if (code.TextAutosize()) {
        Font()->SetHeight(-((Dir == TDirection::Horizontal ? BarCodeHeight : BarCodeWidth) / 8));
        // On screen the copy above keeps the previous height until the repaint
        // that the change brings; a printer draws once, and would write its
        // text at the screen's height, a few dots tall.
        if (Scale != 1) useControlFont(*this, *ACanvas);
    }
    const int64_t textH = int64_t{5} * ModulWidth - (code.TextOn() ? int64_t{scaledFontHeight(Font()->Height())} : 0);
    TextH = static_cast<int32_t>(std::clamp<int64_t>(textH, INT32_MIN, INT32_MAX));
    ACanvas->Pen().Color = code.Border() ? clBlack : BackColor();
}

void TZorvik::DrawBarCode(TCanvas* ACanvas, int X, int Y, int Scale) {
    if (ACanvas == nullptr) return;
    TCode& code = *Code();
    const TBarCodeType symbology = code.Symbology();
    m_sized = false;
    m_rightQuietZone = -1;

    // 1. Symbology guard.
    if (ord(symbology) >= kBarCodeTypeCount) {
        report("Not implemented");
        return;
    }
    // 2. Caption check, before visibility: the numeric symbologies take digits
    // only; the others refuse what their symbol cannot encode.
    if (isNumericSymbology(symbology)) numericCheck(code.Caption());
    if (std::string problem = captionProblem(symbology, code.Caption()); !problem.empty()) {
        report(problem);
        return;
    }
    // 3. Visibility.
    if (!Visible() && !isDesigning()) return;

    // 4. EAN/UPC length: cut to the data digits through the setter, or refuse.
    // A check digit given in the caption must be the right one: drawn with
    // the right one instead, the symbol would scan as other data than given.
    struct LengthRule {
        TBarCodeType symbology;
        size_t length;
        bool exact;
        const char* message;
        std::string (*check)(std::string);
    };
    static constexpr LengthRule kLengths[] = {
        {TBarCodeType::EAN_8, 7, false, "EAN-8 should be 7 numeric char", CheckEAN8},
        {TBarCodeType::UPC_A, 11, false, "UPC-A should be 11 numeric char", CheckUPCA},
        {TBarCodeType::EAN_13, 12, false, "EAN-13 should be 12 numeric chars", CheckEAN13},
        {TBarCodeType::EAN_13_2AddOn, 14, true, "EAN-13-2AdOn should be 14 numeric chars", nullptr},
        {TBarCodeType::EAN_13_5AddOn, 17, true, "EAN-13-5AddOn should be 17 numeric chars", nullptr},
    };
    for (const LengthRule& rule : kLengths) {
        if (rule.symbology != symbology) continue;
        const std::string& caption = code.Caption();
        const size_t n = caption.size();
        if (rule.exact ? n != rule.length : n < rule.length) {
            report(rule.message);
            return;
        }
        if (rule.check != nullptr && n > rule.length) {
            const char expected = rule.check(caption.substr(0, rule.length)).back();
            if (caption[rule.length] != expected) {
                report(std::string("Check digit should be ") + expected + ", not " + caption[rule.length]);
                return;
            }
        }
        if (n > rule.length) code.SetCaption(caption.substr(0, rule.length));
    }

    // A scale below 1 would draw nothing; draw it as 1.
    Scale = std::max(Scale, 1);
    const int64_t scaledW = int64_t{Scale} * Width(), scaledH = int64_t{Scale} * Height();
    // The quiet zones alone exceed the limit at such a scale.
    if (scaledW > kMaxSymbolSide || scaledH > kMaxSymbolSide || int64_t{Scale} * 60 > kMaxSymbolSide) {
        report(tooLarge(scaledW, scaledH));
        return;
    }
    // Every coordinate drawn is the origin plus at most a few symbol sides; an
    // origin so far out that they would leave the range of int is refused
    // before any arithmetic on it.
    constexpr int64_t kMaxOrigin = INT32_MAX - 4 * kMaxSymbolSide;
    if (X < -kMaxOrigin || X > kMaxOrigin || Y < -kMaxOrigin || Y > kMaxOrigin) {
        report(tooLarge(scaledW, scaledH) + " at " + std::to_string(X) + "," + std::to_string(Y));
        return;
    }
    // Every character lays at least one module: a caption longer than the
    // largest side is refused from its real length, before it is counted or drawn.
    const int32_t previousW = BarCodeWidth, previousH = BarCodeHeight;
    const TDirection dir = code.Direction() == TDirection::Vertical ? TDirection::Vertical : TDirection::Horizontal;
    const bool horizontal = dir == TDirection::Horizontal;
    const size_t captionLength = code.Caption().size();
    if (captionLength > static_cast<size_t>(kMaxSymbolSide)) {
        const auto atLeast = static_cast<int64_t>(captionLength);
        report(horizontal ? tooLarge(atLeast, scaledH) : tooLarge(scaledW, atLeast));
        return;
    }

    // 5. Prepare.
    PrepareDrawing(ACanvas, X, Y, Scale, dir);

    // 6. Module advance: the symbol sized to its modules, or stretched to the control.
    const int n = NominalModules(symbology, dir, code.ControlChars(), static_cast<int>(captionLength));
    int64_t length = horizontal ? BarCodeWidth : BarCodeHeight;
    if (code.AutoSize()) {
        StepXReal = static_cast<float>(ModulWidth);
        length = int64_t{n} * ModulWidth + 20 * int64_t{ModulWidth};
        if (symbology == TBarCodeType::UPC_A) length += 7;
    } else {
        do {
            StepXReal = static_cast<float>(static_cast<double>(length - 20 * int64_t{ModulWidth}) / n);
            if (StepXReal <= 0) {
                // Once the module is a single pixel nothing else changes: grow to
                // the first length past the quiet zones at once.
                if (ModulWidth == 1 && code.Density() == TDensity::High) length = std::max<int64_t>(length, 20);
                ++length;
            }
            if (ModulWidth + 1 < StepXReal) {
                ++ModulWidth;
                if (code.Density() != TDensity::Low) code.SetDensity(static_cast<TDensity>(ord(code.Density()) + 1));
            }
            if (ModulWidth - 1 > StepXReal) {
                if (ModulWidth > 1) --ModulWidth;
                if (code.Density() != TDensity::High) code.SetDensity(static_cast<TDensity>(ord(code.Density()) - 1));
            }
        } while (StepXReal <= 0);
    }
    if (length > kMaxSymbolSide) {
        const int64_t w = horizontal ? length : BarCodeWidth, h = horizontal ? BarCodeHeight : length;
        BarCodeWidth = previousW;
        BarCodeHeight = previousH;
        report(tooLarge(w, h));
        return;
    }
    // The output may hold less than the largest side (an image's pixel budget).
    if (const std::string problem = ACanvas->sizeProblem(horizontal ? length : BarCodeWidth, horizontal ? BarCodeHeight : length);
        !problem.empty()) {
        BarCodeWidth = previousW;
        BarCodeHeight = previousH;
        report(problem);
        return;
    }
    (horizontal ? BarCodeWidth : BarCodeHeight) = static_cast<int32_t>(length);
    m_sized = true;

    // The symbol as the encoder will lay it: bars that no scanner can see,
    // or a symbol longer than its area, are refused rather than drawn.
    // (An empty area draws nothing at all, which its caller reports.)
    const TLayout layout = measureLayout(X, Y, dir);
    if (layout.anyBar && layout.shortestBar < 1 && BarCodeWidth > 0 && BarCodeHeight > 0) {
        report("Bars too short: " + std::to_string(std::max<int64_t>(layout.shortestBar, 0)) + " pixels");
        return;
    }
    if (!code.AutoSize() && layout.anyBar) {
        // Stretched: the step spreads the modules really laid and their quiet
        // zones over the whole length; a step too small to be drawn in
        // proportion is cut to whole pixels, the rest of the length left as
        // background.
        // Below one pixel a module the symbol is laid at one pixel a module from
        // ten in, and the right quiet zone takes what is left: at least the
        // seven modules the smallest standard quiet zone (EAN-8) asks.
        const int64_t modules = layout.modules + 20;
        if (length < modules - 3) {
            report("Symbol too short: " + std::to_string(length) + " pixels, at least " +
                   std::to_string(modules - 3) + " needed");
            return;
        }
        double step = static_cast<double>(length) / static_cast<double>(modules);
        if (wholePixelStep(symbology, step) || holdsAllNarrowBarCharacter(code)) step = std::max(1.0, std::floor(step));
        StepXReal = static_cast<float>(step);
        if (horizontal) {
            CurX = X + stepPixels(10);
            CurXReal = static_cast<float>(CurX);
        } else {
            CurY = stepPixels(10);
        }
    }
    m_shortestBar = static_cast<int>(std::min<int64_t>(layout.shortestBar, INT32_MAX));
    m_symbolLength = static_cast<int>(length);
    // What the length leaves after the last bar, to the nearest module (a
    // fractional step rounds each edge to a pixel): a control stretched to
    // just above the symbol's own length keeps less than ten.
    if (const double step = StepXReal; layout.anyBar && step > 0) {
        const double start = horizontal ? CurX - X : CurY;
        const double rest = static_cast<double>(length) - start - static_cast<double>(layout.modules) * step;
        m_rightQuietZone = static_cast<int>(std::lround(rest / step));
    } else {
        m_rightQuietZone = -1;
    }

    // 7. A vertical symbol is laid from the bottom upward.
    if (!horizontal) {
        CurY = Y + BarCodeHeight - CurY;
        CurXReal = static_cast<float>(CurY);
    }

    // 8. Background and border.
    if (symbology == TBarCodeType::Codabar && horizontal) {
        ACanvas->Pen().Width = 0;
        ACanvas->Pen().Color = code.Border() ? clBlack : BackColor();
    }
    if (!code.Transparent()) {
        ACanvas->Brush().Color = BackColor();
        ACanvas->Rectangle(X, Y, X + BarCodeWidth, Y + BarCodeHeight);
    }

    // 9. Brush and pen hand-over.
    switch (symbology) {
        case TBarCodeType::Codabar:
            if (horizontal) ACanvas->Brush().Style = TBrushStyle::bsSolid;
            ACanvas->Brush().Color = clBlack;
            break;
        case TBarCodeType::EAN_8:
        case TBarCodeType::UPC_A:
        case TBarCodeType::EAN_13:
        case TBarCodeType::EAN_13_2AddOn:
        case TBarCodeType::EAN_13_5AddOn:
            ACanvas->Brush().Style = TBrushStyle::bsSolid;
            ACanvas->Brush().Color = BackColor();
            ACanvas->Pen().Color = code.Border() ? clBlack : BackColor();
            break;
        default:
            ACanvas->Brush().Style = TBrushStyle::bsSolid;
            ACanvas->Brush().Color = clBlack;
            break;
    }

    // 10. Exactly one encoder.
    drawWithEncoder(ACanvas, X, Y, dir);
}

TZorvik::TLayout TZorvik::measureLayout(int X, int Y, TDirection Dir) {
    const int32_t curX = CurX, curY = CurY;
    const float curXReal = CurXReal, stepXReal = StepXReal;
    (Dir == TDirection::Horizontal ? CurX : CurY) = 0;
    CurXReal = 0;
    StepXReal = 1;
    LayoutProbe = TLayoutProbe{};
    LayoutProbe.active = true;
    TNullCanvas nowhere;
    drawWithEncoder(&nowhere, X, Y, Dir);
    const TLayoutProbe probe = LayoutProbe;
    LayoutProbe = TLayoutProbe{};
    CurX = curX;
    CurY = curY;
    CurXReal = curXReal;
    StepXReal = stepXReal;
    TLayout layout;
    layout.anyBar = probe.anyBar;
    layout.modules = static_cast<int64_t>(std::llround(probe.last - probe.first));
    layout.shortestBar = probe.shortestBar;
    return layout;
}

void TZorvik::drawWithEncoder(TCanvas* ACanvas, int X, int Y, TDirection Dir) {
    const TCode& code = *Code();
    const int w = BarCodeWidth, h = BarCodeHeight;
    const int across = Dir == TDirection::Horizontal ? h : w;
    const int barH = across - TextH - 1;
    const std::string& caption = code.Caption();
    const bool textOn = code.TextOn();
    switch (code.Symbology()) {
        case TBarCodeType::Code_39: Print_Code39(ACanvas, X, Y, Dir, w, h); break;
        case TBarCodeType::Code_93: Print_Code93(ACanvas, X, Y, Dir, w, h); break;
        case TBarCodeType::Code_128: Print_Code128(ACanvas, X, Y, Dir, barH, caption, textOn, w, h); break;
        case TBarCodeType::ITF: Print_ITF(ACanvas, X, Y, Dir, barH, caption, textOn, w, h); break;
        case TBarCodeType::Industrial: Print_INDUSTRIAL(ACanvas, X, Y, Dir, barH, caption, textOn, w, h); break;
        case TBarCodeType::IATA: Print_IATA(ACanvas, X, Y, Dir, barH, caption, textOn, w, h); break;
        case TBarCodeType::Codabar: Print_Codabar(ACanvas, X, Y, Dir, barH, caption, textOn, w, h); break;
        case TBarCodeType::EAN_13: Print_EAN13(ACanvas, X, Y, Dir, barH, caption, textOn, w, h); break;
        case TBarCodeType::EAN_8: Print_EAN8(ACanvas, X, Y, Dir, barH, caption, textOn, w, h); break;
        case TBarCodeType::EAN_13_2AddOn: Print_EAN13_2AddOn(ACanvas, X, Y, Dir, barH - 1, caption, textOn, w, h); break;
        case TBarCodeType::EAN_13_5AddOn: Print_EAN13_5AddOn(ACanvas, X, Y, Dir, barH, caption, textOn, w, h); break;
        case TBarCodeType::UPC_A: Print_UPCA(ACanvas, X, Y, Dir, barH, caption, textOn, w, h); break;
    }
}

}  // namespace zorvik
