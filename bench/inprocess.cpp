// In-process render times of Zorvik against its peers: libzint (encode and
// rasterise into its 24-bit buffer) and zxing-cpp's writer (bit matrix, then
// an 8-bit image). The same captions at the same module width and bar height.
//
// Groups, read by bench/report.py (names are group/symbol/text/library[/arg]):
//   symbol  one symbol to a bitmap, with and without its text;
//   record  the command's path: drawn onto a recording canvas, then replayed
//           onto the bitmap (the size is known only once drawn);
//   png     rendered and written as a PNG file; pngonly writes a finished bitmap;
//           pngenc encodes it without making a file (to /dev/null);
//   length  Code 128 against caption length (chars/s as items);
//   threads one thread against two, each with its own control (items/s).
#include <ZXing/BarcodeFormat.h>
#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <zint.h>

#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "control/zorvik.h"
#include "platform/forms.h"
#include "platform/headless.h"
#include "platform/raster/rastercanvas.h"
#include "platform/recording.h"

namespace zorvik::bench {
namespace {

// One geometry for every library: modules 2 pixels wide, bars 100 pixels long,
// 10-module quiet zones. Zorvik gets there with Density High (1 pixel) drawn at
// Scale 2; libzint's raster draws 2 pixels per X-dimension at its scale 1 and
// takes the height in X-dimensions; zxing is asked for twice its natural width.
constexpr int kScale = 2;
constexpr int kModule = 2;
constexpr int kBarPixels = 100;
constexpr int kQuietModules = 10;
// libzint refuses Code 128 beyond 60 symbol characters.
constexpr int kZintCode128Max = 60;

struct Case {
    const char* name;
    TBarCodeType zorvik;
    int zint;
    ZXing::BarcodeFormat zxing;
    const char* caption;
    // Check characters: Code 128 and EAN-13 always carry theirs; Code 39 and
    // Interleaved 2 of 5 are drawn without, as the peers draw them by default.
    bool controlChars;
};

const Case kCases[] = {
    {"Code128", TBarCodeType::Code_128, BARCODE_CODE128, ZXing::BarcodeFormat::Code128, "abcDEF12345", true},
    {"EAN13", TBarCodeType::EAN_13, BARCODE_EANX, ZXing::BarcodeFormat::EAN13, "590123412345", true},
    {"Code39", TBarCodeType::Code_39, BARCODE_CODE39, ZXing::BarcodeFormat::Code39, "ZORVIK-39", false},
    {"ITF", TBarCodeType::ITF, BARCODE_C25INTER, ZXing::BarcodeFormat::ITF, "1234567890", false},
};

// A settled control of its own (one per benchmark thread) and the size of its
// symbol area at kScale.
class ZorvikSymbol {
public:
    ZorvikSymbol(const Case& c, const std::string& caption, bool text) : m_control(std::make_unique<TZorvik>(nullptr)) {
        m_previous = Application().setMessageHandler([this](const std::string& t, const std::string&, int) {
            m_message = t;
            return IDOK;
        });
        TCode& code = *m_control->Code();
        code.SetCode(c.zorvik);
        code.SetCtrlChar(c.controlChars);
        code.SetCaption(caption);
        code.SetDensity(TDensity::High);
        code.SetTextOn(text);
        // Bars run from row 2 for Height - TextH - 1 rows; TextH is five modules
        // plus the character height when there is text.
        const int textH = 5 * kModule - (text ? m_control->Font()->Height() : 0);
        m_control->SetHeight((kBarPixels + textH + 1 + kScale - 1) / kScale);
        m_host.insert(*m_control);
        if (!m_host.settle(64) && m_message.empty()) m_message = "the control did not settle";
        TNullCanvas probe;
        m_control->DrawBarCode(&probe, 0, 0, kScale);
        if (m_message.empty() && !m_control->lastRenderSized()) m_message = "nothing drawn";
        m_width = BarCodeWidth;
        m_height = BarCodeHeight;
    }
    ~ZorvikSymbol() {
        m_control.reset();
        Application().setMessageHandler(std::move(m_previous));
    }
    ZorvikSymbol(const ZorvikSymbol&) = delete;
    ZorvikSymbol& operator=(const ZorvikSymbol&) = delete;

    const std::string& problem() const { return m_message; }
    std::string size() const { return std::to_string(m_width) + "x" + std::to_string(m_height); }
    TZorvik& control() { return *m_control; }

