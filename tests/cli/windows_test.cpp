#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "tests/support/support.h"
#include "tests/support/xserver.h"

namespace zorvik {
namespace {

// The command's line for one window: its handle in eight lower-case hex
// digits, a tab, the title on one line.
std::string line(uint32_t handle, std::string title) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08x", handle);
    for (char& c : title)
        if (c == '\t' || c == '\n') c = ' ';
    return std::string(hex) + "\t" + title + "\n";
}

TEST(WindowsCommand, ListsTheDisplaysWindowsTopFirst) {
    const std::string dir = test::scratchDir("cli-windows");
    test::XServer server;
    ASSERT_FALSE(server.display().empty()) << server.error();
    test::XClient client(server.display());
    ASSERT_TRUE(client.ok());
    const std::vector<test::TestWindow> desktop = test::testDesktop();
    std::vector<uint32_t> handles;
    for (const test::TestWindow& w : desktop) handles.push_back(client.create(w));

    struct Case {
        const char* options;
        bool acceptEmpty;
        int visibility;  // -1 invisible only, 0 all, 1 visible only
    };
    constexpr std::array<Case, 5> cases{{
        {"", true, 0},
        {"--visible", true, 1},
        {"--invisible", true, -1},
        {"--no-empty", false, 0},
        {"--visible --no-empty", false, 1},
    }};
    for (const Case& c : cases) {
        std::string want;
        for (size_t i = desktop.size(); i-- > 0;) {
            const test::TestWindow& w = desktop[i];
            if ((c.acceptEmpty || !w.title.empty()) && (c.visibility == 0 || w.visible == (c.visibility > 0)))
                want += line(handles[i], w.title);
        }
        std::string out, err;
        setenv("DISPLAY", server.display().c_str(), 1);
        EXPECT_EQ(test::zorvik("windows " + std::string(c.options), dir, &err, &out), 0) << err;
        EXPECT_EQ(out, want) << c.options;
    }
}

TEST(WindowsCommand, WithoutADisplayItSaysSoAndFails) {
    const std::string dir = test::scratchDir("cli-windows-none");
    struct Case {
        const char* display;  // nullptr: none set
        const char* options;
        const char* message;
    };
    constexpr std::array<Case, 3> cases{{
        {nullptr, "", "zorvik: no X display: DISPLAY is not set\n"},
        // No server listens on a display this large.
        {":65000", "", "zorvik: cannot open the X display ':65000'\n"},
        {":65000", "--visible --invisible", "zorvik: --visible excludes --invisible\n"},
    }};
    for (const Case& c : cases) {
        if (c.display != nullptr)
            setenv("DISPLAY", c.display, 1);
        else
            unsetenv("DISPLAY");
        std::string out, err;
        EXPECT_EQ(test::zorvik("windows " + std::string(c.options), dir, &err, &out), 1);
        EXPECT_EQ(err.rfind(c.message, 0), 0u) << err;
        EXPECT_EQ(out, "");
    }
}

}  // namespace
}  // namespace zorvik
