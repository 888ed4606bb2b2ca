#include "control/published.h"

#include <array>
#include <limits>

#include "control/symbology.h"
#include "control/zorvik.h"

namespace zorvik {

namespace {

struct NamedValue {
    int value;
    std::string_view name;
};

// The host framework's character set identifiers.
constexpr std::array<NamedValue, 19> kCharsets{{
    {0, "ANSI_CHARSET"},        {1, "DEFAULT_CHARSET"},     {2, "SYMBOL_CHARSET"},    {77, "MAC_CHARSET"},
    {128, "SHIFTJIS_CHARSET"},  {129, "HANGEUL_CHARSET"},   {130, "JOHAB_CHARSET"},   {134, "GB2312_CHARSET"},
    {136, "CHINESEBIG5_CHARSET"}, {161, "GREEK_CHARSET"},   {162, "TURKISH_CHARSET"}, {163, "VIETNAMESE_CHARSET"},
    {177, "HEBREW_CHARSET"},    {178, "ARABIC_CHARSET"},    {186, "BALTIC_CHARSET"},  {204, "RUSSIAN_CHARSET"},
    {222, "THAI_CHARSET"},      {238, "EASTEUROPE_CHARSET"}, {255, "OEM_CHARSET"},
}};

// The host framework's standard cursors.
constexpr std::array<NamedValue, 22> kCursors{{
    {0, "crDefault"},    {-1, "crNone"},      {-2, "crArrow"},     {-3, "crCross"},     {-4, "crIBeam"},
    {-22, "crSizeAll"},  {-6, "crSizeNESW"},  {-7, "crSizeNS"},    {-8, "crSizeNWSE"},  {-9, "crSizeWE"},
    {-10, "crUpArrow"},  {-11, "crHourGlass"}, {-12, "crDrag"},    {-13, "crNoDrop"},   {-14, "crHSplit"},
    {-15, "crVSplit"},   {-16, "crMultiDrag"}, {-17, "crSQLWait"}, {-18, "crNo"},       {-19, "crAppStart"},
    {-20, "crHelp"},     {-21, "crHandPoint"},
}};

constexpr std::array<std::string_view, 4> kFontStyles{"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};

std::string_view nameOf(const auto& table, int value) {
    for (const auto& e : table)
        if (e.value == value) return e.name;
    return {};
}

bool valueOf(const auto& table, std::string_view name, int& value) {
    for (const auto& e : table)
        if (sameIdent(e.name, name)) {
            value = e.value;
            return true;
        }
    return false;
}

std::string boolText(bool b) { return b ? "True" : "False"; }

bool wantInteger(const TFormValue& v, int64_t lo, int64_t hi, int64_t& out, std::string& error) {
    if (v.kind != TFormValue::Kind::Integer) {
        error = "expected a whole number";
        return false;
    }
    if (v.integer < lo || v.integer > hi) {
        error = "expected a whole number from " + std::to_string(lo) + " to " + std::to_string(hi);
        return false;
    }
    out = v.integer;
    return true;
}

std::string colorText(TColor c) {
    const std::string_view name = ColorToIdent(c);
    return name.empty() ? std::to_string(c) : std::string(name);
}

std::string fontStylesText(int64_t styles) {
    std::string s = "[";
    for (size_t i = 0; i < kFontStyles.size(); ++i)
        if (styles & (int64_t{1} << i)) {
            if (s.size() > 1) s += ", ";
            s += kFontStyles[i];
        }
    return s + "]";
}

std::string namedOrNumber(std::string_view name, int64_t n) { return name.empty() ? std::to_string(n) : std::string(name); }

// The identifiers of the symbologies, taken from the symbology table.
constexpr std::array<std::string_view, kBarCodeTypeCount> kSymbologyIdents = [] {
    std::array<std::string_view, kBarCodeTypeCount> idents{};
    for (size_t i = 0; i < idents.size(); ++i) idents[i] = kSymbologyTable[i].ident;
    return idents;
}();
constexpr std::array<std::string_view, 2> kDragModes{"dmManual", "dmAutomatic"};

using T = PropertyType;

// Accessors, one line each; the table below says everything else.
#define NUM(expr) [](const TZorvik& z) -> int64_t { return static_cast<int64_t>(expr); }
#define SET(stmt) [](TZorvik& z, int64_t v) { stmt; }
#define TXT(expr) [](const TZorvik& z) -> std::string { return expr; }
#define SETTXT(stmt) [](TZorvik& z, const std::string& v) { stmt; }

// Publication order: the component's Tag, the control's position and size,
// the re-published drag properties and events, then the barcode's own.
constexpr std::array<PublishedProperty, 38> kProperties{{
    {"Tag", T::Integer, Stored::UnlessDefault, 0, {}, INT32_MIN, INT32_MAX, NUM(z.Tag()), SET(z.SetTag(static_cast<int32_t>(v)))},
    {"Left", T::Integer, Stored::UnlessDefault, 0, {}, INT32_MIN, INT32_MAX, NUM(z.Left()), SET(z.SetLeft(static_cast<int>(v)))},
    {"Top", T::Integer, Stored::UnlessDefault, 0, {}, INT32_MIN, INT32_MAX, NUM(z.Top()), SET(z.SetTop(static_cast<int>(v)))},
    {"Width", T::Integer, Stored::Always, 0, {}, INT32_MIN, INT32_MAX, NUM(z.Width()), SET(z.SetWidth(static_cast<int>(v)))},
    {"Height", T::Integer, Stored::UnlessDefault, 50, {}, INT32_MIN, INT32_MAX, NUM(z.Height()), SET(z.SetHeight(static_cast<int>(v)))},
    {"DragCursor", T::Cursor, Stored::UnlessDefault, -12, {}, -32768, 32767, NUM(z.DragCursor()), SET(z.SetDragCursor(static_cast<int>(v)))},
    {"DragMode", T::Enumeration, Stored::UnlessDefault, 0, kDragModes, 0, 1, NUM(z.DragMode()), SET(z.SetDragMode(static_cast<int>(v)))},
    {"OnDragDrop", T::Event}, {"OnDragOver", T::Event}, {"OnEndDrag", T::Event}, {"OnMouseDown", T::Event},
    {"OnMouseMove", T::Event}, {"OnMouseUp", T::Event}, {"OnClick", T::Event}, {"OnDblClick", T::Event},
    {"Code.Symbology", T::Enumeration, Stored::Always, 0, kSymbologyIdents, 0, kBarCodeTypeCount - 1,
     NUM(ord(z.Code()->Symbology())), SET(z.Code()->SetCode(static_cast<TBarCodeType>(v)))},
    {"Code.Caption", T::String, Stored::Always, 0, {}, 0, 0, nullptr, nullptr, TXT(z.Code()->Caption()), SETTXT(z.Code()->SetCaption(v))},
    {"Code.AutoSize", T::Boolean, Stored::UnlessDefault, 1, {}, 0, 1, NUM(z.Code()->AutoSize()), SET(z.Code()->SetAutoSize(v != 0))},
    {"Code.TextAutosize", T::Boolean, Stored::Always, 0, {}, 0, 1, NUM(z.Code()->TextAutosize()), SET(z.Code()->SetTextAutoSize(v != 0))},
    {"Code.Density", T::Enumeration, Stored::Always, 0, kDensityIdents, 0, kDensityCount - 1,
     NUM(ord(z.Code()->Density())), SET(z.Code()->SetDensity(static_cast<TDensity>(v)))},
    {"Code.Border", T::Boolean, Stored::Always, 0, {}, 0, 1, NUM(z.Code()->Border()), SET(z.Code()->SetBorder(v != 0))},
    {"Code.Direction", T::Enumeration, Stored::UnlessDefault, 0, kDirectionIdents, 0, 1,
     NUM(ord(z.Code()->Direction())), SET(z.Code()->SetDirection(static_cast<TDirection>(v)))},
    {"Code.Transparent", T::Boolean, Stored::UnlessDefault, 0, {}, 0, 1, NUM(z.Code()->Transparent()), SET(z.Code()->SetTransparent(v != 0))},
    {"Code.ControlChars", T::Boolean, Stored::UnlessDefault, 1, {}, 0, 1, NUM(z.Code()->ControlChars()), SET(z.Code()->SetCtrlChar(v != 0))},
    {"Code.ShowCtrlsChars", T::Boolean, Stored::Always, 0, {}, 0, 1, NUM(z.Code()->ShowCtrlsChars()), SET(z.Code()->SetShowCtrlsChars(v != 0))},
    {"Code.TextOn", T::Boolean, Stored::Always, 0, {}, 0, 1, NUM(z.Code()->TextOn()), SET(z.Code()->SetTextOn(v != 0))},
    {"Code.TextAlignment", T::Enumeration, Stored::Always, 0, kAlignmentIdents, 0, 1,
     NUM(ord(z.Code()->TextAlignment())), SET(z.Code()->SetAlignment(static_cast<TAlignment>(v)))},
    {"Code.OnChange", T::Event},
    {"BackColor", T::Color, Stored::Always, clWhite, {}, INT32_MIN, INT32_MAX, NUM(z.BackColor()), SET(z.SetBackColor(static_cast<TColor>(v)))},
    {"BarColor", T::Color, Stored::Always, 0, {}, INT32_MIN, INT32_MAX, NUM(z.BarColor()), SET(z.SetBarColor(static_cast<TColor>(v)))},
    // The font as the host framework writes it.
    {"Font.Charset", T::Charset, Stored::Always, DEFAULT_CHARSET, {}, 0, 255, NUM(z.Font()->Charset()), SET(z.Font()->SetCharset(static_cast<uint8_t>(v)))},
    {"Font.Color", T::Color, Stored::Always, 0, {}, INT32_MIN, INT32_MAX, NUM(z.Font()->Color()), SET(z.Font()->SetColor(static_cast<TColor>(v)))},
    {"Font.Height", T::Integer, Stored::Always, -11, {}, -16384, 16384, NUM(z.Font()->Height()), SET(z.Font()->SetHeight(static_cast<int>(v)))},
    {"Font.Name", T::String, Stored::Always, 0, {}, 0, 0, nullptr, nullptr, TXT(z.Font()->Name()), SETTXT(z.Font()->SetName(v))},
    {"Font.Style", T::FontStyles, Stored::Always, 0, {}, 0, 15, NUM(z.Font()->Style()), SET(z.Font()->SetStyle(static_cast<TFontStyles>(v)))},
    {"Visible", T::Boolean, Stored::UnlessDefault, 1, {}, 0, 1, NUM(z.Visible()), SET(z.SetVisible(v != 0))},
    {"DataField", T::String, Stored::UnlessDefault, 0, {}, 0, 0, nullptr, nullptr, TXT(z.DataField()), SETTXT(z.SetDataField(v))},
    // A component of the form, named; the name is kept when the form does not hold it.
    {"DataSource", T::Reference, Stored::UnlessDefault, 0, {}, 0, 0, nullptr, nullptr, TXT(z.DataSourceName()),
     SETTXT(bindDataSource(z, v))},
}};
static_assert(kProperties.size() == 38);

#undef NUM
#undef SET
#undef TXT
#undef SETTXT

// A value of the wrong kind, named as the property's type expects it.
std::string expected(const PublishedProperty& p) {
    switch (p.type) {
        case T::Integer: return "expected a whole number";
        case T::Boolean: return "expected True or False";
        case T::String: return "expected a quoted string";
        case T::Color: return "expected a colour: a number or one of clBlack, clMaroon, ..., clWhite";
        case T::FontStyles: return "expected a set such as [fsBold, fsItalic]";
        case T::Charset: return "expected a character set: 0 to 255 or an identifier such as DEFAULT_CHARSET";
        case T::Cursor: return "expected a cursor: a number or an identifier such as crDrag";
        case T::Event: return "expected the name of a handler";
        case T::Reference: return "expected the name of a data source";
        case T::Enumeration: {
            std::string e = "expected one of";
            for (size_t i = 0; i < p.idents.size(); ++i) e += std::string(i ? ", " : " ") + std::string(p.idents[i]);
            return e;
        }
    }
    return {};
}

// The number a form-file value stands for; false with the reason.
bool numberOf(const PublishedProperty& p, const TFormValue& v, int64_t& n, std::string& error) {
    const bool ident = v.kind == TFormValue::Kind::Ident;
    const bool integer = v.kind == TFormValue::Kind::Integer;
    int named = 0;
    TColor colour = 0;
    switch (p.type) {
        case T::Integer: return wantInteger(v, p.min, p.max, n, error);
        case T::Boolean:
            if (ident && (sameIdent(v.text, "True") || sameIdent(v.text, "False"))) {
                n = sameIdent(v.text, "True") ? 1 : 0;
                return true;
            }
            break;
        case T::Enumeration:
            for (size_t i = 0; ident && i < p.idents.size(); ++i)
                if (sameIdent(p.idents[i], v.text)) {
                    n = static_cast<int64_t>(i);
                    return true;
                }
            break;
        case T::Color:
            if (ident && IdentToColor(v.text, colour)) {
                n = colour;
                return true;
            }
            if (integer && wantInteger(v, p.min, p.max, n, error)) return true;
            break;
        case T::Charset:
        case T::Cursor:
            if (ident && (p.type == T::Charset ? valueOf(kCharsets, v.text, named) : valueOf(kCursors, v.text, named))) {
                n = named;
                return true;
            }
            if (integer && wantInteger(v, p.min, p.max, n, error)) return true;
            break;
        case T::FontStyles:
            if (v.kind != TFormValue::Kind::Set) break;
            n = 0;
            for (const std::string& item : v.items) {
                size_t i = 0;
                while (i < kFontStyles.size() && !sameIdent(kFontStyles[i], item)) ++i;
                if (i == kFontStyles.size()) {
                    error = "unknown font style '" + item + "'";
                    return false;
                }
                n |= int64_t{1} << i;
            }
            return true;
        default: break;
    }
    if (error.empty() || p.type != T::Integer) error = expected(p);
    return false;
}

// How a number of the property's type is written.
std::string numberText(const PublishedProperty& p, int64_t n) {
    switch (p.type) {
        case T::Boolean: return boolText(n != 0);
        case T::Enumeration:
            return n >= 0 && static_cast<size_t>(n) < p.idents.size() ? std::string(p.idents[static_cast<size_t>(n)])
                                                                       : std::to_string(n);
        case T::Color: return colorText(static_cast<TColor>(n));
        case T::Charset: return namedOrNumber(nameOf(kCharsets, static_cast<int>(n)), n);
        case T::Cursor: return namedOrNumber(nameOf(kCursors, static_cast<int>(n)), n);
        case T::FontStyles: return fontStylesText(n);
        default: return std::to_string(n);
    }
}

}  // namespace

void bindDataSource(TZorvik& z, const std::string& name) {
    TComponent* owner = z.Owner();
    for (int i = 0; owner != nullptr && i < owner->ComponentCount(); ++i)
        if (auto* source = dynamic_cast<TDataSource*>(owner->Components(i));
            source != nullptr && sameIdent(source->Name(), name)) {
            z.SetDataSource(source);
            return;
        }
    z.SetDataSource(nullptr);
    z.SetDataSourceName(name);
}

std::string PublishedProperty::format(const TZorvik& Control) const {
    if (type == T::Event) {
        auto it = Control.eventBindings().find(std::string(path));
        return it == Control.eventBindings().end() ? std::string() : it->second;
    }
    if (isNumeric()) return numberText(*this, getNumber(Control));
    return type == T::String ? formString(getText(Control)) : getText(Control);
}

bool PublishedProperty::assign(TZorvik& Control, const TFormValue& Value, std::string& Error) const {
    if (type == T::Event || type == T::Reference) {
        if (Value.kind != TFormValue::Kind::Ident) {
            Error = expected(*this);
            return false;
        }
        if (type == T::Event) Control.eventBindings()[std::string(path)] = Value.text;
        else setText(Control, Value.text);
        return true;
    }
    if (!isNumeric()) {
        if (Value.kind != TFormValue::Kind::String) {
            Error = expected(*this);
            return false;
        }
        setText(Control, Value.text);
        return true;
    }
    int64_t n = 0;
    if (!numberOf(*this, Value, n, Error)) return false;
    setNumber(Control, n);
    return true;
}

bool PublishedProperty::isDefault(const TZorvik& Control) const {
    if (type == T::Event) return Control.eventBindings().count(std::string(path)) == 0;
    if (stored == Stored::Always) return false;
    return isNumeric() ? getNumber(Control) == storedDefault : getText(Control).empty();
}

std::string_view charsetIdent(int Charset) { return nameOf(kCharsets, Charset); }
bool identToCharset(std::string_view Ident, int& Charset) { return valueOf(kCharsets, Ident, Charset); }
std::string_view cursorIdent(int Cursor) { return nameOf(kCursors, Cursor); }

std::span<const PublishedProperty> zorvikProperties() { return kProperties; }

const PublishedProperty* findProperty(std::string_view Path) {
    for (const auto& p : zorvikProperties())
        if (sameIdent(p.path, Path)) return &p;
    return nullptr;
}

bool parsePropertyText(const PublishedProperty& Property, std::string_view Text, bool Literal, TFormValue& Value,
                       std::string& Error) {
    if (Literal && Property.type == PropertyType::String) {
        Value = TFormValue{};
        Value.kind = TFormValue::Kind::String;
        Value.text = std::string(Text);
        if (Value.text != sanitiseUtf8(Value.text)) {
            Error = "the text is not valid UTF-8";
            return false;
        }
        return true;
    }
    return parseFormValue(Text, Value, Error);
}

bool assignProperty(TZorvik& Control, const PublishedProperty& Property, std::string_view Text, bool Literal,
                    std::string& Error) {
    TFormValue value;
    return parsePropertyText(Property, Text, Literal, value, Error) && Property.assign(Control, value, Error);
}

std::string formatValue(const PublishedProperty& Property, const TFormValue& Value) {
    switch (Property.type) {
        case PropertyType::String: return formString(Value.text);
        case PropertyType::Event:
        case PropertyType::Reference: return Value.text;
        default: break;
    }
    int64_t n = 0;
    std::string error;
    return numberOf(Property, Value, n, error) ? numberText(Property, n) : Value.text;
}

}  // namespace zorvik
