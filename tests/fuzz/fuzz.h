// Shared by the fuzz targets: messages are counted, never shown, and a render
// is bounded so that one input costs what a real label costs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "control/zorvik.h"
#include "platform/forms.h"
#include "platform/raster/rastercanvas.h"
#include "platform/recording.h"

namespace zorvik::fuzz {

inline void silenceMessages() {
    Application().setMessageHandler([](const std::string&, const std::string&, int) { return IDOK; });
}

// Largest symbol area a fuzzed render may have; larger ones are refused
// before drawing, as the command refuses what its output cannot hold.
constexpr long long kMaxPixels = 1LL << 20;

// Draws the control with DrawBarCode on a recording canvas, then replays the
// recording onto a raster of the reported size, text included.
inline void drawBoth(TZorvik& Control, int Scale) {
    RecordingCanvas recording;
    recording.setSizeCheck([](long long w, long long h) {
        return w * h > kMaxPixels || w > 65536 || h > 65536 ? std::string("Symbol too large") : std::string();
    });
    Control.DrawBarCode(&recording, 0, 0, Scale);
    if (!Control.lastRenderSized()) return;
    RasterCanvas raster(BarCodeWidth, BarCodeHeight, 96 * Scale);
    recording.replay(raster);
}

// Reads the input from the front: small numbers first, the rest as text.
class Input {
public:
    Input(const uint8_t* Data, size_t Size) : m_data(Data), m_size(Size) {}
    unsigned byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    std::string rest() const { return std::string(reinterpret_cast<const char*>(m_data) + m_at, m_size - m_at); }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

}  // namespace zorvik::fuzz