    // One bitmap, as a caller wanting pixels makes it: a fresh canvas each time.
    std::unique_ptr<RasterCanvas> render() {
        auto canvas = std::make_unique<RasterCanvas>(m_width, m_height, 96 * kScale);
        m_control->DrawBarCode(canvas.get(), 0, 0, kScale);
        // The bitmap, finished: the canvas holds fills back until its pixels are read.
        benchmark::DoNotOptimize(canvas->pixel(0, 0));
        return canvas;
    }
    // As the command does it: recorded first, replayed onto a bitmap of the
    // size the drawing reported.
    std::unique_ptr<RasterCanvas> renderRecorded() {
        RecordingCanvas recording;
        m_control->DrawBarCode(&recording, 0, 0, kScale);
        auto canvas = std::make_unique<RasterCanvas>(BarCodeWidth, BarCodeHeight, 96 * kScale);
        recording.replay(*canvas);
        benchmark::DoNotOptimize(canvas->pixel(0, 0));
        return canvas;
    }

private:
    HeadlessHost m_host;
    std::unique_ptr<TZorvik> m_control;
    TApplication::MessageHandler m_previous;
    std::string m_message;
    int m_width = 0;
    int m_height = 0;
};

class ZintSymbol {
public:
    ZintSymbol(const Case& c, std::string caption, bool text) : m_symbol(ZBarcode_Create()), m_caption(std::move(caption)) {
        m_symbol->symbology = c.zint;
        m_symbol->scale = 1.0f;
        m_symbol->height = static_cast<float>(kBarPixels) / kModule;
        m_symbol->show_hrt = text ? 1 : 0;
        m_symbol->output_options = BARCODE_QUIET_ZONES;
        // Fails early with the peer's own reason (a caption it cannot take).
        if (!encode()) m_problem = m_symbol->errtxt;
    }
    ~ZintSymbol() { ZBarcode_Delete(m_symbol); }
    ZintSymbol(const ZintSymbol&) = delete;
    ZintSymbol& operator=(const ZintSymbol&) = delete;

