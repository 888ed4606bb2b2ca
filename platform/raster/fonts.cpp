#include "platform/raster/fonts.h"

#include "platform/raster/fontcache.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_OUTLINE_H
#include FT_BITMAP_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>

namespace zorvik::raster {

namespace {

// Character height used for a font record of height 0.
constexpr int kDefaultEmPixels = 12;
// Glyph bitmaps up to this many pixels are rendered whole and kept; larger
// ones (a 16384-pixel em makes 100-megapixel glyphs) are drawn piecewise.
constexpr long long kWholeGlyphPixels = 512 * 512;
// What one thread keeps: a long-lived process drawing many sizes and
// characters (an application, a fuzzer) would otherwise grow without end.
constexpr size_t kGlyphCacheBytes = 32u << 20;  // per face
constexpr size_t kFacesPerThread = 32;


struct FcKey {
    std::string family;
    bool bold;
    bool italic;
    bool operator<(const FcKey& o) const {
        return std::tie(family, bold, italic) < std::tie(o.family, o.bold, o.italic);
    }
};

struct FcAnswer {
    std::string file;
    int index = 0;
};

FcAnswer lookUp(const std::string& family, bool bold, bool italic) {
    static std::map<FcKey, FcAnswer> answers;
    std::lock_guard<std::mutex> lock(fontconfigMutex());
    const FcKey key{family, bold, italic};
    if (auto it = answers.find(key); it != answers.end()) return it->second;

    FcAnswer answer;
    FontLocation cached;
    if (cachedFont(family, bold, italic, cached)) {
        answer.file = cached.file;
        answer.index = cached.index;
        answers.emplace(key, answer);
        return answer;
    }
    if (FcInit()) {
        FcPattern* pattern = FcPatternCreate();
        if (!family.empty())
            FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        // Text may be turned, so only outline faces will do.
        FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
        FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(nullptr, pattern, &result);
        if (match != nullptr) {
            FcChar8* file = nullptr;
            if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file != nullptr)
                answer.file = reinterpret_cast<const char*>(file);
            int index = 0;
            if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch) answer.index = index;
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pattern);
        if (!answer.file.empty()) rememberFont(family, bold, italic, {answer.file, answer.index});
    }
    answers.emplace(key, answer);
    return answer;
}

class FreeTypeFace final : public FontFace {
public:
    explicit FreeTypeFace(FT_Face face) : m_face(face) {}
    ~FreeTypeFace() override { FT_Done_Face(m_face); }

