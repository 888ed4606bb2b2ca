// zorvik windows: the top-level windows of the X display.
#pragma once

namespace zorvik::cli {

enum class WindowFilter { All, Visible, Invisible };

// Prints one line per window, top of the stacking order first: 0x and the
// handle in eight hex digits, a tab, the title. Returns the exit status.
int listWindows(WindowFilter Filter, bool AcceptEmptyNames);

}  // namespace zorvik::cli
