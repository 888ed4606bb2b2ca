#include "platform/cairo/vectordocument.h"

#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <cairo-ps.h>
#include <cairo-svg.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <cstdlib>
#include <ctime>
#include <map>
#include <mutex>
#include <string_view>
#include <vector>

#include "platform/raster/fonts.h"

namespace zorvik {

namespace {

// fontconfig's matching (which cairo runs when a font face is first used) and
// the creation of cairo's surfaces (its process-wide ids, and the clock and
// time zone a PDF is dated by) are not safe from several threads at once;
// rendering on one surface is, and stays parallel. One lock, the one the font
// lookup of this module holds too.
std::mutex& sharedStateMutex() { return raster::fontconfigMutex(); }

// A file and the system's reason when writing it failed, which says more
// than cairo's own status.
struct FileSink {
    std::FILE* file = nullptr;
    int error = 0;
};

// cairo numbers every surface from one counter in the process and writes the
// number into SVG ids ("surface42"), so the same drawing would come out
// differently after other renders. The ids are renumbered in order of first
// appearance, which makes the file depend on its drawing alone.
// Streams the SVG to its file with the ids renumbered; a token cut by the end
// of one piece waits for the next.
class SvgIds {
public:
    explicit SvgIds(FileSink& Sink) : m_sink(Sink) {}

    cairo_status_t write(std::string_view piece, bool last) {
        m_carry.append(piece);
        size_t cut = m_carry.size();
        if (!last) {
            // Keep back a tail that may be the start of "surface<digits>".
            for (size_t p = m_carry.size() > 32 ? m_carry.size() - 32 : 0; p < m_carry.size(); ++p)
                if (mayContinue(std::string_view(m_carry).substr(p))) {
                    cut = p;
                    break;
                }
        }
        m_out.clear();
        renumber(std::string_view(m_carry).substr(0, cut));
        m_carry.erase(0, cut);
        if (!m_out.empty() && std::fwrite(m_out.data(), 1, m_out.size(), m_sink.file) != m_out.size()) {
            if (m_sink.error == 0) m_sink.error = errno != 0 ? errno : EIO;
            return CAIRO_STATUS_WRITE_ERROR;
        }
        return CAIRO_STATUS_SUCCESS;
    }

private:
    static constexpr std::string_view kWord = "surface";

    static bool mayContinue(std::string_view tail) {
        if (tail.size() <= kWord.size()) return kWord.substr(0, tail.size()) == tail;
        if (tail.substr(0, kWord.size()) != kWord) return false;
        for (char c : tail.substr(kWord.size()))
            if (c < '0' || c > '9') return false;
        return true;
    }

    void renumber(std::string_view svg) {
        size_t at = 0;
        while (true) {
            const size_t found = svg.find(kWord, at);
            if (found == std::string_view::npos) break;
            size_t end = found + kWord.size();
            while (end < svg.size() && svg[end] >= '0' && svg[end] <= '9') ++end;
            m_out.append(svg.substr(at, found + kWord.size() - at));
            if (end > found + kWord.size()) {
                const std::string old(svg.substr(found + kWord.size(), end - found - kWord.size()));
                m_out += m_numbers.try_emplace(old, std::to_string(m_numbers.size() + 1)).first->second;
            }
            at = end;
        }
        m_out.append(svg.substr(at));
    }

