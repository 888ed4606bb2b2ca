#include "tests/support/support.h"

#include <ZXing/ReadBarcode.h>
#include <png.h>
#include <sqlite3.h>

#include <cstdio>
#include <sys/wait.h>

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace zorvik::test {

MessageCapture::MessageCapture() {
    m_previous = Application().setMessageHandler([this](const std::string& text, const std::string& caption, int) {
        texts.push_back(text);
        captions.push_back(caption);
        return IDOK;
    });
}

MessageCapture::~MessageCapture() { Application().setMessageHandler(std::move(m_previous)); }

Hosted::Hosted() : control(std::make_unique<TZorvik>(nullptr)) { host.insert(*control); }
Hosted::~Hosted() { control.reset(); }

std::unique_ptr<RasterCanvas> renderToRaster(TZorvik& control, int scale) {
    RecordingCanvas recording;
    control.DrawBarCode(&recording, 0, 0, scale);
    auto raster = std::make_unique<RasterCanvas>(BarCodeWidth, BarCodeHeight, 96 * scale);
    raster->setTransparentColor(control.BackColor());
    recording.replay(*raster);
    return raster;
}

namespace {

std::vector<uint8_t> luminance(const RasterCanvas& image, int margin, int& w, int& h) {
    w = image.width() + 2 * margin;
    h = image.height() + 2 * margin;
    std::vector<uint8_t> lum(static_cast<size_t>(w) * static_cast<size_t>(h), 255);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const uint32_t p = image.pixel(x, y);
            const unsigned a = p >> 24;
            const unsigned r = p & 0xFF, g = (p >> 8) & 0xFF, b = (p >> 16) & 0xFF;
            const unsigned l = (r * 299 + g * 587 + b * 114) / 1000;
            // Over white paper.
            lum[static_cast<size_t>(y + margin) * static_cast<size_t>(w) + static_cast<size_t>(x + margin)] =
                static_cast<uint8_t>((l * a + 255 * (255 - a)) / 255);
        }
    }
    return lum;
}

}  // namespace

Decoded decode(const RasterCanvas& image, ZXing::BarcodeFormats formats, bool tryRotate) {
    int w = 0, h = 0;
    const auto lum = luminance(image, 40, w, h);
    ZXing::DecodeHints hints;
    hints.setFormats(formats);
    hints.setTryRotate(tryRotate);
    hints.setTryHarder(true);
    hints.setEanAddOnSymbol(ZXing::EanAddOnSymbol::Read);
    const auto result = ZXing::ReadBarcode(ZXing::ImageView(lum.data(), w, h, ZXing::ImageFormat::Lum), hints);
    Decoded d;
    d.ok = result.isValid();
    d.text = result.text();
    d.format = result.format();
    return d;
}

Decoded decodePng(const std::string& path, ZXing::BarcodeFormats formats) {
    PngImage png;
    if (!readPng(path, png)) return {};
    RasterCanvas image(png.width, png.height);
    for (int y = 0; y < png.height; ++y)
        for (int x = 0; x < png.width; ++x) {
            const uint32_t p = png.at(x, y);
            if ((p >> 24) == 0) continue;
            image.Brush().Color = static_cast<TColor>(p & 0xFFFFFF);
            image.FillRect(Rect(x, y, x + 1, y + 1));
        }
    return decode(image, formats);
}

std::vector<Decoded> decodeAll(const RasterCanvas& image, ZXing::BarcodeFormats formats) {
    int w = 0, h = 0;
    const auto lum = luminance(image, 40, w, h);
    ZXing::DecodeHints hints;
    hints.setFormats(formats);
    hints.setTryRotate(true);
    hints.setTryHarder(true);
    hints.setEanAddOnSymbol(ZXing::EanAddOnSymbol::Read);
    std::vector<Decoded> out;
    for (const auto& r : ZXing::ReadBarcodes(ZXing::ImageView(lum.data(), w, h, ZXing::ImageFormat::Lum), hints))
        out.push_back({r.isValid(), r.text(), r.format()});
    return out;
}

uint32_t PngImage::at(int x, int y) const {
    const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4;
    return rgba[i] | (rgba[i + 1] << 8) | (rgba[i + 2] << 16) | (static_cast<uint32_t>(rgba[i + 3]) << 24);
}

bool readPng(const std::string& path, PngImage& image) {
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&img, path.c_str())) return false;
    img.format = PNG_FORMAT_RGBA;
    image.width = static_cast<int>(img.width);
    image.height = static_cast<int>(img.height);
    image.rgba.assign(PNG_IMAGE_SIZE(img), 0);
    if (!png_image_finish_read(&img, nullptr, image.rgba.data(), 0, nullptr)) return false;

    // The resolution chunk, read the long way.
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_read_info(png, info);
    png_uint_32 rx = 0, ry = 0;
    int unit = 0;
    if (png_get_pHYs(png, info, &rx, &ry, &unit) && unit == PNG_RESOLUTION_METER) {
        image.hasPhys = true;
        image.ppmX = rx;
        image.ppmY = ry;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    return true;
}

