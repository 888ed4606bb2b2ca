#include "cli/properties.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "cli/colours.h"
#include "cli/session.h"
#include "control/published.h"
#include "control/zorvik.h"

namespace zorvik::cli {

namespace {

bool assignable(const PublishedProperty& p) {
    return p.type != PropertyType::Event && p.type != PropertyType::Reference;
}

std::string typeName(PropertyType t) {
    switch (t) {
        case PropertyType::Integer:
            return "Integer";
        case PropertyType::Boolean:
            return "Boolean";
        case PropertyType::String:
            return "String";
        case PropertyType::Enumeration:
            return "Enumeration";
        case PropertyType::Color:
            return "Colour";
        case PropertyType::FontStyles:
            return "Font styles";
        case PropertyType::Charset:
            return "Charset";
        case PropertyType::Cursor:
            return "Cursor";
        case PropertyType::Event:
            return "Event";
        case PropertyType::Reference:
            return "Reference";
    }
    return {};
}

std::string joined(const std::vector<std::string>& items) {
    std::string s;
    for (const std::string& i : items) s += (s.empty() ? "" : ", ") + i;
    return s;
}

std::string valuesOf(const PublishedProperty& p) {
    std::vector<std::string> names;
    switch (p.type) {
        case PropertyType::Integer:
            return "a whole number from " + std::to_string(p.min) + " to " + std::to_string(p.max);
        case PropertyType::Boolean:
            return "True or False";
        case PropertyType::String:
            return "any text; on the command line as it is (Code.Caption=O'Neil), in form files in quotes";
        case PropertyType::Enumeration:
            for (std::string_view i : p.idents) names.emplace_back(i);
            return joined(names);
        case PropertyType::Color:
            return "a colour (see Colours below)";
        case PropertyType::FontStyles:
            return "a set of fsBold, fsItalic, fsUnderline, fsStrikeOut in brackets: [fsBold, fsItalic], or []";
        case PropertyType::Charset:
            for (int c = 0; c <= 255; ++c)
                if (!charsetIdent(c).empty()) names.emplace_back(charsetIdent(c));
            return "0 to 255, or " + joined(names);
        case PropertyType::Cursor:
            for (int c = 0; c >= -32; --c)
                if (!cursorIdent(c).empty()) names.emplace_back(cursorIdent(c));
            return "-32768 to 32767, or " + joined(names);
        case PropertyType::Event:
            return "a handler's name (form files only)";
        case PropertyType::Reference:
            return "a data source of the form, by name (form files only)";
    }
    return {};
}

// Wraps Words to lines of at most Width characters, each starting with Indent.
std::string wrapped(const std::string& text, size_t width, const std::string& indent) {
    std::string out, line;
    size_t at = 0;
    while (at < text.size()) {
        size_t space = text.find(' ', at);
        if (space == std::string::npos) space = text.size();
        const std::string word = text.substr(at, space - at);
        if (!line.empty() && indent.size() + line.size() + 1 + word.size() > width) {
            out += indent + line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        at = space + 1;
    }
    if (!line.empty()) out += indent + line + "\n";
    return out;
}

}  // namespace

int listProperties(bool NamesOnly) {
    if (NamesOnly) {
        for (const PublishedProperty& p : zorvikProperties())
            if (assignable(p)) std::printf("%.*s\n", static_cast<int>(p.path.size()), p.path.data());
        return kExitOk;
    }
    // A new control says the defaults of the properties that are always written;
    // the others are written only when they differ from their stored default.
    TZorvik fresh(nullptr);
    struct Row {
        std::string path, type, def, stored, values;
    };
    std::vector<Row> rows;
    size_t widths[4] = {8, 4, 7, 6};
    for (const PublishedProperty& p : zorvikProperties()) {
        Row r{std::string(p.path), typeName(p.type), "", "", valuesOf(p)};
        if (p.type == PropertyType::Event || p.type == PropertyType::Reference) {
            r.def = "(none)";
        } else if (p.stored == Stored::UnlessDefault && p.isNumeric()) {
            TZorvik scratch(nullptr);
            p.setNumber(scratch, p.storedDefault);
            r.def = p.format(scratch);
        } else {
            r.def = p.format(fresh);
        }
        r.stored = p.stored == Stored::Always && p.type != PropertyType::Event ? "always" : "if not default";
        widths[0] = std::max(widths[0], r.path.size());
        widths[1] = std::max(widths[1], r.type.size());
        widths[2] = std::max(widths[2], r.def.size());
        widths[3] = std::max(widths[3], r.stored.size());
        rows.push_back(std::move(r));
    }
    auto line = [&](const Row& r) {
        std::printf("%-*s  %-*s  %-*s  %-*s  %s\n", static_cast<int>(widths[0]), r.path.c_str(),
                    static_cast<int>(widths[1]), r.type.c_str(), static_cast<int>(widths[2]), r.def.c_str(),
                    static_cast<int>(widths[3]), r.stored.c_str(), r.values.c_str());
    };
    line(Row{"PROPERTY", "TYPE", "DEFAULT", "STORED", "VALUES"});
    for (const Row& r : rows) line(r);
    std::printf(
        "\nPaths and identifiers are matched without regard to case. On the command line a property is set with\n"
        "PATH=VALUE (Code.Symbology=EAN_13); in a form file with PATH = VALUE. STORED says when a form file\n"
        "writes the property: always, or only when it differs from its default.\n\nColours: %s.\n\nCSS colour "
        "names:\n",
        std::string(kColourForms).c_str());
    std::vector<std::string> css(cssColourNames().begin(), cssColourNames().end());
    std::fputs(wrapped(joined(css), 100, "  ").c_str(), stdout);
    return kExitOk;
}

std::string propertiesHelp() {
    std::vector<std::string> paths;
    for (const PublishedProperty& p : zorvikProperties())
        if (assignable(p)) paths.emplace_back(p.path);
    return "Properties (PROPERTY=VALUE; paths and identifiers ignore case; 'zorvik properties' gives each one's "
           "type, default and values):\n" +
           wrapped(joined(paths), 100, "  ") + "Colours: " + std::string(kColourForms) + ".\n";
}

}  // namespace zorvik::cli
