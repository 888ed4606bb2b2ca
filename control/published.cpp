#include "control/published.h"

#include <array>
#include <limits>

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

bool wantInteger(const TFormValue& v, int64_t lo, int64_t hi, int& out, std::string& error) {
    if (v.kind != TFormValue::Kind::Integer) {
        error = "expected a whole number";
        return false;
    }
    if (v.integer < lo || v.integer > hi) {
        error = "expected a whole number from " + std::to_string(lo) + " to " + std::to_string(hi);
        return false;
    }
    out = static_cast<int>(v.integer);
    return true;
}

bool wantBool(const TFormValue& v, bool& out, std::string& error) {
    if (v.kind == TFormValue::Kind::Ident && sameIdent(v.text, "True")) out = true;
    else if (v.kind == TFormValue::Kind::Ident && sameIdent(v.text, "False")) out = false;
    else {
        error = "expected True or False";
        return false;
    }
    return true;
}

bool wantString(const TFormValue& v, std::string& out, std::string& error) {
    if (v.kind != TFormValue::Kind::String) {
        error = "expected a quoted string";
        return false;
    }
    out = v.text;
    return true;
}

bool wantColor(const TFormValue& v, TColor& out, std::string& error) {
    if (v.kind == TFormValue::Kind::Ident && IdentToColor(v.text, out)) return true;
    int c = 0;
    if (v.kind == TFormValue::Kind::Integer && wantInteger(v, std::numeric_limits<int32_t>::min(),
                                                           std::numeric_limits<int32_t>::max(), c, error)) {
        out = c;
        return true;
    }
    error = "expected a colour: a number or one of clBlack, clMaroon, ..., clWhite";
    return false;
}

std::string colorText(TColor c) {
    const std::string_view name = ColorToIdent(c);
    return name.empty() ? std::to_string(c) : std::string(name);
}

using Props = std::vector<PublishedProperty>;

PublishedProperty integer(std::string_view path, int (*get)(const TZorvik&), void (*set)(TZorvik&, int),
                          std::function<bool(const TZorvik&)> isDefault, int64_t lo = std::numeric_limits<int32_t>::min(),
                          int64_t hi = std::numeric_limits<int32_t>::max()) {
    return {path, PropertyType::Integer, {},
            [get](const TZorvik& z) { return std::to_string(get(z)); },
            [set, lo, hi](TZorvik& z, const TFormValue& v, std::string& e) {
                int i = 0;
                if (!wantInteger(v, lo, hi, i, e)) return false;
                set(z, i);
                return true;
            },
            std::move(isDefault)};
}

PublishedProperty boolean(std::string_view path, bool (*get)(const TZorvik&), void (*set)(TZorvik&, bool),
                          std::function<bool(const TZorvik&)> isDefault) {
    return {path, PropertyType::Boolean, {},
            [get](const TZorvik& z) { return boolText(get(z)); },
            [set](TZorvik& z, const TFormValue& v, std::string& e) {
                bool b = false;
                if (!wantBool(v, b, e)) return false;
                set(z, b);
                return true;
            },
            std::move(isDefault)};
}

auto never = [](const TZorvik&) { return false; };

PublishedProperty colour(std::string_view path, TColor (*get)(const TZorvik&), void (*set)(TZorvik&, TColor)) {
    return {path, PropertyType::Color, {}, [get](const TZorvik& z) { return colorText(get(z)); },
            [set](TZorvik& z, const TFormValue& v, std::string& e) {
                TColor c = 0;
                if (!wantColor(v, c, e)) return false;
                set(z, c);
                return true;
            },
            never};
}

template <typename E, size_t N>
PublishedProperty enumeration(std::string_view path, const std::array<std::string_view, N>& idents, E (*get)(const TZorvik&),
                              void (*set)(TZorvik&, E), std::function<bool(const TZorvik&)> isDefault) {
    std::vector<std::string_view> names(idents.begin(), idents.end());
    return {path, PropertyType::Enumeration, names,
            [get, names](const TZorvik& z) {
                const auto i = static_cast<size_t>(get(z));
                return i < names.size() ? std::string(names[i]) : std::to_string(i);
            },
            [set, names](TZorvik& z, const TFormValue& v, std::string& e) {
                if (v.kind == TFormValue::Kind::Ident) {
                    for (size_t i = 0; i < names.size(); ++i)
                        if (sameIdent(names[i], v.text)) {
                            set(z, static_cast<E>(i));
                            return true;
                        }
                }
                e = "expected one of";
                for (size_t i = 0; i < names.size(); ++i) e += std::string(i ? ", " : " ") + std::string(names[i]);
                return false;
            },
            std::move(isDefault)};
}


