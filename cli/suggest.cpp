#include "cli/suggest.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <vector>

#include "cli/colours.h"

namespace zorvik::cli {

namespace {

struct Alias {
    std::string_view guess;
    std::string_view path;
    std::string_view note;
};

// Names people bring from other barcode tools and frameworks.
constexpr std::array<Alias, 9> kAliases{{
    {"Data", "Code.Caption", " (DataField names the column a batch takes it from)"},
    {"Text", "Code.Caption", ""},
    {"Value", "Code.Caption", ""},
    {"Type", "Code.Symbology", ""},
    {"Font.Size", "Font.Height",
     " (in pixels at 96 per inch; a negative height is the character height: 12 points is Font.Height=-16)"},
    {"FontSize", "Font.Height", " (in pixels at 96 per inch; 12 points is Font.Height=-16)"},
    {"Color", "BarColor", " (or BackColor, Font.Color)"},
    {"Colour", "BarColor", " (or BackColor, Font.Color)"},
    {"ForeColor", "BarColor", ""},
}};
static_assert(kAliases.size() == 9);

std::string folded(std::string_view s) {
    std::string out;
    for (char c : s)
        if (c != '_' && c != ' ' && c != '-') out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Optimal string alignment distance: edits, with a swap of neighbours as one.
size_t distance(const std::string& a, const std::string& b) {
    std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (size_t i = 1; i <= a.size(); ++i)
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

std::string_view lastSegment(std::string_view path) {
    const auto dot = path.rfind('.');
    return dot == std::string_view::npos ? path : path.substr(dot + 1);
}

bool assignable(const PublishedProperty& p) {
    return p.type != PropertyType::Event && p.type != PropertyType::Reference;
}

}  // namespace

std::string nearestName(std::string_view Word, std::span<const std::string_view> Names) {
    const std::string word = folded(Word);
    if (word.empty()) return {};
    std::string_view best;
    size_t bestDistance = std::max<size_t>(1, word.size() / 3) + 1;
    for (std::string_view name : Names) {
        const size_t d = distance(word, folded(name));
        if (d < bestDistance) {
            best = name;
            bestDistance = d;
        }
    }
    return std::string(best);
}

std::string propertyHint(std::string_view Path) {
    for (const Alias& a : kAliases)
        if (sameIdent(a.guess, Path)) return "did you mean " + std::string(a.path) + "?" + std::string(a.note);
    std::vector<std::string_view> paths, lasts;
    for (const PublishedProperty& p : zorvikProperties()) {
        if (!assignable(p)) continue;
        // A name without its group: Caption is Code.Caption.
        if (Path.find('.') == std::string_view::npos && sameIdent(lastSegment(p.path), Path))
            return "did you mean " + std::string(p.path) + "?";
        paths.push_back(p.path);
    }
    std::string near = nearestName(Path, paths);
    if (near.empty() && Path.find('.') == std::string_view::npos) {
        for (std::string_view p : paths) lasts.push_back(lastSegment(p));
        const std::string last = nearestName(Path, lasts);
        for (std::string_view p : paths)
            if (!last.empty() && lastSegment(p) == last) near = std::string(p);
    }
    if (!near.empty()) return "did you mean " + near + "?";
    return "'zorvik properties' lists them all";
}

std::string valueHint(const PublishedProperty& Property, std::string_view Text) {
    std::vector<std::string_view> names;
    switch (Property.type) {
        case PropertyType::Enumeration:
            names.assign(Property.idents.begin(), Property.idents.end());
            break;
        case PropertyType::Boolean: {
            // What other tools write for a switch.
            const std::string f = folded(Text);
            if (f == "yes" || f == "on" || f == "1" || f == "true") return "; did you mean True?";
            if (f == "no" || f == "off" || f == "0" || f == "false") return "; did you mean False?";
            return {};
        }
        case PropertyType::Color: {
            static constexpr std::array<std::string_view, 16> kNames{
                "clBlack",  "clMaroon", "clGreen", "clOlive",  "clNavy", "clPurple",  "clTeal", "clGray",
                "clSilver", "clRed",    "clLime",  "clYellow", "clBlue", "clFuchsia", "clAqua", "clWhite"};
            names.assign(kNames.begin(), kNames.end());
            for (std::string_view css : cssColourNames()) names.push_back(css);
            break;
        }
        default:
            return {};
    }
    const std::string near = nearestName(Text, names);
    return near.empty() ? std::string() : "; did you mean " + near + "?";
}

}  // namespace zorvik::cli
