// The form reader against hostile sizes: nesting is bounded with a clear
// error, and values continued over many lines are joined exactly.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "control/formio.h"
#include "control/zorvik.h"
#include "platform/formfile.h"

namespace zorvik {
namespace {

std::string nested(int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += "object A" + std::to_string(i) + ": TPanel\n";
    text += "object Z: TZorvik\n  Width = 77\nend\n";
    for (int i = 0; i < depth; ++i) text += "end\n";
    return text;
}

struct DepthCase {
    int panels;        // objects around the barcode control
    const char* error;  // "" when the file reads
};

// 256 levels read; a deeper file is refused at the first line past the limit,
// however deep it goes (22,000 levels once overflowed the stack).
TEST(FormLimits, NestingIsBoundedWithTheLineThatPassesIt) {
    constexpr std::array<DepthCase, 4> cases{{
        {10, ""},
        {255, ""},
        {256, "f.dfm:257: objects nested deeper than 256 levels"},
        {22000, "f.dfm:257: objects nested deeper than 256 levels"},
    }};
    static_assert(cases.size() == 4);
    for (const DepthCase& c : cases) {
        std::vector<TFormObject> roots;
        std::string error, name;
        const bool ok = parseForm(nested(c.panels), "f.dfm", roots, error);
        EXPECT_EQ(error, c.error) << c.panels;
        if (!ok) continue;
        TZorvik z(nullptr);
        ASSERT_TRUE(loadZorvik(roots, "f.dfm", "", z, name, error)) << error;
        EXPECT_EQ(name, "Z");
        EXPECT_EQ(z.Width(), 77);
    }
}

struct ContinuationCase {
    const char* what;
    std::string value;     // the value's lines as written
    std::string joined;    // the text the reader keeps
    const char* error;
};

std::string manyLines(int n) {
    std::string s = "'start' +";
    for (int i = 0; i < n; ++i) s += "\n    'abcdefghij' +";
    return s + "\n    'z'";
}

std::string manyJoined(int n) {
    std::string s = "'start' +";
    for (int i = 0; i < n; ++i) s += " 'abcdefghij' +";
    return s + " 'z'";
}

// A quote or bracket state carries across lines: '+' continues a string
// expression, an open bracket a list, and a string left open is an error at
// its own line.
TEST(FormLimits, ContinuedValuesJoinExactly) {
    const std::array<ContinuationCase, 5> cases{{
        {"32,000 continued strings", manyLines(32000), manyJoined(32000), ""},
        {"a quote inside a continued string", "'a''+' +\n    'b'", "'a''+' + 'b'", ""},
        {"a bracket inside a string of a list", "(\n    'x)'\n    'y')", "( 'x)' 'y')", ""},
        {"a nested list", "(\n    (1 2)\n    3)", "( (1 2) 3)", ""},
        {"a string left open on a later line", "'a' +\n    'b", "", "f.dfm:4: a string is not closed"},
    }};
    static_assert(cases.size() == 5);
    for (const ContinuationCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string text = "object Z: TZorvik\n  Tag = 1\n  Items = " + c.value + "\nend\n";
        std::vector<TFormObject> roots;
        std::string error;
        const bool ok = parseForm(text, "f.dfm", roots, error);
        EXPECT_EQ(error, c.error);
        if (!ok) continue;
        ASSERT_EQ(roots.size(), 1u);
        ASSERT_EQ(roots[0].properties.size(), 2u);
        EXPECT_EQ(roots[0].properties[1].value, c.joined);
    }
}

}  // namespace
}  // namespace zorvik
