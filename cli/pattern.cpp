#include "cli/pattern.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "platform/formvalue.h"
#include "platform/graphics.h"

namespace zorvik::cli {

namespace {

// The longest file name Linux file systems take (NAME_MAX), in bytes.
constexpr size_t kMaxNameBytes = 255;
// A width beyond any record count keeps names sane.
constexpr int kMaxWidth = 18;

}  // namespace

bool safeFileNamePart(const std::string& Value, std::string& Safe) {
    Safe = Value;
    for (char& c : Safe) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || u < 0x20 || u == 0x7F) c = '_';
    }
    if (!Safe.empty() && Safe[0] == '.') Safe[0] = '_';
    return !Safe.empty() && Safe.size() <= kMaxNameBytes && Safe == sanitiseUtf8(Safe);
}

bool NamePattern::parse(const std::string& Pattern, std::string& Error) {
    m_pieces.clear();
    m_columns.clear();
    m_placeholders = m_columnInFolder = false;
    const size_t lastSlash = Pattern.rfind('/');
    std::string text;
    for (size_t i = 0; i < Pattern.size();) {
        if (Pattern.compare(i, 2, "{{") == 0 || Pattern.compare(i, 2, "}}") == 0) {
            text += Pattern[i];
            i += 2;
            continue;
        }
        if (Pattern[i] != '{') {
            text += Pattern[i++];
            continue;
        }
        const size_t close = Pattern.find('}', i);
        if (close == std::string::npos) {
            Error = "the output pattern '" + Pattern + "' has a '{' without its '}' (write {{ for a brace)";
            return false;
        }
        const std::string inside = Pattern.substr(i + 1, close - i - 1);
        if (!text.empty()) m_pieces.push_back(Piece{Piece::Kind::Text, std::exchange(text, {})});
        Piece piece;
        if (inside == "n" || inside.rfind("n:", 0) == 0) {
            piece.kind = Piece::Kind::Number;
            if (inside.size() > 2) {
                const std::string w = inside.substr(2);
                if (w.empty() || w.size() > 2 ||
                    !std::all_of(w.begin(), w.end(),
                                 [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }) ||
                    std::stoi(w) < 1 || std::stoi(w) > kMaxWidth) {
                    Error = "{" + inside + "} in the output pattern: {n:W} wants a width W from 1 to " +
                            std::to_string(kMaxWidth);
                    return false;
                }
                piece.width = std::stoi(w);
            }
        } else if (inside.empty()) {
            Error = "the output pattern '" + Pattern + "' has an empty {} (write {n}, {n:W} or {COLUMN})";
            return false;
        } else {
            piece.kind = Piece::Kind::Column;
            auto it = std::find_if(m_columns.begin(), m_columns.end(),
                                   [&](const std::string& c) { return sameIdent(c, inside); });
            piece.column = static_cast<size_t>(it - m_columns.begin());
            if (it == m_columns.end()) m_columns.push_back(inside);
            if (lastSlash != std::string::npos && i < lastSlash) m_columnInFolder = true;
        }
        m_placeholders = true;
        m_pieces.push_back(piece);
        i = close + 1;
    }
    if (!text.empty()) m_pieces.push_back(Piece{Piece::Kind::Text, text});
    return true;
}

bool NamePattern::expand(std::int64_t N, const std::vector<std::string>& Values, std::string& Path,
                         std::string& Error) const {
    Path.clear();
    for (const Piece& p : m_pieces) {
        switch (p.kind) {
            case Piece::Kind::Text:
                Path += p.text;
                break;
            case Piece::Kind::Number: {
                std::string digits = std::to_string(N);
                if (static_cast<int>(digits.size()) < p.width)
                    digits.insert(0, static_cast<size_t>(p.width) - digits.size(), '0');
                Path += digits;
                break;
            }
            case Piece::Kind::Column: {
                const std::string& value = p.column < Values.size() ? Values[p.column] : std::string();
                std::string safe;
                if (!safeFileNamePart(value, safe)) {
                    Error = "the field " + m_columns[p.column] + " ('" + sanitiseUtf8(value) +
                            "') cannot be part of a file name" +
                            (value.empty()                 ? ": it is empty"
                             : safe.size() > kMaxNameBytes ? ": it is too long"
                                                           : "");
                    return false;
                }
                Path += safe;
                break;
            }
        }
    }
    return true;
}

}  // namespace zorvik::cli