constexpr std::array<std::string_view, 12> kSymbologies{"Code_39", "Code_93", "Code_128", "ITF", "Industrial", "IATA",
                                                        "Codabar", "EAN_13", "EAN_8", "EAN_13_2AddOn", "EAN_13_5AddOn", "UPC_A"};
constexpr std::array<std::string_view, 3> kDensities{"High", "Medium", "Low"};
constexpr std::array<std::string_view, 2> kDirections{"Horizontal", "Vertical"};
constexpr std::array<std::string_view, 2> kAlignments{"txLeft", "txDensity"};
constexpr std::array<std::string_view, 2> kDragModes{"dmManual", "dmAutomatic"};

PublishedProperty eventProperty(std::string_view path) {
    return {path, PropertyType::Event, {},
            [path](const TZorvik& z) {
                auto it = z.eventBindings().find(std::string(path));
                return it == z.eventBindings().end() ? std::string() : it->second;
            },
            [path](TZorvik& z, const TFormValue& v, std::string& e) {
                if (v.kind != TFormValue::Kind::Ident) {
                    e = "expected the name of a handler";
                    return false;
                }
                z.eventBindings()[std::string(path)] = v.text;
                return true;
            },
            [path](const TZorvik& z) { return z.eventBindings().count(std::string(path)) == 0; }};
}

