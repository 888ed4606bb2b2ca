#include "platform/formloader.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

#include "platform/formvalue.h"

namespace zorvik {

void TFormLoader::addClass(std::string ClassName, Create Creator, Read Reader) {
    m_classes.push_back({std::move(ClassName), std::move(Creator), std::move(Reader)});
}

const TFormLoader::Class* TFormLoader::classOf(std::string_view Name) const {
    for (const Class& c : m_classes)
        if (sameIdent(c.name, Name)) return &c;
    return nullptr;
}

bool TFormLoader::knows(std::string_view ClassName) const { return classOf(ClassName) != nullptr; }

bool TFormLoader::create(const TFormObject& Object, TComponent& Owner, TComponent* Parent, std::string& Error) {
    TComponent* made = nullptr;
    if (const Class* c = classOf(Object.className); c != nullptr) {
        if (!Object.name.empty() && find(Object.name) != nullptr) {
            Error = m_file + ":" + std::to_string(Object.line) + ": a second component called '" + Object.name + "'";
            return false;
        }
        made = c->create(Owner, Parent);
        if (made == nullptr) {
            Error = m_file + ":" + std::to_string(Object.line) + ": a " + Object.className + " cannot be placed here";
            return false;
        }
        made->SetName(Object.name);
        m_loaded.push_back({&Object, made});
    }
    for (const TFormObject& child : Object.children)
        if (!create(child, Owner, made != nullptr ? made : Parent, Error)) return false;
    return true;
}

bool TFormLoader::load(const std::vector<TFormObject>& Roots, const std::string& File, TComponent& Owner,
                       std::string& Error) {
    m_file = File;
    m_loaded.clear();
    for (const TFormObject& o : Roots)
        if (!create(o, Owner, nullptr, Error)) return false;
    for (const Loaded& l : m_loaded)
        if (!classOf(l.object->className)->read(*l.component, *l.object, *this, Error)) return false;
    return true;
}

TComponent* TFormLoader::find(std::string_view Name) const {
    for (const Loaded& l : m_loaded)
        if (!Name.empty() && sameIdent(l.component->Name(), Name)) return l.component;
    return nullptr;
}

std::string TFormLoader::where(const TFormProperty& Property) const {
    return m_file + ":" + std::to_string(Property.line) + ": ";
}

bool TFormLoader::unknown(const TFormProperty& Property, std::string_view ClassName, std::string& Error) const {
    Error = where(Property) + "unknown property '" + Property.path + "' of " + std::string(ClassName);
    return false;
}

namespace {

bool parse(const TFormLoader& l, const TFormProperty& p, TFormValue& v, TFormValue::Kind want, const char* what,
           std::string& error) {
    std::string why;
    if (!parseFormValue(p.value, v, why)) {
        error = l.where(p) + "bad value for " + p.path + ": " + why;
        return false;
    }
    if (v.kind != want) {
        error = l.where(p) + "bad value for " + p.path + ": expected " + what + ", found " + p.value;
        return false;
    }
    return true;
}

}  // namespace

bool TFormLoader::string(const TFormProperty& Property, std::string& Value, std::string& Error) const {
    TFormValue v;
    if (!parse(*this, Property, v, TFormValue::Kind::String, "a string", Error)) return false;
    Value = v.text;
    return true;
}

bool TFormLoader::integer(const TFormProperty& Property, int& Value, std::string& Error) const {
    TFormValue v;
    if (!parse(*this, Property, v, TFormValue::Kind::Integer, "a whole number", Error)) return false;
    if (v.integer < std::numeric_limits<int>::min() || v.integer > std::numeric_limits<int>::max()) {
        Error = where(Property) + "bad value for " + Property.path + ": " + Property.value + " is out of range";
        return false;
    }
    Value = static_cast<int>(v.integer);
    return true;
}

bool TFormLoader::number(const TFormProperty& Property, long double& Value, std::string& Error) const {
    const std::string& s = Property.value;
    double d = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), d);
    // Report units are sizes on paper: a kilometre is surely a mistake.
    if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(d) || std::fabs(d) > 1e6) {
        Error = where(Property) + "bad value for " + Property.path + ": expected a number, found " + s;
        return false;
    }
    Value = d;
    return true;
}

bool TFormLoader::boolean(const TFormProperty& Property, bool& Value, std::string& Error) const {
    static constexpr std::string_view kBooleans[] = {"False", "True"};
    int i = 0;
    if (!ident(Property, kBooleans, i, Error)) return false;
    Value = i == 1;
    return true;
}