    FileSink& m_sink;
    std::string m_carry, m_out;
    std::map<std::string, std::string> m_numbers;
};

cairo_status_t writeSvg(void* closure, const unsigned char* data, unsigned int length) {
    return static_cast<SvgIds*>(closure)->write(std::string_view(reinterpret_cast<const char*>(data), length), false);
}

// cairo font faces for the font files the raster module found, per thread.
struct ThreadFaces {
    std::map<std::pair<std::string, int>, cairo_font_face_t*> faces;
    ~ThreadFaces() {
        for (auto& [key, face] : faces) cairo_font_face_destroy(face);
    }
    cairo_font_face_t* get(const std::string& file, int index) {
        auto it = faces.find({file, index});
        if (it != faces.end()) return it->second;
        std::lock_guard<std::mutex> lock(sharedStateMutex());
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddString(pattern, FC_FILE, reinterpret_cast<const FcChar8*>(file.c_str()));
        FcPatternAddInteger(pattern, FC_INDEX, index);
        cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(pattern);
        FcPatternDestroy(pattern);
        faces.emplace(std::make_pair(file, index), face);
        return face;
    }
};

ThreadFaces& threadFaces() {
    thread_local ThreadFaces faces;
    return faces;
}

void setColor(cairo_t* cr, TColor c) {
    cairo_set_source_rgb(cr, (c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, ((c >> 16) & 0xFF) / 255.0);
}

class CairoCanvas final : public TCanvas {
public:
    explicit CairoCanvas(cairo_t* cr) : m_cr(cr) {}

    // Fills the rectangles gathered so far.
    void flush() {
        if (m_pending == 0) return;
        setColor(m_cr, m_pendingColor);
        cairo_fill(m_cr);
        m_pending = 0;
    }

protected:
    // Fills of one colour in a row become one path: the same pixels (whole
    // pixels, no antialiasing, so their union is what each would paint) for
    // far fewer operations. cairo's vector surfaces track the area each
    // operation covers, which cost time with the square of the bars a
    // symbol on a transparent background has.
    void fillArea(int Left, int Top, int Right, int Bottom, TColor Color) override {
        if (m_pending > 0 && (Color != m_pendingColor || m_pending >= kRectanglesPerFill)) flush();
        cairo_rectangle(m_cr, Left, Top, static_cast<double>(Right) - Left, static_cast<double>(Bottom) - Top);
        m_pendingColor = Color;
        ++m_pending;
    }

    void drawText(int X, int Y, std::string_view Utf8, const TTextStyle& Style) override {
        flush();
        raster::FontFace* face = raster::faceFor(Style.font);
        if (face == nullptr) return;
        int e = Style.font.lfEscapement % 3600;
        if (e < 0) e += 3600;
        const int quadrant = ((e + 450) / 900) % 4;
        const int cell = face->ascent + face->descent;

        cairo_save(m_cr);
        cairo_translate(m_cr, X, Y);
        cairo_rotate(m_cr, -quadrant * M_PI / 2);
        std::vector<cairo_glyph_t> glyphs;
        // Positions in double: a long text of big glyphs runs past int.
        double pen = 0;
        for (char32_t cp : raster::decodeUtf8(Utf8)) {
            const raster::Glyph& g = face->glyph(cp);
            // The cells' background, one path for the whole text.
            if (Style.opaque && g.advance > 0) cairo_rectangle(m_cr, pen, 0, g.advance, cell);
            glyphs.push_back({face->glyphIndex(cp), pen, static_cast<double>(face->ascent)});
            pen += g.advance;
        }
        if (Style.opaque) {
            setColor(m_cr, Style.background);
            cairo_fill(m_cr);
        }
        cairo_set_font_face(m_cr, threadFaces().get(face->file, face->faceIndex));
        cairo_set_font_size(m_cr, face->em);
        setColor(m_cr, Style.color);
        {
            std::lock_guard<std::mutex> lock(sharedStateMutex());
            cairo_show_glyphs(m_cr, glyphs.data(), static_cast<int>(glyphs.size()));
        }
        if (Style.font.lfUnderline) {
            cairo_rectangle(m_cr, 0, face->ascent + face->underlinePosition, pen, face->lineThickness);
            cairo_fill(m_cr);
        }
        if (Style.font.lfStrikeOut) {
            cairo_rectangle(m_cr, 0, face->ascent - face->ascent / 3, pen, face->lineThickness);
            cairo_fill(m_cr);
        }
        cairo_restore(m_cr);
    }

private:
    static constexpr int kRectanglesPerFill = 1024;
    cairo_t* m_cr;
    TColor m_pendingColor = 0;
    int m_pending = 0;
};

cairo_status_t writeToFile(void* closure, const unsigned char* data, unsigned int length) {
    auto* sink = static_cast<FileSink*>(closure);
    if (std::fwrite(data, 1, length, sink->file) == length) return CAIRO_STATUS_SUCCESS;
    if (sink->error == 0) sink->error = errno != 0 ? errno : EIO;
    return CAIRO_STATUS_WRITE_ERROR;
}

cairo_status_t writeToString(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

// The document date: SOURCE_DATE_EPOCH when set, else a fixed date, so that
// the same input always gives the same bytes.
std::time_t documentTime() {
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch != nullptr && *epoch != '\0') {
        char* end = nullptr;
        const long long t = std::strtoll(epoch, &end, 10);
        if (end != nullptr && *end == '\0' && t >= 0) return static_cast<std::time_t>(t);
    }
    return 946684800;  // 2000-01-01T00:00:00Z
}

}  // namespace

struct CairoDocument::Impl {
    std::FILE* file = nullptr;
    FileSink sink;
    std::unique_ptr<SvgIds> svg;
    VectorFormat format;
    double pointsPerDot;
    std::string text;  // PostScript is kept until its date line is fixed
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    std::unique_ptr<CairoCanvas> canvas;
    bool svgStarted = false;
};

CairoDocument::CairoDocument(std::FILE* File, VectorFormat Format, int DotsPerInch) : m_impl(std::make_unique<Impl>()) {
    m_impl->file = File;
    m_impl->sink.file = File;
    if (Format == VectorFormat::Svg) m_impl->svg = std::make_unique<SvgIds>(m_impl->sink);
    m_impl->format = Format;
    m_impl->pointsPerDot = 72.0 / std::max(1, DotsPerInch);
}

CairoDocument::~CairoDocument() {
    std::string ignored;
    if (m_impl->surface != nullptr) close(ignored);
}

TCanvas& CairoDocument::beginPage(int WidthDots, int HeightDots) {
    Impl& d = *m_impl;
    const double w = std::max(1, WidthDots) * d.pointsPerDot, h = std::max(1, HeightDots) * d.pointsPerDot;
    if (d.surface == nullptr) {
        std::lock_guard<std::mutex> lock(sharedStateMutex());
        switch (d.format) {
            case VectorFormat::Svg:
                d.surface = cairo_svg_surface_create_for_stream(writeSvg, d.svg.get(), w, h);
                cairo_svg_surface_restrict_to_version(d.surface, CAIRO_SVG_VERSION_1_1);
                break;
            case VectorFormat::Pdf: {
                d.surface = cairo_pdf_surface_create_for_stream(writeToFile, &d.sink, w, h);
                char date[32];
                const std::time_t t = documentTime();
                std::tm tm{};
                gmtime_r(&t, &tm);
                std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%SZ", &tm);
                cairo_pdf_surface_set_metadata(d.surface, CAIRO_PDF_METADATA_CREATE_DATE, date);
                cairo_pdf_surface_set_metadata(d.surface, CAIRO_PDF_METADATA_MOD_DATE, date);
                cairo_pdf_surface_set_metadata(d.surface, CAIRO_PDF_METADATA_CREATOR, "zorvik");
                break;
            }
            case VectorFormat::PostScript:
            case VectorFormat::Eps:
                d.surface = cairo_ps_surface_create_for_stream(writeToString, &d.text, w, h);
                // Encapsulated: a %%BoundingBox of the page, no page device setup.
                if (d.format == VectorFormat::Eps) cairo_ps_surface_set_eps(d.surface, 1);
                break;
        }
        d.cr = cairo_create(d.surface);
    } else if (d.format == VectorFormat::Pdf) {
        cairo_pdf_surface_set_size(d.surface, w, h);
    } else if (d.format == VectorFormat::PostScript || d.format == VectorFormat::Eps) {
        cairo_ps_surface_set_size(d.surface, w, h);
    }
    cairo_identity_matrix(d.cr);
    cairo_scale(d.cr, d.pointsPerDot, d.pointsPerDot);
    // Whole device pixels, never blended at their edges.
    cairo_set_antialias(d.cr, CAIRO_ANTIALIAS_NONE);
    d.canvas = std::make_unique<CairoCanvas>(d.cr);
    d.canvas->setPixelsPerInch(static_cast<int>(std::lround(72.0 / d.pointsPerDot)));
    return *d.canvas;
}

void CairoDocument::endPage() {
    Impl& d = *m_impl;
    if (d.cr == nullptr) return;
    if (d.canvas) d.canvas->flush();
    if (d.format != VectorFormat::Svg) cairo_show_page(d.cr);
    d.canvas.reset();
}

bool CairoDocument::close(std::string& Error) {
    Impl& d = *m_impl;
    if (d.surface == nullptr) {
        Error = "the document has no page";
        return false;
    }
    if (d.canvas) d.canvas->flush();
    cairo_status_t status = cairo_status(d.cr);
    {
        // Finishing writes the document from cairo's record of the pages, and
        // its SVG writer shares process-wide state with other documents.
        std::lock_guard<std::mutex> lock(sharedStateMutex());
        cairo_destroy(d.cr);
        d.cr = nullptr;
        cairo_surface_finish(d.surface);
        if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(d.surface);
        cairo_surface_destroy(d.surface);
        d.surface = nullptr;
    }
    if (d.sink.error != 0) {
        Error = std::strerror(d.sink.error);
        return false;
    }
    if (status != CAIRO_STATUS_SUCCESS) {
        Error = std::string("the document could not be made (") + cairo_status_to_string(status) + ")";
        return false;
    }
    if (d.format == VectorFormat::PostScript || d.format == VectorFormat::Eps) {
        // cairo dates its PostScript with the clock; use the document date instead.
        const std::string key = "%%CreationDate: ";
        if (auto at = d.text.find(key); at != std::string::npos) {
            const auto end = d.text.find('\n', at);
            const std::time_t t = documentTime();
            std::tm tm{};
            gmtime_r(&t, &tm);
            char date[64];
            std::strftime(date, sizeof date, "%a %b %d %H:%M:%S %Y", &tm);
            d.text.replace(at + key.size(), end - at - key.size(), date);
        }
    } else if (d.format == VectorFormat::Svg && d.svg->write({}, true) != CAIRO_STATUS_SUCCESS) {
        Error = std::strerror(d.sink.error);
        return false;
    }
    if ((d.format == VectorFormat::PostScript || d.format == VectorFormat::Eps) &&
        std::fwrite(d.text.data(), 1, d.text.size(), d.file) != d.text.size()) {
        Error = std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace zorvik