Props build() {
    Props p;
    // The component's own published property comes first.
    p.push_back(integer("Tag", [](const TZorvik& z) { return static_cast<int>(z.Tag()); },
                        [](TZorvik& z, int v) { z.SetTag(v); }, [](const TZorvik& z) { return z.Tag() == 0; }));
    p.push_back(integer("Left", [](const TZorvik& z) { return z.Left(); }, [](TZorvik& z, int v) { z.SetLeft(v); },
                        [](const TZorvik& z) { return z.Left() == 0; }));
    p.push_back(integer("Top", [](const TZorvik& z) { return z.Top(); }, [](TZorvik& z, int v) { z.SetTop(v); },
                        [](const TZorvik& z) { return z.Top() == 0; }));
    p.push_back(integer("Width", [](const TZorvik& z) { return z.Width(); }, [](TZorvik& z, int v) { z.SetWidth(v); },
                        never));
    p.push_back(integer("Height", [](const TZorvik& z) { return z.Height(); }, [](TZorvik& z, int v) { z.SetHeight(v); },
                        [](const TZorvik& z) { return z.Height() == 50; }));
    p.push_back({"DragCursor", PropertyType::Cursor, {},
                 [](const TZorvik& z) {
                     const auto name = nameOf(kCursors, z.DragCursor());
                     return name.empty() ? std::to_string(z.DragCursor()) : std::string(name);
                 },
                 [](TZorvik& z, const TFormValue& v, std::string& e) {
                     int c = 0;
                     if (v.kind == TFormValue::Kind::Ident && valueOf(kCursors, v.text, c)) {
                         z.SetDragCursor(c);
                         return true;
                     }
                     if (v.kind == TFormValue::Kind::Integer && wantInteger(v, -32768, 32767, c, e)) {
                         z.SetDragCursor(c);
                         return true;
                     }
                     e = "expected a cursor: a number or an identifier such as crDrag";
                     return false;
                 },
                 [](const TZorvik& z) { return z.DragCursor() == -12; }});
    p.push_back(enumeration<int>("DragMode", kDragModes, [](const TZorvik& z) { return z.DragMode(); },
                                 [](TZorvik& z, int v) { z.SetDragMode(v); },
                                 [](const TZorvik& z) { return z.DragMode() == 0; }));
    for (std::string_view e : {"OnDragDrop", "OnDragOver", "OnEndDrag", "OnMouseDown", "OnMouseMove", "OnMouseUp",
                               "OnClick", "OnDblClick"})
        p.push_back(eventProperty(e));

    p.push_back(enumeration<TBarCodeType>("Code.Symbology", kSymbologies,
                                          [](const TZorvik& z) { return z.Code()->Symbology(); },
                                          [](TZorvik& z, TBarCodeType v) { z.Code()->SetCode(v); }, never));
    p.push_back({"Code.Caption", PropertyType::String, {},
                 [](const TZorvik& z) { return formString(z.Code()->Caption()); },
                 [](TZorvik& z, const TFormValue& v, std::string& e) {
                     std::string s;
                     if (!wantString(v, s, e)) return false;
                     z.Code()->SetCaption(s);
                     return true;
                 },
                 never});
    p.push_back(boolean("Code.AutoSize", [](const TZorvik& z) { return z.Code()->AutoSize(); },
                        [](TZorvik& z, bool v) { z.Code()->SetAutoSize(v); },
                        [](const TZorvik& z) { return z.Code()->AutoSize(); }));
    p.push_back(boolean("Code.TextAutosize", [](const TZorvik& z) { return z.Code()->TextAutosize(); },
                        [](TZorvik& z, bool v) { z.Code()->SetTextAutoSize(v); }, never));
    p.push_back(enumeration<TDensity>("Code.Density", kDensities, [](const TZorvik& z) { return z.Code()->Density(); },
                                      [](TZorvik& z, TDensity v) { z.Code()->SetDensity(v); }, never));
    p.push_back(boolean("Code.Border", [](const TZorvik& z) { return z.Code()->Border(); },
                        [](TZorvik& z, bool v) { z.Code()->SetBorder(v); }, never));
    p.push_back(enumeration<TDirection>("Code.Direction", kDirections,
                                        [](const TZorvik& z) { return z.Code()->Direction(); },
                                        [](TZorvik& z, TDirection v) { z.Code()->SetDirection(v); },
                                        [](const TZorvik& z) { return z.Code()->Direction() == TDirection::Horizontal; }));
    p.push_back(boolean("Code.Transparent", [](const TZorvik& z) { return z.Code()->Transparent(); },
                        [](TZorvik& z, bool v) { z.Code()->SetTransparent(v); },
                        [](const TZorvik& z) { return !z.Code()->Transparent(); }));
    p.push_back(boolean("Code.ControlChars", [](const TZorvik& z) { return z.Code()->ControlChars(); },
                        [](TZorvik& z, bool v) { z.Code()->SetCtrlChar(v); },
                        [](const TZorvik& z) { return z.Code()->ControlChars(); }));
    p.push_back(boolean("Code.ShowCtrlsChars", [](const TZorvik& z) { return z.Code()->ShowCtrlsChars(); },
                        [](TZorvik& z, bool v) { z.Code()->SetShowCtrlsChars(v); }, never));
    p.push_back(boolean("Code.TextOn", [](const TZorvik& z) { return z.Code()->TextOn(); },
                        [](TZorvik& z, bool v) { z.Code()->SetTextOn(v); }, never));
    p.push_back(enumeration<TAlignment>("Code.TextAlignment", kAlignments,
                                        [](const TZorvik& z) { return z.Code()->TextAlignment(); },
                                        [](TZorvik& z, TAlignment v) { z.Code()->SetAlignment(v); }, never));
    p.push_back(eventProperty("Code.OnChange"));

    p.push_back(colour("BackColor", [](const TZorvik& z) { return z.BackColor(); },
                       [](TZorvik& z, TColor c) { z.SetBackColor(c); }));
    p.push_back(colour("BarColor", [](const TZorvik& z) { return z.BarColor(); },
                       [](TZorvik& z, TColor c) { z.SetBarColor(c); }));

    // The font as the host framework writes it.
    p.push_back({"Font.Charset", PropertyType::Charset, {},
                 [](const TZorvik& z) {
                     const auto name = charsetIdent(z.Font()->Charset());
                     return name.empty() ? std::to_string(z.Font()->Charset()) : std::string(name);
                 },
                 [](TZorvik& z, const TFormValue& v, std::string& e) {
                     int c = 0;
                     if (v.kind == TFormValue::Kind::Ident && identToCharset(v.text, c)) {
                         z.Font()->SetCharset(static_cast<uint8_t>(c));
                         return true;
                     }
                     if (v.kind == TFormValue::Kind::Integer && wantInteger(v, 0, 255, c, e)) {
                         z.Font()->SetCharset(static_cast<uint8_t>(c));
                         return true;
                     }
                     e = "expected a character set: 0 to 255 or an identifier such as DEFAULT_CHARSET";
                     return false;
                 },
                 never});
    p.push_back(colour("Font.Color", [](const TZorvik& z) { return z.Font()->Color(); },
                       [](TZorvik& z, TColor c) { z.Font()->SetColor(c); }));
    p.push_back(integer("Font.Height", [](const TZorvik& z) { return z.Font()->Height(); },
                        [](TZorvik& z, int v) { z.Font()->SetHeight(v); }, never, -16384, 16384));
    p.push_back({"Font.Name", PropertyType::String, {}, [](const TZorvik& z) { return formString(z.Font()->Name()); },
                 [](TZorvik& z, const TFormValue& v, std::string& e) {
                     std::string s;
                     if (!wantString(v, s, e)) return false;
                     z.Font()->SetName(s);
                     return true;
                 },
                 never});
    p.push_back({"Font.Style", PropertyType::FontStyles, {},
                 [](const TZorvik& z) {
                     std::string s = "[";
                     for (size_t i = 0; i < kFontStyles.size(); ++i)
                         if (z.Font()->Style() & (1u << i)) {
                             if (s.size() > 1) s += ", ";
                             s += kFontStyles[i];
                         }
                     return s + "]";
                 },
                 [](TZorvik& z, const TFormValue& v, std::string& e) {
                     if (v.kind != TFormValue::Kind::Set) {
                         e = "expected a set such as [fsBold, fsItalic]";
                         return false;
                     }
                     TFontStyles styles = 0;
                     for (const std::string& item : v.items) {
                         size_t i = 0;
                         while (i < kFontStyles.size() && !sameIdent(kFontStyles[i], item)) ++i;
                         if (i == kFontStyles.size()) {
                             e = "unknown font style '" + item + "'";
                             return false;
                         }
                         styles |= 1u << i;
                     }
                     z.Font()->SetStyle(styles);
                     return true;
                 },
                 never});
    p.push_back(boolean("Visible", [](const TZorvik& z) { return z.Visible(); },
                        [](TZorvik& z, bool v) { z.SetVisible(v); }, [](const TZorvik& z) { return z.Visible(); }));
    p.push_back({"DataField", PropertyType::String, {}, [](const TZorvik& z) { return formString(z.DataField()); },
                 [](TZorvik& z, const TFormValue& v, std::string& e) {
                     std::string s;
                     if (!wantString(v, s, e)) return false;
                     z.SetDataField(s);
                     return true;
                 },
                 [](const TZorvik& z) { return z.DataField().empty(); }});
    // A component of the form, named; the name is kept when the form does not hold it.
    p.push_back({"DataSource", PropertyType::Reference, {}, [](const TZorvik& z) { return z.DataSourceName(); },
                 [](TZorvik& z, const TFormValue& v, std::string& e) {
                     if (v.kind != TFormValue::Kind::Ident) {
                         e = "expected the name of a data source";
                         return false;
                     }
                     TComponent* owner = z.Owner();
                     for (int i = 0; owner != nullptr && i < owner->ComponentCount(); ++i)
                         if (auto* source = dynamic_cast<TDataSource*>(owner->Components(i));
                             source != nullptr && sameIdent(source->Name(), v.text)) {
                             z.SetDataSource(source);
                             return true;
                         }
                     z.SetDataSource(nullptr);
                     z.SetDataSourceName(v.text);
                     return true;
                 },
                 [](const TZorvik& z) { return z.DataSourceName().empty(); }});
    return p;
}

}  // namespace

