// Values as the host framework's text form files write them: integers
// (decimal or $hex), strings ('quoted' runs with '' for a quote, #nnn code
// points between them), identifiers (True, clRed, Code_39) and sets ([fsBold]).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zorvik {

struct TFormValue {
    enum class Kind { Integer, String, Ident, Set };
    Kind kind = Kind::Integer;
    int64_t integer = 0;
    std::string text;                // the string's characters (UTF-8), or the identifier
    std::vector<std::string> items;  // a set's identifiers
};

// Parses one value; false with a reason in Error.
bool parseFormValue(std::string_view Text, TFormValue& Value, std::string& Error);

// A string as form files write it: printable ASCII inside quotes, every other
// character as #nnn (its code point); '' for the empty string.
std::string formString(std::string_view Utf8);

// Identifiers compare without regard to case.
bool sameIdent(std::string_view A, std::string_view B);

}  // namespace zorvik