    // A reference stays good until the next glyph of another code point.
    const Glyph& glyph(char32_t cp) override {
        auto it = m_glyphs.find(cp);
        if (it != m_glyphs.end()) return it->second;
        if (m_cachedBytes > kGlyphCacheBytes) {
            m_glyphs.clear();
            m_cachedBytes = 0;
        }
        Glyph g;
        const FT_UInt index = FT_Get_Char_Index(m_face, cp);
        if (FT_Load_Glyph(m_face, index, FT_LOAD_DEFAULT) == 0) {
            const FT_GlyphSlot slot = m_face->glyph;
            g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
            if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
                // The bitmap's box as the renderer takes it: the outline's
                // control box, widened to whole pixels.
                FT_BBox box;
                FT_Outline_Get_CBox(&slot->outline, &box);
                const long long x0 = box.xMin >> 6, x1 = (box.xMax + 63) >> 6;
                const long long y0 = box.yMin >> 6, y1 = (box.yMax + 63) >> 6;
                if ((x1 - x0) * (y1 - y0) > kWholeGlyphPixels) {
                    g.left = static_cast<int>(x0);
                    g.top = static_cast<int>(y1);
                    g.width = static_cast<int>(x1 - x0);
                    g.rows = static_cast<int>(y1 - y0);
                    g.whole = false;
                    return remember(cp, std::move(g));
                }
            }
            if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) == 0) {
                const FT_Bitmap& bm = slot->bitmap;
                g.left = slot->bitmap_left;
                g.top = slot->bitmap_top;
                g.width = static_cast<int>(bm.width);
                g.rows = static_cast<int>(bm.rows);
                if (bm.pixel_mode == FT_PIXEL_MODE_GRAY && g.width > 0 && g.rows > 0) {
                    g.coverage.resize(static_cast<size_t>(g.width) * static_cast<size_t>(g.rows));
                    for (int r = 0; r < g.rows; ++r) {
                        const unsigned char* src = bm.buffer + static_cast<ptrdiff_t>(r) * bm.pitch;
                        std::copy(src, src + g.width, g.coverage.begin() + static_cast<ptrdiff_t>(r) * g.width);
                    }
                } else {
                    g.width = g.rows = 0;
                }
            }
        }
        return remember(cp, std::move(g));
    }

    void renderPart(char32_t cp, int col, int row, int width, int rows, std::vector<uint8_t>& out) override {
        out.assign(static_cast<size_t>(std::max(0, width)) * static_cast<size_t>(std::max(0, rows)), 0);
        if (out.empty()) return;
        const Glyph& g = glyph(cp);
        if (g.whole) {
            for (int r = 0; r < rows; ++r)
                for (int c = 0; c < width; ++c) {
                    const int gc = col + c, gr = row + r;
                    if (gc >= 0 && gc < g.width && gr >= 0 && gr < g.rows)
                        out[static_cast<size_t>(r) * width + c] = g.coverage[static_cast<size_t>(gr) * g.width + gc];
                }
            return;
        }
        const FT_UInt index = FT_Get_Char_Index(m_face, cp);
        if (FT_Load_Glyph(m_face, index, FT_LOAD_DEFAULT) != 0 || m_face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) return;
        // Move the window's bottom-left corner to the origin; the rasteriser
        // then clips to the window's bitmap and touches nothing else.
        FT_Outline& outline = m_face->glyph->outline;
        FT_Outline_Translate(&outline, -static_cast<FT_Pos>(g.left + col) * 64,
                             -static_cast<FT_Pos>(g.top - row - rows) * 64);
        FT_Bitmap bm;
        FT_Bitmap_Init(&bm);
        bm.rows = static_cast<unsigned>(rows);
        bm.width = static_cast<unsigned>(width);
        bm.pitch = width;
        bm.buffer = out.data();
        bm.pixel_mode = FT_PIXEL_MODE_GRAY;
        bm.num_grays = 256;
        FT_Outline_Get_Bitmap(m_face->glyph->library, &outline, &bm);
    }

    unsigned glyphIndex(char32_t cp) override { return FT_Get_Char_Index(m_face, cp); }

private:
    const Glyph& remember(char32_t cp, Glyph g) {
        m_cachedBytes += sizeof(Glyph) + g.coverage.size();
        return m_glyphs.emplace(cp, std::move(g)).first->second;
    }

    FT_Face m_face;
    std::unordered_map<char32_t, Glyph> m_glyphs;
    size_t m_cachedBytes = 0;
};

// FreeType objects of one thread; faces go before their library.
struct ThreadFonts {
    FT_Library library = nullptr;
    std::map<std::tuple<std::string, int, long>, std::unique_ptr<FontFace>> faces;
    struct Last {
        bool valid = false;
        bool bold = false;
        bool italic = false;
        int32_t height = 0;
        char family[sizeof(LOGFONT::lfFaceName)] = {};
        FontFace* face = nullptr;
    } last;
    ThreadFonts() {
        if (FT_Init_FreeType(&library) != 0) library = nullptr;
    }
    ~ThreadFonts() {
        faces.clear();
        if (library != nullptr) FT_Done_FreeType(library);
    }
};

ThreadFonts& threadFonts() {
    thread_local ThreadFonts fonts;
    return fonts;
}

FontFace* findFace(ThreadFonts& tf, const LOGFONT& lf);

}  // namespace

std::mutex& fontconfigMutex() {
    static std::mutex m;
    return m;
}

std::string fontFileFor(const std::string& Family, bool Bold, bool Italic) {
    return lookUp(Family, Bold, Italic).file;
}