std::string_view charsetIdent(int Charset) { return nameOf(kCharsets, Charset); }
bool identToCharset(std::string_view Ident, int& Charset) { return valueOf(kCharsets, Ident, Charset); }

const std::vector<PublishedProperty>& zorvikProperties() {
    static const Props props = build();
    return props;
}

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
    int n = 0;
    TColor color = 0;
    switch (Property.type) {
        case PropertyType::Integer: return std::to_string(Value.integer);
        case PropertyType::Boolean: return sameIdent(Value.text, "True") ? "True" : "False";
        case PropertyType::String: return formString(Value.text);
        case PropertyType::Event:
        case PropertyType::Reference: return Value.text;
        case PropertyType::Enumeration:
            for (std::string_view id : Property.idents)
                if (sameIdent(id, Value.text)) return std::string(id);
            return Value.text;
        case PropertyType::Color:
            if (Value.kind == TFormValue::Kind::Ident && IdentToColor(Value.text, color)) return colorText(color);
            return colorText(static_cast<TColor>(Value.integer));
        case PropertyType::Charset:
            if (Value.kind == TFormValue::Kind::Ident && identToCharset(Value.text, n)) return std::string(charsetIdent(n));
            return charsetIdent(static_cast<int>(Value.integer)).empty() ? std::to_string(Value.integer)
                                                                         : std::string(charsetIdent(static_cast<int>(Value.integer)));
        case PropertyType::Cursor:
            if (Value.kind == TFormValue::Kind::Ident && valueOf(kCursors, Value.text, n)) return std::string(nameOf(kCursors, n));
            return nameOf(kCursors, static_cast<int>(Value.integer)).empty()
                       ? std::to_string(Value.integer)
                       : std::string(nameOf(kCursors, static_cast<int>(Value.integer)));
        case PropertyType::FontStyles: {
            std::string s = "[";
            for (std::string_view style : kFontStyles)
                for (const std::string& item : Value.items)
                    if (sameIdent(style, item)) {
                        if (s.size() > 1) s += ", ";
                        s += style;
                        break;
                    }
            return s + "]";
        }
    }
    return {};
}

}  // namespace zorvik