std::string rowOf(const RasterCanvas& image, int y, TColor ink) {
    std::string s;
    for (int x = 0; x < image.width(); ++x) s += (image.alphaAt(x, y) == 255 && image.colorAt(x, y) == ink) ? '1' : '0';
    return s;
}

std::string columnOf(const RasterCanvas& image, int x, TColor ink) {
    std::string s;
    for (int y = 0; y < image.height(); ++y) s += (image.alphaAt(x, y) == 255 && image.colorAt(x, y) == ink) ? '1' : '0';
    return s;
}

std::string rowOf(const RecordingCanvas& grid, int y, TColor ink) {
    std::string s;
    for (int x = 0; x < grid.gridWidth(); ++x) s += grid.at(x, y) == ink ? '1' : '0';
    return s;
}

std::string columnOf(const RecordingCanvas& grid, int x, TColor ink) {
    std::string s;
    for (int y = 0; y < grid.gridHeight(); ++y) s += grid.at(x, y) == ink ? '1' : '0';
    return s;
}

std::string writePaddedPng(const RasterCanvas& image, const std::string& path, int margin) {
    RasterCanvas padded(image.width() + 2 * margin, image.height() + 2 * margin, image.pixelsPerInch());
    padded.Brush().Color = clWhite;
    padded.FillRect(Rect(0, 0, padded.width(), padded.height()));
    // Composite over white, pixel by pixel.
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const uint32_t p = image.pixel(x, y);
            const unsigned a = p >> 24;
            uint32_t out = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                const unsigned c = (p >> shift) & 0xFF;
                out |= ((c * a + 255 * (255 - a)) / 255) << shift;
            }
            padded.Brush().Color = static_cast<TColor>(out);
            padded.FillRect(Rect(x + margin, y + margin, x + margin + 1, y + margin + 1));
        }
    }
    std::string error;
    if (!padded.writePng(path, error)) ADD_FAILURE() << "cannot write " << path << ": " << error;
    return path;
}

std::map<std::string, std::vector<std::string>> zbarDecodeMany(const std::vector<std::string>& paths,
                                                                const std::string& options) {
    std::map<std::string, std::vector<std::string>> read;
    // zbarimg takes files in chunks small enough for one command line; its XML
    // names the file each symbol came from.
    for (size_t from = 0; from < paths.size(); from += 200) {
        std::string command = "zbarimg -q --nodbus --xml " + options;
        for (size_t i = from; i < paths.size() && i < from + 200; ++i) command += " '" + paths[i] + "'";
        std::string xml;
        runCommand(command + " 2>/dev/null", &xml);
        std::string source;
        for (size_t at = 0; at < xml.size();) {
            const size_t src = xml.find("<source href='", at), sym = xml.find("<symbol type='", at);
            if (src == std::string::npos && sym == std::string::npos) break;
            if (src < sym) {
                const size_t begin = src + 14, end = xml.find('\'', begin);
                source = xml.substr(begin, end - begin);
                at = end;
                continue;
            }
            const size_t typeBegin = sym + 14, typeEnd = xml.find('\'', typeBegin);
            const size_t dataBegin = xml.find("<![CDATA[", typeEnd) + 9, dataEnd = xml.find("]]>", dataBegin);
            read[source].push_back(xml.substr(typeBegin, typeEnd - typeBegin) + ":" +
                                   xml.substr(dataBegin, dataEnd - dataBegin));
            at = dataEnd;
        }
    }
    return read;
}

int runCommand(const std::string& command, std::string* output) {
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return -1;
    std::string text;
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
    const int status = pclose(pipe);
    if (output != nullptr) *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> zbarDecode(const std::string& pngPath, const std::string& options) {
    std::string text;
    runCommand("zbarimg -q --nodbus " + options + " '" + pngPath + "' 2>/dev/null", &text);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        if (end > start) lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

std::map<std::string, std::string> filesWithBytes(const std::string& Dir) {
    std::map<std::string, std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(Dir))
        if (e.is_regular_file()) out[e.path().filename().string()] = readFile(e.path().string());
    return out;
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary);
    f << bytes;
}

int zorvik(const std::string& args, const std::string& dir, std::string* err, std::string* out) {
    const std::string errFile = dir + "/stderr.txt";
    const int status = runCommand(std::string(ZORVIK_BINARY_DIR) + "/bin/zorvik " + args + " 2>'" + errFile + "'", out);
    lastBatchSummary.clear();
    if (err != nullptr) {
        // A batch ends with a line of counts and its time, which varies from run
        // to run: kept apart, so that the messages can be compared exactly.
        static const std::regex summary("zorvik: [0-9]+ written, [0-9]+ failed, [0-9]+\\.[0-9]{2} s\n");
        *err = readFile(errFile);
        std::smatch m;
        if (std::regex_search(*err, m, summary)) {
            lastBatchSummary = m.str();
            err->erase(static_cast<size_t>(m.position()), static_cast<size_t>(m.length()));
        }
    }
    return status;
}

std::string makeDatabase(const std::string& dir, const std::string& script) {
    const std::string path = dir + "/test.db";
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, script.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
    return path;
}

std::string scratchDir(const std::string& name) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(ZORVIK_BINARY_DIR) / "test-scratch" / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}

}  // namespace zorvik::test
