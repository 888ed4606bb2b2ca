#include "platform/cairo/vectordocument.h"

#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <cairo-ps.h>
#include <cairo-svg.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <map>
#include <vector>

#include "platform/raster/fonts.h"

namespace zorvik {

namespace {

// cairo font faces for the font files the raster module found, per thread.
struct ThreadFaces {
    std::map<std::pair<std::string, int>, cairo_font_face_t*> faces;
    ~ThreadFaces() {
        for (auto& [key, face] : faces) cairo_font_face_destroy(face);
    }
    cairo_font_face_t* get(const std::string& file, int index) {
        auto it = faces.find({file, index});
        if (it != faces.end()) return it->second;
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

protected:
    void fillArea(int Left, int Top, int Right, int Bottom, TColor Color) override {
        setColor(m_cr, Color);
        cairo_rectangle(m_cr, Left, Top, static_cast<double>(Right) - Left, static_cast<double>(Bottom) - Top);
        cairo_fill(m_cr);
    }

    void drawText(int X, int Y, std::string_view Utf8, const TTextStyle& Style) override {
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
        int pen = 0;
        for (char32_t cp : raster::decodeUtf8(Utf8)) {
            const raster::Glyph& g = face->glyph(cp);
            if (Style.opaque && g.advance > 0) {
                setColor(m_cr, Style.background);
                cairo_rectangle(m_cr, pen, 0, g.advance, cell);
                cairo_fill(m_cr);
            }
            glyphs.push_back({face->glyphIndex(cp), static_cast<double>(pen), static_cast<double>(face->ascent)});
            pen += g.advance;
        }
        cairo_set_font_face(m_cr, threadFaces().get(face->file, face->faceIndex));
        cairo_set_font_size(m_cr, face->em);
        setColor(m_cr, Style.color);
        cairo_show_glyphs(m_cr, glyphs.data(), static_cast<int>(glyphs.size()));
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
    cairo_t* m_cr;
};

cairo_status_t writeToFile(void* closure, const unsigned char* data, unsigned int length) {
    return std::fwrite(data, 1, length, static_cast<std::FILE*>(closure)) == length ? CAIRO_STATUS_SUCCESS
                                                                                     : CAIRO_STATUS_WRITE_ERROR;
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
    VectorFormat format;
    double pointsPerDot;
    std::string postscript;  // PostScript is kept until its date line is fixed
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    std::unique_ptr<CairoCanvas> canvas;
    bool svgStarted = false;
};

CairoDocument::CairoDocument(std::FILE* File, VectorFormat Format, int DotsPerInch) : m_impl(std::make_unique<Impl>()) {
    m_impl->file = File;
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
        switch (d.format) {
            case VectorFormat::Svg:
                d.surface = cairo_svg_surface_create_for_stream(writeToFile, d.file, w, h);
                cairo_svg_surface_restrict_to_version(d.surface, CAIRO_SVG_VERSION_1_1);
                break;
            case VectorFormat::Pdf: {
                d.surface = cairo_pdf_surface_create_for_stream(writeToFile, d.file, w, h);
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
                d.surface = cairo_ps_surface_create_for_stream(writeToString, &d.postscript, w, h);
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
    if (d.format != VectorFormat::Svg) cairo_show_page(d.cr);
    d.canvas.reset();
}

bool CairoDocument::close(std::string& Error) {
    Impl& d = *m_impl;
    if (d.surface == nullptr) {
        Error = "the document has no page";
        return false;
    }
    cairo_status_t status = cairo_status(d.cr);
    cairo_destroy(d.cr);
    d.cr = nullptr;
    cairo_surface_finish(d.surface);
    if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(d.surface);
    cairo_surface_destroy(d.surface);
    d.surface = nullptr;
    if (status != CAIRO_STATUS_SUCCESS) {
        Error = std::string("cairo: ") + cairo_status_to_string(status);
        return false;
    }
    if (d.format == VectorFormat::PostScript || d.format == VectorFormat::Eps) {
        // cairo dates its PostScript with the clock; use the document date instead.
        const std::string key = "%%CreationDate: ";
        if (auto at = d.postscript.find(key); at != std::string::npos) {
            const auto end = d.postscript.find('\n', at);
            const std::time_t t = documentTime();
            std::tm tm{};
            gmtime_r(&t, &tm);
            char date[64];
            std::strftime(date, sizeof date, "%a %b %d %H:%M:%S %Y", &tm);
            d.postscript.replace(at + key.size(), end - at - key.size(), date);
        }
        if (std::fwrite(d.postscript.data(), 1, d.postscript.size(), d.file) != d.postscript.size()) {
            Error = "cannot write the PostScript file";
            return false;
        }
    }
    return true;
}

}  // namespace zorvik
