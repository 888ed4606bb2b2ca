#include "platform/formfile.h"

#include <cctype>
#include <fstream>
#include <sstream>

namespace zorvik {

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

bool isIdent(std::string_view s, bool dotted) {
    if (s.empty() || !(std::isalpha(static_cast<unsigned char>(s[0])) || s[0] == '_')) return false;
    for (char c : s)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || (dotted && c == '.'))) return false;
    return true;
}

bool startsWithWord(std::string_view line, std::string_view word) {
    return line.size() > word.size() && line.substr(0, word.size()) == word &&
           std::isspace(static_cast<unsigned char>(line[word.size()]));
}

// Whether a quoted string on this line leaves a quote open.
bool endsInsideString(std::string_view s) {
    bool inside = false;
    for (char c : s)
        if (c == '\'') inside = !inside;
    return inside;
}

// Forms nest a few levels (form, panel, group); a limit keeps a hostile file
// from exhausting the stack of the reader and of every walk over its tree.
constexpr int MaxObjectDepth = 256;

class Parser {
public:
    Parser(std::string_view text, std::string file) : m_file(std::move(file)) {
        if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string_view::npos) end = text.size();
            std::string_view line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            m_lines.push_back(line);
            if (end == text.size()) break;
            start = end + 1;
        }
    }

    bool parse(std::vector<TFormObject>& roots, std::string& error) {
        while (m_at < m_lines.size()) {
            const std::string_view line = trim(m_lines[m_at]);
            if (line.empty()) {
                ++m_at;
                continue;
            }
            TFormObject object;
            if (!parseObject(object, 1, error)) return false;
            roots.push_back(std::move(object));
        }
        if (roots.empty()) return fail(0, "the file holds no object", error);
        return true;
    }