    const std::string& problem() const { return m_problem; }
    std::string size() const {
        return std::to_string(m_symbol->bitmap_width) + "x" + std::to_string(m_symbol->bitmap_height);
    }
    // Encode and rasterise into the 24-bit buffer; the previous buffer is freed first.
    bool encode() {
        ZBarcode_Clear(m_symbol);
        const int error = ZBarcode_Encode_and_Buffer(m_symbol, reinterpret_cast<const unsigned char*>(m_caption.data()),
                                                     static_cast<int>(m_caption.size()), 0);
        benchmark::DoNotOptimize(m_symbol->bitmap);
        return error < ZINT_ERROR;
    }
    bool print(const std::string& path) {
        ZBarcode_Clear(m_symbol);
        std::snprintf(m_symbol->outfile, sizeof m_symbol->outfile, "%s", path.c_str());
        return ZBarcode_Encode_and_Print(m_symbol, reinterpret_cast<const unsigned char*>(m_caption.data()),
                                         static_cast<int>(m_caption.size()), 0) < ZINT_ERROR;
    }

private:
    zint_symbol* m_symbol;
    std::string m_caption;
    std::string m_problem;
};

class ZxingSymbol {
public:
    ZxingSymbol(const Case& c, std::string caption) : m_writer(c.zxing), m_caption(std::move(caption)) {
        // The margin is the total of both quiet zones, in modules at one pixel each.
        m_writer.setMargin(2 * kQuietModules);
        try {
            m_width = m_writer.encode(m_caption, 0, 1).width() * kModule;
        } catch (const std::exception& e) {
            m_problem = e.what();
        }
    }
    const std::string& problem() const { return m_problem; }
    std::string size() const { return std::to_string(m_width) + "x" + std::to_string(kBarPixels); }
    void render() {
        const ZXing::BitMatrix matrix = m_writer.encode(m_caption, m_width, kBarPixels);
        auto image = ZXing::ToMatrix<uint8_t>(matrix);
        benchmark::DoNotOptimize(image.data());
    }

private:
    ZXing::MultiFormatWriter m_writer;
    std::string m_caption;
    std::string m_problem;
    int m_width = 0;
};

// A file of this process for the PNG benchmarks.
std::string scratchFile(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("zorvik-bench-" + std::to_string(getpid()) + "-" + name + ".png"))
        .string();
}

// Code 128 captions of any length: printable code set B characters in turn.
std::string code128Caption(int length) {
    const std::string cycle = "abcDEF12345";
    std::string s;
    for (int i = 0; i < length; ++i) s += cycle[static_cast<size_t>(i) % cycle.size()];
    return s;
}

template <typename Symbol>
bool ready(benchmark::State& state, const Symbol& symbol) {
    if (!symbol.problem().empty()) {
        state.SkipWithError(symbol.problem().c_str());
        return false;
    }
    state.SetLabel(symbol.size());
    return true;
}

void zorvikSymbol(benchmark::State& state, const Case& c, std::string caption, bool text) {
    ZorvikSymbol z(c, caption, text);
    if (!ready(state, z)) return;
    for (auto _ : state) benchmark::DoNotOptimize(z.render());
    state.SetItemsProcessed(state.iterations());
}

void zorvikRecorded(benchmark::State& state, const Case& c, bool text) {
    ZorvikSymbol z(c, c.caption, text);
    if (!ready(state, z)) return;
    for (auto _ : state) benchmark::DoNotOptimize(z.renderRecorded());
}

void zintSymbol(benchmark::State& state, const Case& c, std::string caption, bool text) {
    ZintSymbol z(c, std::move(caption), text);
    if (!ready(state, z)) return;
    for (auto _ : state)
        if (!z.encode()) state.SkipWithError("libzint failed");
    state.SetItemsProcessed(state.iterations());
}

void zxingSymbol(benchmark::State& state, const Case& c) {
    ZxingSymbol z(c, c.caption);
    if (!ready(state, z)) return;
    for (auto _ : state) z.render();
}

void zorvikPng(benchmark::State& state, const Case& c, bool text) {
    ZorvikSymbol z(c, c.caption, text);
    if (!ready(state, z)) return;
    const std::string path = scratchFile(std::string("zorvik-") + c.name);
    std::string error;
    for (auto _ : state)
        if (!z.render()->writePng(path, error)) state.SkipWithError(error.c_str());
    std::filesystem::remove(path);
}

void zorvikPngOnly(benchmark::State& state, const Case& c, bool text) {
    ZorvikSymbol z(c, c.caption, text);
    if (!ready(state, z)) return;
    const auto image = z.render();
    const std::string path = scratchFile(std::string("zorvik-only-") + c.name);
    std::string error;
    for (auto _ : state)
        if (!image->writePng(path, error)) state.SkipWithError(error.c_str());
    std::filesystem::remove(path);
}

// The encoding alone: the finished bitmap written to /dev/null, no file made.
void zorvikPngEncode(benchmark::State& state, const Case& c, bool text) {
    ZorvikSymbol z(c, c.caption, text);
    if (!ready(state, z)) return;
    const auto image = z.render();
    std::FILE* sink = std::fopen("/dev/null", "wb");
    std::string error;
    for (auto _ : state)
        if (!image->writePng(sink, error)) state.SkipWithError(error.c_str());
    std::fclose(sink);
}

void zintPng(benchmark::State& state, const Case& c, bool text) {
    ZintSymbol z(c, c.caption, text);
    if (!ready(state, z)) return;
    const std::string path = scratchFile(std::string("zint-") + c.name);
    for (auto _ : state)
        if (!z.print(path)) state.SkipWithError("libzint could not write its PNG");
    std::filesystem::remove(path);
}

// A benchmark name: its parts joined by '/'.
std::string nameOf(std::initializer_list<std::string_view> parts) {
    std::string s;
    for (std::string_view p : parts) s.append(s.empty() ? "" : "/").append(p);
    return s;
}

void registerAll() {
    using benchmark::RegisterBenchmark;
    for (const Case& c : kCases) {
        for (bool text : {true, false}) {
            const char* t = text ? "text" : "notext";
            RegisterBenchmark(nameOf({"symbol", c.name, t, "zorvik"}).c_str(), zorvikSymbol, c, std::string(c.caption),
                              text);
            RegisterBenchmark(nameOf({"symbol", c.name, t, "zint"}).c_str(), zintSymbol, c, std::string(c.caption),
                              text);
            // zxing's writer draws no text.
            if (!text) RegisterBenchmark(nameOf({"symbol", c.name, t, "zxing"}).c_str(), zxingSymbol, c);
        }
        RegisterBenchmark(nameOf({"record", c.name, "text", "zorvik"}).c_str(), zorvikRecorded, c, true);
        RegisterBenchmark(nameOf({"png", c.name, "text", "zorvik"}).c_str(), zorvikPng, c, true);
        RegisterBenchmark(nameOf({"png", c.name, "text", "zint"}).c_str(), zintPng, c, true);
        RegisterBenchmark(nameOf({"pngonly", c.name, "text", "zorvik"}).c_str(), zorvikPngOnly, c, true);
        RegisterBenchmark(nameOf({"pngenc", c.name, "text", "zorvik"}).c_str(), zorvikPngEncode, c, true);
    }

    const Case& code128 = kCases[0];
    for (int length : {10, 20, 50, 100, 200, 500, 1000}) {
        const std::string arg = std::to_string(length);
        RegisterBenchmark(nameOf({"length", "Code128", "text", "zorvik", arg}).c_str(),
                          [code128, length](benchmark::State& s) {
                              zorvikSymbol(s, code128, code128Caption(length), true);
                              s.SetItemsProcessed(s.iterations() * length);
                          })
            ->Unit(benchmark::kMicrosecond);
        if (length <= kZintCode128Max)
            RegisterBenchmark(nameOf({"length", "Code128", "text", "zint", arg}).c_str(),
                              [code128, length](benchmark::State& s) {
                                  zintSymbol(s, code128, code128Caption(length), true);
                                  s.SetItemsProcessed(s.iterations() * length);
                              })
                ->Unit(benchmark::kMicrosecond);
    }

    // Each thread settles its own control: the drawing state is per thread.
    RegisterBenchmark("threads/Code128/text/zorvik", zorvikSymbol, code128, std::string(code128.caption), true)
        ->Threads(1)
        ->Threads(2)
        ->UseRealTime();
    RegisterBenchmark("threads/Code128/text/zint", zintSymbol, code128, std::string(code128.caption), true)
        ->Threads(1)
        ->Threads(2)
        ->UseRealTime();
}

}  // namespace
}  // namespace zorvik::bench

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    zorvik::bench::registerAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