bool TFormLoader::color(const TFormProperty& Property, TColor& Value, std::string& Error) const {
    TFormValue v;
    std::string why;
    if (parseFormValue(Property.value, v, why)) {
        if (v.kind == TFormValue::Kind::Ident && IdentToColor(v.text, Value)) return true;
        if (v.kind == TFormValue::Kind::Integer && v.integer >= std::numeric_limits<TColor>::min() &&
            v.integer <= 0xFFFFFFFFLL) {
            Value = static_cast<TColor>(static_cast<uint32_t>(v.integer));
            return true;
        }
    }
    Error = where(Property) + "bad value for " + Property.path + ": expected a colour, found " + Property.value;
    return false;
}

bool TFormLoader::ident(const TFormProperty& Property, std::span<const std::string_view> Idents, int& Value,
                        std::string& Error) const {
    TFormValue v;
    std::string why;
    if (parseFormValue(Property.value, v, why) && v.kind == TFormValue::Kind::Ident)
        for (size_t i = 0; i < Idents.size(); ++i)
            if (sameIdent(Idents[i], v.text)) {
                Value = static_cast<int>(i);
                return true;
            }
    std::string names;
    for (std::string_view n : Idents) names += (names.empty() ? "" : ", ") + std::string(n);
    Error = where(Property) + "bad value for " + Property.path + ": expected one of " + names + ", found " +
            Property.value;
    return false;
}

bool TFormLoader::strings(const TFormProperty& Property, std::string& Value, std::string& Error) const {
    std::string_view s = Property.value;
    auto fail = [&] {
        Error = where(Property) + "bad value for " + Property.path + ": expected a list of strings ('...' '...')";
        return false;
    };
    if (s.size() < 2 || s.front() != '(' || s.back() != ')') return fail();
    s = s.substr(1, s.size() - 2);
    Value.clear();
    bool first = true;
    size_t i = 0;
    while (i < s.size()) {
        if (std::isspace(static_cast<unsigned char>(s[i]))) {
            ++i;
            continue;
        }
        // One item: quoted runs and #nnn codes without spaces between them.
        size_t j = i;
        bool quoted = false;
        while (j < s.size() && (quoted || !std::isspace(static_cast<unsigned char>(s[j])))) {
            if (s[j] == '\'') quoted = !quoted;
            ++j;
        }
        TFormValue v;
        std::string why;
        if (!parseFormValue(s.substr(i, j - i), v, why) || v.kind != TFormValue::Kind::String) return fail();
        if (!first) Value += '\n';
        Value += v.text;
        first = false;
        i = j;
    }
    return true;
}

bool TFormLoader::referenceName(const TFormProperty& Property, std::string& Name, std::string& Error) const {
    TFormValue v;
    if (!parse(*this, Property, v, TFormValue::Kind::Ident, "the name of a component", Error)) return false;
    Name = v.text;
    return true;
}

bool TFormLoader::font(const TFormProperty& Property, TFont& Font, bool& Known, std::string& Error) const {
    Known = true;
    const std::string& p = Property.path;
    if (sameIdent(p, "Font.Name")) {
        std::string s;
        if (!string(Property, s, Error)) return false;
        Font.SetName(s);
    } else if (sameIdent(p, "Font.Height")) {
        int h = 0;
        if (!integer(Property, h, Error)) return false;
        Font.SetHeight(h);
    } else if (sameIdent(p, "Font.Color")) {
        TColor c = 0;
        if (!color(Property, c, Error)) return false;
        Font.SetColor(c);
    } else if (sameIdent(p, "Font.Style")) {
        TFormValue v;
        if (!parse(*this, Property, v, TFormValue::Kind::Set, "a set of styles", Error)) return false;
        static constexpr std::string_view kStyles[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
        TFontStyles styles = 0;
        for (const std::string& item : v.items) {
            bool found = false;
            for (size_t i = 0; i < std::size(kStyles); ++i)
                if (sameIdent(kStyles[i], item)) {
                    styles |= 1u << i;
                    found = true;
                }
            if (!found) {
                Error = where(Property) + "bad value for " + p + ": unknown font style '" + item + "'";
                return false;
            }
        }
        Font.SetStyle(styles);
    } else if (sameIdent(p, "Font.Charset")) {
        TFormValue v;
        std::string why;
        if (parseFormValue(Property.value, v, why) && v.kind == TFormValue::Kind::Integer && v.integer >= 0 &&
            v.integer <= 255) {
            Font.SetCharset(static_cast<uint8_t>(v.integer));
        } else if (v.kind == TFormValue::Kind::Ident && sameIdent(v.text, "DEFAULT_CHARSET")) {
            Font.SetCharset(DEFAULT_CHARSET);
        } else if (v.kind == TFormValue::Kind::Ident && sameIdent(v.text, "ANSI_CHARSET")) {
            Font.SetCharset(0);
        } else {
            Error = where(Property) + "bad value for " + p + ": expected a character set, found " + Property.value;
            return false;
        }
    } else {
        Known = false;
    }
    return true;
}

}  // namespace zorvik
