// The host framework's graphics objects: colours, fonts, brushes, pens and
// the canvas every pixel goes through, with the two Win32 text calls the
// drawing code relies on (background mode, font records).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/classes.h"

namespace zorvik {

// $00BBGGRR
using TColor = int32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;

// Name of one of the sixteen standard colours, or empty.
std::string_view ColorToIdent(TColor Color);
// The standard colour called Ident (case-insensitive); false when there is none.
bool IdentToColor(std::string_view Ident, TColor& Color);

struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    friend bool operator==(const TRect&, const TRect&) = default;
};

inline TRect Rect(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom) {
    return TRect{Left, Top, Right, Bottom};
}

// Win32 LOGFONT with its 60-byte layout.
struct LOGFONT {
    int32_t lfHeight = 0;
    int32_t lfWidth = 0;
    int32_t lfEscapement = 0;
    int32_t lfOrientation = 0;
    int32_t lfWeight = 0;
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = 0;
    uint8_t lfOutPrecision = 0;
    uint8_t lfClipPrecision = 0;
    uint8_t lfQuality = 0;
    uint8_t lfPitchAndFamily = 0;
    char lfFaceName[32] = {};
};
static_assert(sizeof(LOGFONT) == 60, "LOGFONT keeps its Win32 size");

bool operator==(const LOGFONT& a, const LOGFONT& b);

constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;
constexpr uint8_t DEFAULT_CHARSET = 1;
constexpr uint8_t OUT_TT_ONLY_PRECIS = 7;

// A font object made from a LOGFONT; shared, released with its last user.
struct TFontObject {
    LOGFONT lf;
};
using HFONT = std::shared_ptr<const TFontObject>;

HFONT CreateFontIndirectA(const LOGFONT* lf);
// Copies up to Size bytes of the font's record into Buffer; returns the bytes copied.
int GetObjectA(const HFONT& Font, int Size, void* Buffer);

class TCanvas;
using HDC = TCanvas*;
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
// Sets the background mode of later text; returns the previous mode (0 on failure).
int SetBkMode(HDC DC, int Mode);

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

// A font is its Win32 record plus a colour. Height below zero is the character
// (em) height in pixels, above zero the cell height, zero the default.
class TFont : public TPersistent {
public:
    TFont();
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;

    std::string Name() const;
    void SetName(const std::string& Value);
    int Height() const { return m_lf.lfHeight; }
    void SetHeight(int Value);
    // Size in points at the screen's resolution.
    int Size() const;
    void SetSize(int Value);
    TColor Color() const { return m_color; }
    void SetColor(TColor Value);
    TFontStyles Style() const;
    void SetStyle(TFontStyles Value);
    uint8_t Charset() const { return m_lf.lfCharSet; }
    void SetCharset(uint8_t Value);

    // The font's current font object; writing it makes the font adopt the
    // record of a font the caller created.
    HFONT Handle() const;
    void SetHandle(const HFONT& Value);
    const LOGFONT& logFont() const { return m_lf; }

    // Copies every attribute, colour included.
    void Assign(const TFont& Source);

    // Raised after any attribute changes.
    TNotifyEvent OnChange;

private:
    void change(const LOGFONT& lf, TColor color);
    LOGFONT m_lf;
    TColor m_color = clBlack;
    mutable HFONT m_handle;
};

enum class TBrushStyle { bsSolid, bsClear };

class TBrush : public TPersistent {
public:
    TColor Color = clWhite;
    TBrushStyle Style = TBrushStyle::bsSolid;
};

enum class TPenStyle { psSolid, psDash, psClear };

class TPen : public TPersistent {
public:
    TColor Color = clBlack;
    int Width = 1;
    TPenStyle Style = TPenStyle::psSolid;
};

// What a backend needs to write one run of text.
struct TTextStyle {
    LOGFONT font;
    TColor color = clBlack;
    bool opaque = true;
    TColor background = clWhite;
};

// Every pixel the system produces goes through a canvas. Fills cover exactly
// the stated pixels, in the exact colour; backends implement fillArea and
// drawText, and may observe the calls themselves by overriding them.
class TCanvas : public TPersistent {
public:
    TCanvas() = default;
    ~TCanvas() override = default;
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TFont& Font() { return m_font; }
    const TFont& Font() const { return m_font; }
    // Canvas.Font := Value copies every attribute.
    void SetFont(const TFont& Value) { m_font.Assign(Value); }
    TBrush& Brush() { return m_brush; }
    const TBrush& Brush() const { return m_brush; }
    TPen& Pen() { return m_pen; }
    const TPen& Pen() const { return m_pen; }
    HDC Handle() { return this; }

    int BkMode() const { return m_bkMode; }
    // Returns the previous mode.
    virtual int setBkMode(int Mode);

    // Columns Left..Right-1, rows Top..Bottom-1 in the brush colour; a rectangle
    // whose Top lies below its Bottom fills rows Bottom+1..Top.
    virtual void FillRect(const TRect& R);
    // Fills columns X1..X2-1, rows Y1..Y2-1 with the brush (not when clear) and
    // draws their outermost ring in the pen colour.
    virtual void Rectangle(int X1, int Y1, int X2, int Y2);
    // The top-left corner of the first character cell at (X, Y). Text is UTF-8;
    // invalid sequences are replaced before a backend sees them.
    virtual void TextOut(int X, int Y, const std::string& Text);

    // "" when a symbol area of Width x Height device pixels fits what this
    // canvas is drawn for, else the message that refuses it. A render asks
    // once it knows its size and before it draws, so a symbol too large for
    // its output costs nothing.
    virtual std::string sizeProblem(long long Width, long long Height) const {
        (void)Width;
        (void)Height;
        return {};
    }

    // Device resolution, for backends that record it.
    int pixelsPerInch() const { return m_ppi; }
    void setPixelsPerInch(int Value) { m_ppi = Value; }

protected:
    // Half-open, non-empty, in device pixels; may lie partly outside the device.
    virtual void fillArea(int Left, int Top, int Right, int Bottom, TColor Color) = 0;
    virtual void drawText(int X, int Y, std::string_view Utf8, const TTextStyle& Style) = 0;

private:
    void fillNormalised(int Left, int Top, int Right, int Bottom, TColor Color);
    void outline(int X1, int Y1, int X2, int Y2);

    TFont m_font;
    TBrush m_brush;
    TPen m_pen;
    int m_bkMode = OPAQUE;
    int m_ppi = 96;
};

// A canvas that draws nothing; the state still behaves.
class TNullCanvas : public TCanvas {
protected:
    void fillArea(int, int, int, int, TColor) override {}
    void drawText(int, int, std::string_view, const TTextStyle&) override {}
};

// Replaces every invalid UTF-8 sequence by U+FFFD.
std::string sanitiseUtf8(std::string_view Text);
// UTF-8 of one Unicode code point (nothing for surrogates or values beyond U+10FFFF).
std::string utf8Of(char32_t CodePoint);

}  // namespace zorvik
