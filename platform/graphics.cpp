#include "platform/graphics.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace zorvik {

namespace {

struct ColorName {
    TColor color;
    std::string_view name;
};

// The host framework's sixteen standard colour names.
constexpr std::array<ColorName, 16> kColorNames{{
    {clBlack, "clBlack"},   {clMaroon, "clMaroon"},   {clGreen, "clGreen"}, {clOlive, "clOlive"},
    {clNavy, "clNavy"},     {clPurple, "clPurple"},   {clTeal, "clTeal"},   {clGray, "clGray"},
    {clSilver, "clSilver"}, {clRed, "clRed"},         {clLime, "clLime"},   {clYellow, "clYellow"},
    {clBlue, "clBlue"},     {clFuchsia, "clFuchsia"}, {clAqua, "clAqua"},   {clWhite, "clWhite"},
}};
static_assert(kColorNames.size() == 16);

bool sameIdent(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

LOGFONT defaultLogFont() {
    LOGFONT lf;
    lf.lfHeight = -11;  // 8 points at 96 pixels per inch
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    std::strncpy(lf.lfFaceName, "MS Sans Serif", sizeof lf.lfFaceName - 1);
    return lf;
}

}  // namespace

std::string_view ColorToIdent(TColor Color) {
    for (const auto& c : kColorNames)
        if (c.color == Color) return c.name;
    return {};
}

bool IdentToColor(std::string_view Ident, TColor& Color) {
    for (const auto& c : kColorNames) {
        if (sameIdent(c.name, Ident)) {
            Color = c.color;
            return true;
        }
    }
    return false;
}

bool operator==(const LOGFONT& a, const LOGFONT& b) { return std::memcmp(&a, &b, sizeof(LOGFONT)) == 0; }

HFONT CreateFontIndirectA(const LOGFONT* lf) {
    if (lf == nullptr) return nullptr;
    auto font = std::make_shared<TFontObject>();
    font->lf = *lf;
    font->lf.lfFaceName[sizeof font->lf.lfFaceName - 1] = '\0';
    return font;
}

int GetObjectA(const HFONT& Font, int Size, void* Buffer) {
    if (!Font || Buffer == nullptr || Size <= 0) return 0;
    const int n = std::min<int>(Size, sizeof(LOGFONT));
    std::memcpy(Buffer, &Font->lf, static_cast<size_t>(n));
    return n;
}

int SetBkMode(HDC DC, int Mode) {
    if (DC == nullptr || (Mode != TRANSPARENT && Mode != OPAQUE)) return 0;
    return DC->setBkMode(Mode);
}

// ---- TFont

TFont::TFont() : m_lf(defaultLogFont()) {}

std::string TFont::Name() const { return std::string(m_lf.lfFaceName, strnlen(m_lf.lfFaceName, sizeof m_lf.lfFaceName)); }

void TFont::SetName(const std::string& Value) {
    LOGFONT lf = m_lf;
    std::memset(lf.lfFaceName, 0, sizeof lf.lfFaceName);
    // Face names hold at most 31 bytes; never cut a UTF-8 sequence in two.
    size_t n = std::min(Value.size(), sizeof lf.lfFaceName - 1);
    while (n > 0 && n < Value.size() && (static_cast<unsigned char>(Value[n]) & 0xC0) == 0x80) --n;
    std::memcpy(lf.lfFaceName, Value.data(), n);
    change(lf, m_color);
}

void TFont::SetHeight(int Value) {
    LOGFONT lf = m_lf;
    lf.lfHeight = Value;
    change(lf, m_color);
}

int TFont::Size() const {
    // Points at 96 pixels per inch, rounded as the framework does.
    const long long h = -static_cast<long long>(m_lf.lfHeight) * 72;
    return static_cast<int>(h >= 0 ? (h + 48) / 96 : -((-h + 48) / 96));
}

void TFont::SetSize(int Value) {
    const long long px = static_cast<long long>(Value) * 96;
    SetHeight(static_cast<int>(-(px >= 0 ? (px + 36) / 72 : -((-px + 36) / 72))));
}

void TFont::SetColor(TColor Value) { change(m_lf, Value); }

TFontStyles TFont::Style() const {
    TFontStyles s = 0;
    if (m_lf.lfWeight >= FW_BOLD) s |= fsBold;
    if (m_lf.lfItalic) s |= fsItalic;
    if (m_lf.lfUnderline) s |= fsUnderline;
    if (m_lf.lfStrikeOut) s |= fsStrikeOut;
    return s;
}

void TFont::SetStyle(TFontStyles Value) {
    LOGFONT lf = m_lf;
    lf.lfWeight = (Value & fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (Value & fsItalic) ? 1 : 0;
    lf.lfUnderline = (Value & fsUnderline) ? 1 : 0;
    lf.lfStrikeOut = (Value & fsStrikeOut) ? 1 : 0;
    change(lf, m_color);
}

void TFont::SetCharset(uint8_t Value) {
    LOGFONT lf = m_lf;
    lf.lfCharSet = Value;
    change(lf, m_color);
}

HFONT TFont::Handle() const {
    if (!m_handle) m_handle = CreateFontIndirectA(&m_lf);
    return m_handle;
}

void TFont::SetHandle(const HFONT& Value) {
    if (!Value) return;
    if (Value == m_handle) return;
    const bool same = Value->lf == m_lf;
    m_lf = Value->lf;
    m_handle = Value;
    if (!same && OnChange) OnChange(this);
}

void TFont::Assign(const TFont& Source) {
    if (&Source == this) return;
    change(Source.m_lf, Source.m_color);
    m_handle = Source.m_handle;
}

void TFont::change(const LOGFONT& lf, TColor color) {
    if (lf == m_lf && color == m_color) return;
    if (!(lf == m_lf)) m_handle.reset();
    m_lf = lf;
    m_color = color;
    if (OnChange) OnChange(this);
}

// ---- TCanvas

int TCanvas::setBkMode(int Mode) {
    const int old = m_bkMode;
    m_bkMode = Mode;
    return old;
}

void TCanvas::fillNormalised(int Left, int Top, int Right, int Bottom, TColor Color) {
    if (Left < Right && Top < Bottom) fillArea(Left, Top, Right, Bottom, Color);
}

void TCanvas::FillRect(const TRect& R) {
    if (m_brush.Style == TBrushStyle::bsClear) return;
    // A rectangle given top below bottom (a vertical symbol's element) covers
    // the rows above its top edge down to it: Bottom+1 .. Top.
    if (R.Top > R.Bottom) {
        fillNormalised(R.Left, R.Bottom + 1, R.Right, R.Top + 1, m_brush.Color);
    } else {
        fillNormalised(R.Left, R.Top, R.Right, R.Bottom, m_brush.Color);
    }
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
    if (X1 > X2) std::swap(X1, X2);
    if (Y1 > Y2) std::swap(Y1, Y2);
    if (m_brush.Style != TBrushStyle::bsClear) fillNormalised(X1, Y1, X2, Y2, m_brush.Color);
    if (m_pen.Style != TPenStyle::psClear) outline(X1, Y1, X2, Y2);
}

void TCanvas::outline(int X1, int Y1, int X2, int Y2) {
    if (X1 >= X2 || Y1 >= Y2) return;
    const TColor c = m_pen.Color;
    const int w = std::max(1, std::min({m_pen.Width, (X2 - X1 + 1) / 2, (Y2 - Y1 + 1) / 2}));
    if (m_pen.Style == TPenStyle::psSolid) {
        fillNormalised(X1, Y1, X2, Y1 + w, c);
        fillNormalised(X1, Y2 - w, X2, Y2, c);
        fillNormalised(X1, Y1 + w, X1 + w, Y2 - w, c);
        fillNormalised(X2 - w, Y1 + w, X2, Y2 - w, c);
        return;
    }
    // Dashes of 18 pixels with gaps of 6, as the framework's dashed pen draws.
    auto dashes = [&](int from, int to, auto&& put) {
        for (int p = from; p < to; p += 24) put(p, std::min(p + 18, to));
    };
    dashes(X1, X2, [&](int a, int b) { fillNormalised(a, Y1, b, Y1 + w, c); });
    dashes(X1, X2, [&](int a, int b) { fillNormalised(a, Y2 - w, b, Y2, c); });
    dashes(Y1, Y2, [&](int a, int b) { fillNormalised(X1, a, X1 + w, b, c); });
    dashes(Y1, Y2, [&](int a, int b) { fillNormalised(X2 - w, a, X2, b, c); });
}

void TCanvas::TextOut(int X, int Y, const std::string& Text) {
    if (Text.empty()) return;
    TTextStyle style;
    style.font = m_font.logFont();
    style.color = m_font.Color();
    style.opaque = m_bkMode != TRANSPARENT;
    style.background = m_brush.Color;
    const std::string clean = sanitiseUtf8(Text);
    drawText(X, Y, clean, style);
}

// ---- UTF-8

std::string utf8Of(char32_t cp) {
    std::string out;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
        // not a character
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp <= 0x10FFFF) {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

std::string sanitiseUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        size_t len = 0;
        char32_t cp = 0;
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            len = 2;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3;
            cp = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4;
            cp = b & 0x07;
        }
        bool ok = len > 0 && i + len <= s.size();
        for (size_t k = 1; ok && k < len; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80) ok = false;
            else cp = (cp << 6) | (c & 0x3F);
        }
        // Reject overlong forms, surrogates and values beyond U+10FFFF.
        if (ok && ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
                   (cp >= 0xD800 && cp <= 0xDFFF)))
            ok = false;
        if (ok) {
            out.append(s.substr(i, len));
            i += len;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out;
}

}  // namespace zorvik
