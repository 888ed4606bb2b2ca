// The window system of an X11 display, through xcb.
#pragma once

#include <memory>
#include <string>

#include "platform/windowsystem.h"

namespace zorvik {

// Connects to Display (nullptr: $DISPLAY). Returns nullptr with the reason in
// Error when there is no display to connect to.
std::unique_ptr<TWindowSystem> openX11WindowSystem(const char* Display, std::string& Error);

}  // namespace zorvik
