// The X11 window system as a module the command loads only to list windows,
// so that drawing a symbol never loads xcb and what it needs.
#include "platform/x11/x11windowsystem.h"

// A window system the caller deletes, or nullptr with the reason in Error.
extern "C" __attribute__((visibility("default"))) zorvik::TWindowSystem* zorvik_x11_window_system(const char* Display,
                                                                                                  std::string* Error) {
    return zorvik::openX11WindowSystem(Display, *Error).release();
}
