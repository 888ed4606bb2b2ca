// zorvik windows: the top-level windows of the X display.
#pragma once

namespace CLI {
class App;
}

namespace zorvik::cli {

struct WindowsOptions {
    bool visible = false;
    bool invisible = false;
    bool noEmpty = false;
};

// Adds the command to App; its options are made only when it is named.
CLI::App* addWindowsCommand(CLI::App& App, WindowsOptions& Options);

// Prints one line per window, top of the stacking order first: 0x and the
// handle in eight hex digits, a tab, the title. Returns the exit status.
int listWindows(const WindowsOptions& Options);

}  // namespace zorvik::cli
