#include "platform/formvalue.h"

#include <cctype>
#include <limits>

#include "platform/graphics.h"

namespace zorvik {

namespace {

bool isIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool isIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

bool parseInteger(std::string_view s, int64_t& out) {
    bool negative = false;
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (!s.empty() && s[0] == '$') {
        base = 16;
        s.remove_prefix(1);
    }
    if (s.empty()) return false;
    uint64_t v = 0;
    for (char c : s) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        if (v > (static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) + 1 - d) / base) return false;
        v = v * base + d;
    }
    if (!negative && v > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) return false;
    out = negative ? static_cast<int64_t>(0 - v) : static_cast<int64_t>(v);
    return true;
}

}  // namespace

bool sameIdent(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

bool parseFormValue(std::string_view text, TFormValue& value, std::string& error) {
    const std::string_view s = trim(text);
    value = TFormValue{};
    if (s.empty()) {
        error = "a value is missing";
        return false;
    }
    const char first = s[0];
    if (first == '\'' || first == '#') {
        value.kind = TFormValue::Kind::String;
        size_t i = 0;
        while (i < s.size()) {
            if (s[i] == '\'') {
                ++i;
                bool closed = false;
                while (i < s.size()) {
                    if (s[i] == '\'') {
                        if (i + 1 < s.size() && s[i + 1] == '\'') {
                            value.text += '\'';
                            i += 2;
                            continue;
                        }
                        ++i;
                        closed = true;
                        break;
                    }
                    value.text += s[i++];
                }
                if (!closed) {
                    error = "a string is not closed";
                    return false;
                }
            } else if (s[i] == '#') {
                size_t j = i + 1;
                while (j < s.size() && (std::isxdigit(static_cast<unsigned char>(s[j])) || s[j] == '$')) ++j;
                int64_t code = -1;
                if (!parseInteger(s.substr(i + 1, j - i - 1), code) || code < 0 || code > 0x10FFFF ||
                    (code >= 0xD800 && code <= 0xDFFF)) {
                    error = "bad character code '" + std::string(s.substr(i, j - i)) + "'";
                    return false;
                }
                value.text += utf8Of(static_cast<char32_t>(code));
                i = j;
            } else if (s[i] == '+' || std::isspace(static_cast<unsigned char>(s[i]))) {
                // Runs continued over lines: 'abc' + 'def'.
                ++i;
            } else {
                error = "unexpected '" + std::string(1, s[i]) + "' in a string";
                return false;
            }
        }
        if (value.text != sanitiseUtf8(value.text)) {
            error = "a string is not valid UTF-8";
            return false;
        }
        return true;
    }
    if (first == '[') {
        value.kind = TFormValue::Kind::Set;
        if (s.back() != ']') {
            error = "a set is not closed";
            return false;
        }
        std::string_view inner = trim(s.substr(1, s.size() - 2));
        while (!inner.empty()) {
            const size_t comma = inner.find(',');
            const std::string_view item = trim(inner.substr(0, comma));
            if (item.empty() || !isIdentStart(item[0])) {
                error = "bad set element '" + std::string(item) + "'";
                return false;
            }
            for (char c : item)
                if (!isIdentChar(c)) {
                    error = "bad set element '" + std::string(item) + "'";
                    return false;
                }
            value.items.emplace_back(item);
            if (comma == std::string_view::npos) break;
            inner = trim(inner.substr(comma + 1));
            if (inner.empty()) {
                error = "a set ends with a comma";
                return false;
            }
        }
        return true;
    }
    if (isIdentStart(first)) {
        for (char c : s)
            if (!isIdentChar(c)) {
                error = "bad identifier '" + std::string(s) + "'";
                return false;
            }
        value.kind = TFormValue::Kind::Ident;
        value.text = std::string(s);
        return true;
    }
    if (!parseInteger(s, value.integer)) {
        error = "bad value '" + std::string(s) + "'";
        return false;
    }
    value.kind = TFormValue::Kind::Integer;
    return true;
}

std::string formString(std::string_view utf8) {
    if (utf8.empty()) return "''";
    const std::string clean = sanitiseUtf8(utf8);
    std::string out;
    bool quoted = false;
    for (size_t i = 0; i < clean.size();) {
        const auto b = static_cast<unsigned char>(clean[i]);
        if (b >= 32 && b < 127) {
            if (!quoted) out += '\'';
            quoted = true;
            out += static_cast<char>(b);
            if (b == '\'') out += '\'';
            ++i;
            continue;
        }
        size_t len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t cp = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
        for (size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(clean[i + k]) & 0x3F);
        if (quoted) out += '\'';
        quoted = false;
        out += '#';
        out += std::to_string(static_cast<uint32_t>(cp));
        i += len;
    }
    if (quoted) out += '\'';
    return out;
}

}  // namespace zorvik