FontFace* faceFor(const LOGFONT& lf) {
    ThreadFonts& tf = threadFonts();
    if (tf.library == nullptr) return nullptr;
    // A symbol's text asks for the same face character after character: the
    // last answer is kept with what chose it (family, weight class, slant,
    // height) while the face it names is kept.
    ThreadFonts::Last& last = tf.last;
    const bool bold = lf.lfWeight >= FW_BOLD, italic = lf.lfItalic != 0;
    if (last.valid && last.bold == bold && last.italic == italic && last.height == lf.lfHeight &&
        std::memcmp(last.family, lf.lfFaceName, sizeof last.family) == 0)
        return last.face;
    FontFace* const face = findFace(tf, lf);
    last.valid = true;
    last.bold = bold;
    last.italic = italic;
    last.height = lf.lfHeight;
    std::memcpy(last.family, lf.lfFaceName, sizeof last.family);
    last.face = face;
    return face;
}

namespace {

FontFace* findFace(ThreadFonts& tf, const LOGFONT& lf) {
    const std::string family(lf.lfFaceName, strnlen(lf.lfFaceName, sizeof lf.lfFaceName));
    const FcAnswer where = lookUp(family, lf.lfWeight >= FW_BOLD, lf.lfItalic != 0);
    if (where.file.empty()) return nullptr;

    const auto key = std::make_tuple(where.file, where.index, static_cast<long>(lf.lfHeight));
    if (auto it = tf.faces.find(key); it != tf.faces.end()) return it->second.get();
    // A face is used only within one drawing call, so the others may go.
    if (tf.faces.size() >= kFacesPerThread) {
        tf.faces.clear();
        tf.last.valid = false;
    }

    FT_Face face = nullptr;
    if (FT_New_Face(tf.library, where.file.c_str(), where.index, &face) != 0) {
        tf.faces.emplace(key, nullptr);
        return nullptr;
    }
    // Cell metrics as Windows takes them: the OS/2 table's Windows ascent and descent.
    double ascUnits = face->ascender, descUnits = -face->descender;
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)); os2 != nullptr && os2->version != 0xFFFF) {
        ascUnits = os2->usWinAscent;
        descUnits = os2->usWinDescent;
    }
    const double upem = face->units_per_EM > 0 ? face->units_per_EM : 2048;
    if (ascUnits + descUnits <= 0) {
        ascUnits = upem * 0.9;
        descUnits = upem * 0.2;
    }
    double em = kDefaultEmPixels;
    int ascent = 0, descent = 0;
    if (lf.lfHeight < 0) {
        em = -static_cast<double>(lf.lfHeight);
        ascent = static_cast<int>(std::lround(ascUnits * em / upem));
        descent = static_cast<int>(std::lround(descUnits * em / upem));
    } else if (lf.lfHeight > 0) {
        // A positive height is the whole cell.
        const double cell = lf.lfHeight;
        em = cell * upem / (ascUnits + descUnits);
        ascent = static_cast<int>(std::lround(ascUnits * cell / (ascUnits + descUnits)));
        descent = static_cast<int>(cell) - ascent;
    } else {
        ascent = static_cast<int>(std::lround(ascUnits * em / upem));
        descent = static_cast<int>(std::lround(descUnits * em / upem));
    }
    em = std::min(em, 16384.0);
    FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(em * 64)), 72, 72);
    auto ff = std::make_unique<FreeTypeFace>(face);
    ff->ascent = ascent;
    ff->descent = descent;
    ff->underlinePosition = std::max(1, static_cast<int>(std::lround(-face->underline_position * em / upem)));
    ff->lineThickness = std::max(1, static_cast<int>(std::lround(face->underline_thickness * em / upem)));
    ff->em = em;
    ff->file = where.file;
    ff->faceIndex = where.index;
    FontFace* result = ff.get();
    tf.faces.emplace(key, std::move(ff));
    return result;
}

}  // namespace

std::vector<char32_t> decodeUtf8(std::string_view s) {
    std::vector<char32_t> out;
    decodeUtf8(s, out);
    return out;
}

void decodeUtf8(std::string_view s, std::vector<char32_t>& out) {
    out.clear();
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        size_t len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        if (i + len > s.size()) break;
        char32_t cp = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
        for (size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out.push_back(cp);
        i += len;
    }
}

}  // namespace zorvik::raster