private:
    bool fail(size_t lineIndex, const std::string& why, std::string& error) const {
        error = m_file + ":" + std::to_string(lineIndex + 1) + ": " + why;
        return false;
    }

    // "object Name: TClass", also "inherited" and "inline" blocks.
    bool header(std::string_view line, TFormObject& object) const {
        std::string_view rest;
        for (std::string_view kw : {"object", "inherited", "inline"})
            if (startsWithWord(line, kw)) rest = trim(line.substr(kw.size()));
        if (rest.empty()) return false;
        // An optional [index] after the class is the framework's inheritance order.
        if (auto bracket = rest.find('['); bracket != std::string_view::npos) rest = trim(rest.substr(0, bracket));
        const auto colon = rest.find(':');
        if (colon == std::string_view::npos) {
            object.className = std::string(rest);
        } else {
            object.name = std::string(trim(rest.substr(0, colon)));
            object.className = std::string(trim(rest.substr(colon + 1)));
            if (!isIdent(object.name, false)) return false;
        }
        return isIdent(object.className, false);
    }

    bool parseObject(TFormObject& object, int depth, std::string& error) {
        const size_t first = m_at;
        if (depth > MaxObjectDepth)
            return fail(m_at, "objects nested deeper than " + std::to_string(MaxObjectDepth) + " levels", error);
        if (!header(trim(m_lines[m_at]), object))
            return fail(m_at, "expected 'object Name: TClass', found '" + std::string(trim(m_lines[m_at])) + "'", error);
        object.line = static_cast<int>(m_at + 1);
        ++m_at;
        while (m_at < m_lines.size()) {
            const std::string_view line = trim(m_lines[m_at]);
            if (line.empty()) {
                ++m_at;
            } else if (line == "end") {
                ++m_at;
                return true;
            } else if (startsWithWord(line, "object") || startsWithWord(line, "inherited") ||
                       startsWithWord(line, "inline")) {
                TFormObject child;
                if (!parseObject(child, depth + 1, error)) return false;
                object.children.push_back(std::move(child));
            } else {
                TFormProperty property;
                if (!parseProperty(property, error)) return false;
                object.properties.push_back(std::move(property));
            }
        }
        return fail(first, "the object '" + object.name + "' has no 'end'", error);
    }

    bool parseProperty(TFormProperty& property, std::string& error) {
        const size_t first = m_at;
        const std::string_view line = trim(m_lines[m_at]);
        const auto eq = line.find('=');
        if (eq == std::string_view::npos)
            return fail(m_at, "expected 'Property = Value', found '" + std::string(line) + "'", error);
        const std::string_view path = trim(line.substr(0, eq));
        std::string_view value = trim(line.substr(eq + 1));
        if (!isIdent(path, true)) return fail(m_at, "bad property name '" + std::string(path) + "'", error);
        if (value.empty()) return fail(m_at, "the property '" + std::string(path) + "' has no value", error);
        property.path = std::string(path);
        property.line = static_cast<int>(m_at + 1);
        ++m_at;

        std::string text(value);
        // Values that go on over several lines. Each continuation is scanned
        // once: the quote and bracket state carries over from the text so far
        // (rescanning the whole value per line made long values quadratic).
        const char open = text[0];
        const char close = open == '(' ? ')' : open == '{' ? '}' : open == '<' ? '>' : open == '[' ? ']' : '\0';
        if (close != '\0') {
            int depth = 0;
            bool quoted = false;
            auto scan = [&](std::string_view part) {
                for (char c : part) {
                    if (c == '\'') quoted = !quoted;
                    else if (!quoted && c == open) ++depth;
                    else if (!quoted && c == close) --depth;
                }
            };
            scan(text);
            while (depth > 0) {
                if (m_at >= m_lines.size())
                    return fail(first, "the value of '" + property.path + "' is not closed", error);
                const std::string_view part = trim(m_lines[m_at++]);
                text += ' ';
                text += part;
                scan(part);
            }
        } else {
            if (endsInsideString(text)) return fail(first, "a string is not closed", error);
            while (!text.empty() && text.back() == '+') {
                if (m_at >= m_lines.size())
                    return fail(first, "the value of '" + property.path + "' ends with '+'", error);
                // The text so far closes its strings, so the new line alone decides.
                const std::string_view part = trim(m_lines[m_at++]);
                text += ' ';
                text += part;
                if (endsInsideString(part)) return fail(m_at - 1, "a string is not closed", error);
            }
        }
        property.value = std::move(text);
        return true;
    }

    std::string m_file;
    std::vector<std::string_view> m_lines;
    size_t m_at = 0;
};

}  // namespace

bool parseForm(std::string_view Text, const std::string& FileName, std::vector<TFormObject>& Roots, std::string& Error) {
    if (Text.substr(0, 4) == "TPF0") {
        Error = FileName + ": a binary form file; only text form files can be read";
        return false;
    }
    Parser parser(Text, FileName);
    return parser.parse(Roots, Error);
}

bool readForm(const std::string& Path, std::vector<TFormObject>& Roots, std::string& Error) {
    std::ifstream in(Path, std::ios::binary);
    if (!in) {
        Error = "cannot read '" + Path + "'";
        return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        Error = "cannot read '" + Path + "'";
        return false;
    }
    return parseForm(text.str(), Path, Roots, Error);
}

void TFormWriter::beginObject(const std::string& Name, const std::string& ClassName) {
    m_text.append(static_cast<size_t>(2 * m_depth), ' ').append("object ").append(Name).append(": ").append(ClassName);
    m_text += '\n';
    ++m_depth;
}

void TFormWriter::property(std::string_view Path, std::string_view Value) {
    m_text.append(static_cast<size_t>(2 * m_depth), ' ').append(Path).append(" = ").append(Value);
    m_text += '\n';
}

void TFormWriter::endObject() {
    if (m_depth > 0) --m_depth;
    m_text.append(static_cast<size_t>(2 * m_depth), ' ').append("end\n");
}

}  // namespace zorvik
