// Where one `zorvik render` process spends its time: the command's steps run
// in order, each timed, in a fresh process (scripts/bench starts it many times
// and takes medians). Prints "step<TAB>microseconds" lines.
//
// The command's path: settle the control, draw it onto a recording canvas,
// replay that onto a bitmap (the first text finds its font through fontconfig
// and loads it with FreeType), write the PNG file. Fontconfig is timed apart
// (FcInit, then the match) by asking for the font before the replay. Then the
// same steps once more, warm, and the PNG written with other encoder settings
// to show what the file's encoding costs (same pixels, other bytes).
#include <fontconfig/fontconfig.h>
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "control/zorvik.h"
#include "platform/forms.h"
#include "platform/headless.h"
#include "platform/raster/fonts.h"
#include "platform/raster/rastercanvas.h"
#include "platform/recording.h"

namespace {

using Clock = std::chrono::steady_clock;

void timed(const char* step, const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    const auto us = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    std::printf("%s\t%.1f\n", step, us);
}

// The image's pixels as palette indices, when it has at most 256 colours.
struct Indexed {
    std::vector<uint32_t> colours;  // empty: more than 256 colours
    std::vector<uint8_t> indices;
};

Indexed indexed(const uint32_t* rgba, size_t count) {
    Indexed out;
    out.indices.resize(count);
    for (size_t i = 0; i < count; ++i) {
        size_t k = 0;
        while (k < out.colours.size() && out.colours[k] != rgba[i]) ++k;
        if (k == out.colours.size()) {
            if (k == 256) return {};
            out.colours.push_back(rgba[i]);
        }
        out.indices[i] = static_cast<uint8_t>(k);
    }
    return out;
}

// An RGBA image as libpng writes it with the given compression settings, or
// through a palette when one is given and holds the colours.
bool writeVariant(const zorvik::RasterCanvas& image, const std::string& path, int level, int filters,
                  const Indexed* palette) {
    const int w = image.width(), h = image.height();
    const auto* rgba = reinterpret_cast<const uint32_t*>(image.data());
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_compression_level(png, level);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, filters);
    if (palette != nullptr && !palette->colours.empty()) {
        const std::vector<uint32_t>& colours = palette->colours;
        std::vector<png_color> entries(colours.size());
        std::vector<png_byte> alphas(colours.size());
        for (size_t k = 0; k < colours.size(); ++k) {
            entries[k] = {static_cast<png_byte>(colours[k]), static_cast<png_byte>(colours[k] >> 8),
                          static_cast<png_byte>(colours[k] >> 16)};
            alphas[k] = static_cast<png_byte>(colours[k] >> 24);
        }
        png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8, PNG_COLOR_TYPE_PALETTE,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_set_PLTE(png, info, entries.data(), static_cast<int>(entries.size()));
        png_set_tRNS(png, info, alphas.data(), static_cast<int>(alphas.size()), nullptr);
        png_write_info(png, info);
        for (int y = 0; y < h; ++y)
            png_write_row(png, palette->indices.data() + static_cast<size_t>(y) * static_cast<size_t>(w));
    } else {
        png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8, PNG_COLOR_TYPE_RGB_ALPHA,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < h; ++y)
            png_write_row(png, reinterpret_cast<png_const_bytep>(rgba + static_cast<size_t>(y) * static_cast<size_t>(w)));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

// Whether the PNG file holds exactly the image's pixels (straight RGBA).
bool samePixels(const zorvik::RasterCanvas& image, const std::string& path) {
    png_image file{};
    file.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&file, path.c_str())) return false;
    file.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(file));
    if (!png_image_finish_read(&file, nullptr, pixels.data(), 0, nullptr)) return false;
    const size_t bytes = static_cast<size_t>(image.width()) * static_cast<size_t>(image.height()) * 4;
    return static_cast<int>(file.width) == image.width() && static_cast<int>(file.height) == image.height() &&
           pixels.size() == bytes && std::equal(pixels.begin(), pixels.end(), image.data());
}

}  // namespace

int main() {
    using namespace zorvik;
    const std::string path =
        (std::filesystem::temp_directory_path() / ("zorvik-startup-" + std::to_string(getpid()) + ".png")).string();
    std::string error;

    std::unique_ptr<HeadlessHost> host;
    std::unique_ptr<TZorvik> control;
    timed("settle", [&] {
        // As `zorvik render Code.Symbology=Code_128 Code.Density=High Height=61
        // Code.Caption=abcDEF12345 --scale 2` sets it up.
        host = std::make_unique<HeadlessHost>();
        control = std::make_unique<TZorvik>(nullptr);
        host->insert(*control);
        control->Code()->SetCode(TBarCodeType::Code_128);
        control->Code()->SetDensity(TDensity::High);
        control->SetHeight(61);
        control->Code()->SetCaption("abcDEF12345");
        host->settle(64);
    });
    RecordingCanvas recording;
    timed("record", [&] { control->DrawBarCode(&recording, 0, 0, 2); });
    const int w = BarCodeWidth, h = BarCodeHeight;
    timed("fontconfig FcInit", [&] { FcInit(); });
    timed("fontconfig match", [&] { raster::fontFileFor("Arial", false, false); });
    std::unique_ptr<RasterCanvas> image;
    timed("replay, first text (FreeType face)", [&] {
        image = std::make_unique<RasterCanvas>(w, h, 192);
        recording.replay(*image);
    });
    timed("PNG file, first", [&] { image->writePng(path, error); });
    timed("replay, warm", [&] {
        RasterCanvas again(w, h, 192);
        recording.replay(again);
    });
    timed("PNG file, warm", [&] { image->writePng(path, error); });
    timed("PNG level 1, all filters", [&] { writeVariant(*image, path, 1, PNG_ALL_FILTERS, nullptr); });
    timed("PNG level 6, no filter", [&] { writeVariant(*image, path, 6, PNG_FILTER_NONE, nullptr); });
    timed("PNG level 1, no filter", [&] { writeVariant(*image, path, 1, PNG_FILTER_NONE, nullptr); });
    timed("PNG palette, level 6, no filter", [&] {
        const Indexed palette = indexed(reinterpret_cast<const uint32_t*>(image->data()),
                                        static_cast<size_t>(image->width()) * static_cast<size_t>(image->height()));
        writeVariant(*image, path, 6, PNG_FILTER_NONE, &palette);
    });
    // Other encoder settings change the file's bytes, never its pixels.
    std::printf("palette PNG has the same pixels\t%d\n", samePixels(*image, path) ? 1 : 0);
    std::filesystem::remove(path);
    control.reset();
    host.reset();
    return error.empty() ? 0 : 1;
}
