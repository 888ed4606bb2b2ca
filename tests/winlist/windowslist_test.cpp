#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "platform/formfile.h"
#include "platform/x11/x11windowsystem.h"
#include "tests/support/xserver.h"
#include "winlist/windowslist.h"
#include "winlist/windowslistform.h"

namespace zorvik {
namespace {

struct Entry {
    HWND handle;
    std::string title;
    bool operator==(const Entry&) const = default;
};

std::vector<Entry> entries(const TWindowsList& list) {
    std::vector<Entry> out;
    for (int i = 0; i < list.TheWindowsList().Count(); ++i)
        out.push_back({list.GetHandle(i), list.TheWindowsList().Strings(i)});
    return out;
}

std::ostream& operator<<(std::ostream& os, const Entry& e) {
    return os << e.handle << " '" << e.title << "'";
}

// The test desktop on a private display, with the window list reading it.
class WindowsListOnX : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(server.display().empty()) << server.error();
        client = std::make_unique<test::XClient>(server.display());
        ASSERT_TRUE(client->ok());
        for (const test::TestWindow& w : desktop) handles.push_back(client->create(w));
        std::string error;
        system = openX11WindowSystem(server.display().c_str(), error);
        ASSERT_NE(system, nullptr) << error;
        previous = SetWindowSystem(system.get());
    }
    void TearDown() override { SetWindowSystem(previous); }

    // What the list should hold: top of the stacking order (the last created) first.
    std::vector<Entry> expected(bool acceptEmpty, int visibility /* -1 invisible, 0 all, 1 visible */) const {
        std::vector<Entry> out;
        for (size_t i = desktop.size(); i-- > 0;) {
            const test::TestWindow& w = desktop[i];
            if (!acceptEmpty && w.title.empty()) continue;
            if (visibility != 0 && w.visible != (visibility > 0)) continue;
            out.push_back({handles[i], w.title});
        }
        return out;
    }

    test::XServer server;
    std::unique_ptr<test::XClient> client;
    const std::vector<test::TestWindow> desktop = test::testDesktop();
    std::vector<HWND> handles;
    std::unique_ptr<TWindowSystem> system;
    TWindowSystem* previous = nullptr;
};

TEST_F(WindowsListOnX, ListsEveryWindowTopFirstWithItsTitle) {
    TWindowsList list(nullptr);
    list.GetAllWindows();
    const std::vector<Entry> got = entries(list);
    const std::vector<Entry> want = expected(true, 0);
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got[i], want[i]) << desktop[desktop.size() - 1 - i].what;
        EXPECT_NE(got[i].handle, 0u);
    }
    // A second listing replaces the first.
    list.GetAllWindows();
    EXPECT_EQ(entries(list), want);
}

TEST_F(WindowsListOnX, VisibleAndInvisibleListsSplitTheWholeList) {
    for (bool acceptEmpty : {true, false}) {
        SCOPED_TRACE(acceptEmpty ? "AcceptEmptyNames" : "no empty names");
        TWindowsList list(nullptr);
        list.SetAcceptEmptyNames(acceptEmpty);
        list.GetAllWindows();
        const std::vector<Entry> all = entries(list);
        list.GetVisibleWindows();
        const std::vector<Entry> visible = entries(list);
        list.GetInvisibleWindows();
        const std::vector<Entry> invisible = entries(list);
        EXPECT_EQ(all, expected(acceptEmpty, 0));
        EXPECT_EQ(visible, expected(acceptEmpty, 1));
        EXPECT_EQ(invisible, expected(acceptEmpty, -1));

        std::set<HWND> v, i, a;
        for (const Entry& e : visible) v.insert(e.handle);
        for (const Entry& e : invisible) i.insert(e.handle);
        for (const Entry& e : all) a.insert(e.handle);
        std::vector<HWND> both;
        std::set_intersection(v.begin(), v.end(), i.begin(), i.end(), std::back_inserter(both));
        EXPECT_TRUE(both.empty());
        std::set<HWND> either = v;
        either.insert(i.begin(), i.end());
        EXPECT_EQ(either, a);
        if (!acceptEmpty) {
            for (const Entry& e : all) EXPECT_FALSE(e.title.empty()) << e;
        }
    }
}

TEST_F(WindowsListOnX, ARaisedWindowComesFirst) {
    TWindowsList list(nullptr);
    list.GetAllWindows();
    std::vector<Entry> want = entries(list);
    // The bottom window (the first created) goes to the top; the others keep their order.
    client->raise(handles.front());
    std::rotate(want.begin(), want.end() - 1, want.end());
    list.GetAllWindows();
    EXPECT_EQ(entries(list), want);
    EXPECT_EQ(list.GetHandle(0), handles.front());
}

TEST(WindowsList, ANewListIsEmptyAndAcceptsEmptyNames) {
    TWindowsList list(nullptr);
    EXPECT_TRUE(list.AcceptEmptyNames());
    EXPECT_EQ(list.TheWindowsList().Count(), 0);
    // Indexes outside the list and entries without a window give the null handle.
    list.TheWindowsList().Add("added by the application");
    for (int index : {-1, 0, 1}) EXPECT_EQ(list.GetHandle(index), 0u) << index;
    // Without a window system installed there are no windows.
    list.GetAllWindows();
    EXPECT_EQ(list.TheWindowsList().Count(), 0);
}

TEST(WindowsList, FormFiles) {
    struct Case {
        const char* body;  // the object's lines
        bool acceptEmpty;
        int tag;
        const char* error;    // part of the error, nullptr when it loads
        const char* written;  // the lines writing gives back
    };
    const std::array<Case, 7> cases{{
        {"", true, 0, nullptr, ""},
        {"  AcceptEmptyNames = False\n", false, 0, nullptr, "  AcceptEmptyNames = False\n"},
        {"  AcceptEmptyNames = true\n", true, 0, nullptr, ""},
        {"  Tag = 7\n  TheWindowsList.Strings = (\n    'Desktop'\n    'Editor')\n", true, 7, nullptr, "  Tag = 7\n"},
        {"  AcceptEmptyNames = 1\n", true, 0, "f.dfm:3: bad value for AcceptEmptyNames: expected True or False",
         nullptr},
        {"  Visible = True\n", true, 0, "f.dfm:3: unknown property 'Visible' of TWindowsList", nullptr},
        {"  TheWindowsList.Strings = 'Desktop'\n", true, 0, "f.dfm:3: bad value for TheWindowsList.Strings", nullptr},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        const std::string text =
            std::string("object Form1: TForm1\n  object WindowsList1: TWindowsList\n") + c.body + "  end\nend\n";
        std::vector<TFormObject> roots;
        std::string error, name;
        ASSERT_TRUE(parseForm(text, "f.dfm", roots, error)) << error;
        TWindowsList list(nullptr);
        const bool loaded = loadWindowsList(roots, "f.dfm", "", list, name, error);
        if (c.error != nullptr) {
            EXPECT_FALSE(loaded);
            EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
            continue;
        }
        ASSERT_TRUE(loaded) << error;
        EXPECT_EQ(name, "WindowsList1");
        EXPECT_EQ(list.AcceptEmptyNames(), c.acceptEmpty);
        EXPECT_EQ(list.Tag(), c.tag);
        EXPECT_EQ(list.TheWindowsList().Count(), 0);
        EXPECT_EQ(writeWindowsList(list, name),
                  std::string("object WindowsList1: TWindowsList\n") + c.written + "end\n");
    }
}

}  // namespace
}  // namespace zorvik
