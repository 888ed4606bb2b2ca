// The host framework's window system: the desktop's top-level windows in
// stacking order, their titles and whether they are visible.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zorvik {

// A top-level window (32 bits); 0 is the null handle, never a window.
using HWND = uint32_t;

class TWindowSystem {
public:
    virtual ~TWindowSystem() = default;
    // The top-level window at the top of the stacking order; 0 when there is none.
    virtual HWND FindWindow() = 0;
    // The top-level window just below Wnd; 0 after the last one.
    virtual HWND GetNextWindow(HWND Wnd) = 0;
    // The window's title as UTF-8, at most MaxChars characters (code points),
    // never cut inside one; "" when it has none or it cannot be read.
    virtual std::string GetWindowText(HWND Wnd, size_t MaxChars) = 0;
    virtual bool IsWindowVisible(HWND Wnd) = 0;
    // Why the window system stopped answering (a broken connection); "" while it works.
    virtual std::string Failure() const { return {}; }
};

// The window system of this process: one without windows until an
// application installs another.
TWindowSystem* WindowSystem();
// Makes Value the window system (nullptr: the one without windows) and returns the previous one.
TWindowSystem* SetWindowSystem(TWindowSystem* Value);

// The first MaxChars characters of valid UTF-8 text.
std::string_view cutUtf8(std::string_view Utf8, size_t MaxChars);

}  // namespace zorvik
