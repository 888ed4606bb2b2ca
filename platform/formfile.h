// Text form files: nested "object Name: TClass" ... "end" blocks, one
// "Path = Value" assignment per line (a value may continue over lines: a
// string ending in +, a (list), a {binary} block or a <collection>).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zorvik {

struct TFormProperty {
    std::string path;
    std::string value;  // the value's text, continuation lines joined
    int line = 0;
};

struct TFormObject {
    std::string name;
    std::string className;
    int line = 0;
    std::vector<TFormProperty> properties;  // in file order
    std::vector<TFormObject> children;
};

// Parses a form file's text; FileName only labels errors ("file:line: reason").
bool parseForm(std::string_view Text, const std::string& FileName, std::vector<TFormObject>& Roots,
               std::string& Error);
// Reads and parses a form file.
bool readForm(const std::string& Path, std::vector<TFormObject>& Roots, std::string& Error);

// Writes object blocks with two spaces of indentation per level.
class TFormWriter {
public:
    void beginObject(const std::string& Name, const std::string& ClassName);
    void property(std::string_view Path, std::string_view Value);
    void endObject();
    const std::string& text() const { return m_text; }

private:
    std::string m_text;
    int m_depth = 0;
};

}  // namespace zorvik
