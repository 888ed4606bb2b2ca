// The names of a batch's files: a pattern with the record's number ({n},
// {n:W} padded to W digits) and fields of its record ({COLUMN}).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zorvik::cli {

class NamePattern {
public:
    // Reads Pattern; false with the reason for a malformed placeholder.
    bool parse(const std::string& Pattern, std::string& Error);
    // Whether it names one file per record (it has a placeholder).
    bool perRecord() const { return m_placeholders; }
    // The columns it takes, in order of first use; Values are given in this order.
    const std::vector<std::string>& columns() const { return m_columns; }
    // Whether a column stands in the folder part, which then varies by record.
    bool columnInFolder() const { return m_columnInFolder; }
    // The file name of record N with the values of columns(); false with the
    // reason when a value cannot be made a safe part of a file name.
    bool expand(std::int64_t N, const std::vector<std::string>& Values, std::string& Path, std::string& Error) const;

private:
    struct Piece {
        enum class Kind { Text, Number, Column } kind = Kind::Text;
        std::string text;   // literal text
        int width = 0;      // Number: digits to pad to
        size_t column = 0;  // Column: index into columns()
    };
    std::vector<Piece> m_pieces;
    std::vector<std::string> m_columns;
    bool m_placeholders = false;
    bool m_columnInFolder = false;
};

// A field's value as part of a file name: separators and control characters
// become '_', and so does a leading dot (no hidden files, no "..");
// false when it is still unsafe (empty, or longer than a name may be).
bool safeFileNamePart(const std::string& Value, std::string& Safe);

}  // namespace zorvik::cli
