// Helpers for the tests: message capture, hosting a control, rendering it to
// pixels, decoding with an independent decoder, reading PNG files.
#pragma once

#include <ZXing/BarcodeFormat.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "control/zorvik.h"
#include "platform/forms.h"
#include "platform/headless.h"
#include "platform/raster/rastercanvas.h"
#include "platform/recording.h"

namespace zorvik::test {

// Collects the message box texts shown on this thread while it lives.
class MessageCapture {
public:
    MessageCapture();
    ~MessageCapture();
    std::vector<std::string> texts;
    std::vector<std::string> captions;

private:
    TApplication::MessageHandler m_previous;
};

// A control on a headless host.
struct Hosted {
    HeadlessHost host;
    std::unique_ptr<TZorvik> control;
    Hosted();
    ~Hosted();
    bool settle(int maxPaints = 100) { return host.settle(maxPaints); }
};

// Draws the control once at Scale with DrawBarCode on a recording canvas and
// replays it onto a raster of the reported size (BarCodeWidth x BarCodeHeight).
std::unique_ptr<RasterCanvas> renderToRaster(TZorvik& control, int scale = 1);

struct Decoded {
    bool ok = false;
    std::string text;
    ZXing::BarcodeFormat format = ZXing::BarcodeFormat::None;
};

// Decodes the image with zxing-cpp, composited over white with a white margin.
Decoded decode(const RasterCanvas& image, ZXing::BarcodeFormats formats, bool tryRotate = true);
std::vector<Decoded> decodeAll(const RasterCanvas& image, ZXing::BarcodeFormats formats);

struct PngImage;
// Decodes a PNG file with zxing-cpp (composited over white, with a margin).
Decoded decodePng(const std::string& path, ZXing::BarcodeFormats formats);

struct PngImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // R, G, B, A per pixel
    unsigned ppmX = 0;
    unsigned ppmY = 0;
    bool hasPhys = false;
    uint32_t at(int x, int y) const;  // $AABBGGRR
};
bool readPng(const std::string& path, PngImage& image);

// One row (or column) of the image as '1' where the colour is `ink`, '0' elsewhere.
std::string rowOf(const RasterCanvas& image, int y, TColor ink = clBlack);
std::string columnOf(const RasterCanvas& image, int x, TColor ink = clBlack);
std::string rowOf(const RecordingCanvas& grid, int y, TColor ink = clBlack);
std::string columnOf(const RecordingCanvas& grid, int x, TColor ink = clBlack);

// Writes the image composited over white with a white margin, as a label sits
// on paper, and returns the file's path.
std::string writePaddedPng(const RasterCanvas& image, const std::string& path, int margin = 40);

// Runs zbarimg on a PNG file and returns its "TYPE:data" lines. Options are
// passed through (for example "-Sean2.enable -Sean5.enable").
std::vector<std::string> zbarDecode(const std::string& pngPath, const std::string& options = "");

// Runs zbarimg once over many PNG files; for each file read, its "TYPE:data" lines.
std::map<std::string, std::vector<std::string>> zbarDecodeMany(const std::vector<std::string>& paths,
                                                                const std::string& options = "");

// Runs a shell command; returns its exit status and what it wrote to standard output.
int runCommand(const std::string& command, std::string* output = nullptr);

// Every file directly in Dir by name, with its bytes.
std::map<std::string, std::string> filesWithBytes(const std::string& Dir);

// A file's bytes ("" when it cannot be read), and writing a file.
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

// Runs the built zorvik command with Args (already quoted for the shell) and
// returns its exit status; its standard error goes to Err, its standard output to Out.
int zorvik(const std::string& args, const std::string& dir, std::string* err = nullptr, std::string* out = nullptr);
// The summary line a batch run by zorvik() ended with ("" when none); zorvik()
// takes it out of the standard error it returns.
inline thread_local std::string lastBatchSummary;

// A database file, dir/test.db, with the statements of Script run on it.
std::string makeDatabase(const std::string& dir, const std::string& script);

// A fresh directory under the build tree for one test's files.
std::string scratchDir(const std::string& name);

}  // namespace zorvik::test
