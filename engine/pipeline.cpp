// DrawBarCode: check the caption, size the symbol area, paint the background
// and hand over to exactly one encoder.
#include "engine/pipeline.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "control/zorvik.h"
#include "engine/captioncheck.h"
#include "engine/state.h"
#include "platform/forms.h"

namespace zorvik {

namespace {

const char* const kMessageCaption = "Message Box";

void report(const std::string& text) { Application().MessageBox(text, kMessageCaption, MB_OK); }

int roundUpToOdd(int n) { return n % 2 == 0 ? n + 1 : n; }
int roundUpToEven(int n) { return n % 2 != 0 ? n + 1 : n; }

// Digits-only numeric check: Pom gets the value, ECode the position of the
// first character that is not a digit (1 for an empty caption).
void numericCheck(const std::string& caption) {
    ECode = caption.empty() ? 1 : 0;
    for (size_t i = 0; i < caption.size() && ECode == 0; ++i)
        if (caption[i] < '0' || caption[i] > '9') ECode = static_cast<int32_t>(i + 1);
    Pom = ECode == 0 ? std::strtod(caption.c_str(), nullptr) : 0.0;
}

std::string tooLarge(int64_t w, int64_t h) {
    return "Symbol too large: " + std::to_string(w) + " x " + std::to_string(h) + " pixels";
}

}  // namespace

int NominalModules(TBarCodeType Symbology, TDirection Dir, bool ControlChars, int L) {
    const bool h = Dir == TDirection::Horizontal;
    switch (Symbology) {
        case TBarCodeType::Code_39: return 16 * (L + (ControlChars ? 3 : 2));
        case TBarCodeType::Code_93: return 9 * (L + (ControlChars ? 4 : 2));
        case TBarCodeType::Codabar: return 10 * (L + (ControlChars ? 3 : 2));
        case TBarCodeType::Code_128: return 11 * (L + (ControlChars ? 2 : 1)) + 13;
        case TBarCodeType::IATA: return 12 * L + 8;
        case TBarCodeType::Industrial: return 12 * L + (ControlChars ? 28 : 16);
        case TBarCodeType::ITF: return ControlChars ? 7 * roundUpToOdd(L) + 15 : 7 * roundUpToEven(L) + 8;
        case TBarCodeType::EAN_8:
        case TBarCodeType::UPC_A: return 7 * (L + 1) + 8;
        case TBarCodeType::EAN_13: return h ? 7 * L + 11 : 7 * (L + 1) + 8;
        case TBarCodeType::EAN_13_2AddOn: return h ? 7 * L + 26 : 7 * (L + 1) + 26;
        case TBarCodeType::EAN_13_5AddOn: return h ? 7 * L + 32 : 7 * (L + 1) + 26;
    }
    return 0;
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
    ACanvas->SetFont(*Font());
    if (code.TextAutosize())
        Font()->SetHeight(-((Dir == TDirection::Horizontal ? BarCodeHeight : BarCodeWidth) / 8));
    const int64_t textH = int64_t{5} * ModulWidth - (code.TextOn() ? int64_t{Font()->Height()} : 0);
    TextH = static_cast<int32_t>(std::clamp<int64_t>(textH, INT32_MIN, INT32_MAX));
    ACanvas->Pen().Color = code.Border() ? clBlack : BackColor();
}

void TZorvik::DrawBarCode(TCanvas* ACanvas, int X, int Y, int Scale) {
    if (ACanvas == nullptr) return;
    TCode& code = *Code();
    const TBarCodeType symbology = code.Symbology();
    m_sized = false;

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
    struct LengthRule {
        TBarCodeType symbology;
        size_t length;
        bool exact;
        const char* message;
    };
    static constexpr LengthRule kLengths[] = {
        {TBarCodeType::EAN_8, 7, false, "EAN-8 should be 7 numeric char"},
        {TBarCodeType::UPC_A, 11, false, "UPC-A should be 11 numeric char"},
        {TBarCodeType::EAN_13, 12, false, "EAN-13 should be 12 numeric chars"},
        {TBarCodeType::EAN_13_2AddOn, 14, true, "EAN-13-2AdOn should be 14 numeric chars"},
        {TBarCodeType::EAN_13_5AddOn, 17, true, "EAN-13-5AddOn should be 17 numeric chars"},
    };
    for (const LengthRule& rule : kLengths) {
        if (rule.symbology != symbology) continue;
        const size_t n = code.Caption().size();
        if (rule.exact ? n != rule.length : n < rule.length) {
            report(rule.message);
            return;
        }
        if (n > rule.length) code.SetCaption(code.Caption().substr(0, rule.length));
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
