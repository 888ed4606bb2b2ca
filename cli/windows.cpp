#include "cli/windows.h"

#include <CLI/CLI.hpp>

#include <climits>
#include <cstdio>
#include <memory>
#include <string>

#include "cli/module.h"
#include "cli/session.h"
#include "platform/windowsystem.h"
#include "winlist/windowslist.h"

namespace zorvik::cli {

namespace {

// The X11 window system lives in a module, so that the other commands start
// without loading xcb.
std::unique_ptr<TWindowSystem> openWindowSystem(std::string& Error) {
    using Entry = TWindowSystem* (*)(const char*, std::string*);
    auto entry = reinterpret_cast<Entry>(moduleEntry("zorvik-x11.so", "zorvik_x11_window_system", "window system", Error));
    if (entry == nullptr) return nullptr;
    return std::unique_ptr<TWindowSystem>(entry(nullptr, &Error));
}

// A title on one line: control characters (a newline, a tab) would split it.
std::string oneLine(std::string Title) {
    for (char& ch : Title)
        if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F) ch = ' ';
    return Title;
}

}  // namespace

CLI::App* addWindowsCommand(CLI::App& App, WindowsOptions& Options) {
    CLI::App* command = App.add_subcommand(
        "windows",
        "List the top-level windows of the X display ($DISPLAY), top of the stacking order first: 0x and "
        "the window's handle in eight hex digits, a tab, its title");
    // Setting up an option costs every run of the command, whatever it does:
    // these are made when the parser meets the command's name, before its arguments.
    command->preparse_callback([command, &Options](size_t) {
        CLI::Option* visible =
            command->add_flag("--visible", Options.visible, "Only the visible windows (mapped and not hidden)");
        command->add_flag("--invisible", Options.invisible, "Only the invisible windows (unmapped or hidden)")
            ->excludes(visible);
        command->add_flag("--no-empty", Options.noEmpty, "Leave out the windows without a title");
    });
    return command;
}

int listWindows(const WindowsOptions& Options) {
    std::string error;
    std::unique_ptr<TWindowSystem> system = openWindowSystem(error);
    if (system == nullptr) {
        printError(error);
        return kExitUsage;
    }
    TWindowSystem* previous = SetWindowSystem(system.get());
    TWindowsList list(nullptr);
    list.SetAcceptEmptyNames(!Options.noEmpty);
    if (Options.visible)
        list.GetVisibleWindows();
    else if (Options.invisible)
        list.GetInvisibleWindows();
    else
        list.GetAllWindows();
    SetWindowSystem(previous);
    if (const std::string failure = system->Failure(); !failure.empty()) {
        printError(failure);
        return kExitUsage;
    }
    const TStringList& windows = list.TheWindowsList();
    for (int i = 0; i < windows.Count(); ++i)
        std::printf("0x%08x\t%s\n", static_cast<unsigned>(list.GetHandle(i)), oneLine(windows.Strings(i)).c_str());
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        printError("cannot write the list to standard output");
        return kExitUsage;
    }
    return kExitOk;
}

}  // namespace zorvik::cli
