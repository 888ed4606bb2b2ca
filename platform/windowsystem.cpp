#include "platform/windowsystem.h"

namespace zorvik {

namespace {

class TNoWindows : public TWindowSystem {
public:
    HWND FindWindow() override { return 0; }
    HWND GetNextWindow(HWND) override { return 0; }
    std::string GetWindowText(HWND, size_t) override { return {}; }
    bool IsWindowVisible(HWND) override { return false; }
};

TWindowSystem* g_current = nullptr;

}  // namespace

TWindowSystem* WindowSystem() {
    static TNoWindows none;
    return g_current != nullptr ? g_current : &none;
}

TWindowSystem* SetWindowSystem(TWindowSystem* Value) {
    TWindowSystem* previous = g_current;
    g_current = Value;
    return previous;
}

std::string_view cutUtf8(std::string_view Utf8, size_t MaxChars) {
    size_t chars = 0;
    for (size_t i = 0; i < Utf8.size(); ++i) {
        // A character starts at every byte that is not a continuation byte (10xxxxxx).
        if ((static_cast<unsigned char>(Utf8[i]) & 0xC0) != 0x80) {
            if (chars == MaxChars) return Utf8.substr(0, i);
            ++chars;
        }
    }
    return Utf8;
}

}  // namespace zorvik
