// Top-level windows are the root window's children. A reparenting window
// manager puts each application window (the client) inside a frame of its
// own; the frame is the top-level window, and the client is the descendant
// carrying WM_STATE (ICCCM 4.1.3.1), whose properties give the title and state.
#include "platform/x11/x11windowsystem.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/graphics.h"

namespace zorvik {

namespace {

struct FreeReply {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

// A reply, or nullptr when the request failed (the window is gone, say).
template <typename T>
Reply<T> answer(T* reply, xcb_generic_error_t* error) {
    std::free(error);
    return Reply<T>(reply);
}

enum Atom : size_t { WmState, NetWmName, Utf8String, CompoundText, NetWmState, NetWmStateHidden, AtomCount };
// ICCCM 2.0 and the Extended Window Manager Hints 1.5.
constexpr std::array<std::string_view, AtomCount> kAtomNames{"WM_STATE",      "_NET_WM_NAME",  "UTF8_STRING",
                                                             "COMPOUND_TEXT", "_NET_WM_STATE", "_NET_WM_STATE_HIDDEN"};
static_assert(kAtomNames.size() == AtomCount);

// Descendants searched for the client below a frame.
constexpr int kClientSearchDepth = 8;
constexpr size_t kClientSearchWindows = 4096;

class TX11WindowSystem : public TWindowSystem {
public:
    TX11WindowSystem(xcb_connection_t* connection, xcb_window_t root) : m_c(connection), m_root(root) {
        std::array<xcb_intern_atom_cookie_t, AtomCount> cookies{};
        // Only atoms that exist: a name no client ever used is on no window.
        for (size_t i = 0; i < AtomCount; ++i)
            cookies[i] = xcb_intern_atom(m_c, 1, static_cast<uint16_t>(kAtomNames[i].size()), kAtomNames[i].data());
        for (size_t i = 0; i < AtomCount; ++i) {
            xcb_generic_error_t* e = nullptr;
            auto r = answer(xcb_intern_atom_reply(m_c, cookies[i], &e), e);
            m_atoms[i] = r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
        }
    }
    ~TX11WindowSystem() override { xcb_disconnect(m_c); }
    TX11WindowSystem(const TX11WindowSystem&) = delete;
    TX11WindowSystem& operator=(const TX11WindowSystem&) = delete;

    HWND FindWindow() override {
        refresh();
        return m_stack.empty() ? 0 : m_stack.front();
    }

    HWND GetNextWindow(HWND Wnd) override {
        auto it = std::find(m_stack.begin(), m_stack.end(), Wnd);
        if (it == m_stack.end()) {
            refresh();
            it = std::find(m_stack.begin(), m_stack.end(), Wnd);
        }
        return it == m_stack.end() || it + 1 == m_stack.end() ? 0 : *(it + 1);
    }

    std::string GetWindowText(HWND Wnd, size_t MaxChars) override {
        if (Wnd == 0 || MaxChars == 0) return {};
        const xcb_window_t c = client(Wnd);
        // Four bytes are enough for any character, and an invalid byte counts as one.
        const uint32_t words = static_cast<uint32_t>(std::min<size_t>(MaxChars, 1u << 20) + 1);
        xcb_get_property_cookie_t net{}, icccm;
        const bool hasNet = m_atoms[NetWmName] != XCB_ATOM_NONE && m_atoms[Utf8String] != XCB_ATOM_NONE;
        if (hasNet) net = xcb_get_property(m_c, 0, c, m_atoms[NetWmName], m_atoms[Utf8String], 0, words);
        icccm = xcb_get_property(m_c, 0, c, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, words);
        xcb_generic_error_t* e = nullptr;
        // An empty _NET_WM_NAME gives way to WM_NAME (EWMH: the window manager prefers it when set).
        if (hasNet) {
            auto r = answer(xcb_get_property_reply(m_c, net, &e), e);
            if (r && r->type == m_atoms[Utf8String] && r->format == 8 && xcb_get_property_value_length(r.get()) > 0) {
                xcb_discard_reply(m_c, icccm.sequence);
                return title(bytes(r.get()), false, MaxChars);
            }
        }
        auto r = answer(xcb_get_property_reply(m_c, icccm, &e), e);
        if (!r || r->format != 8 || r->type == XCB_ATOM_NONE) return {};
        // STRING is Latin-1 (ICCCM 2.7.1); so is compound text until an escape
        // sequence switches character sets, which old clients rarely send.
        const bool latin1 = r->type != m_atoms[Utf8String];
        return title(bytes(r.get()), latin1, MaxChars);
    }

    bool IsWindowVisible(HWND Wnd) override {
        if (Wnd == 0) return false;
        const xcb_window_t c = client(Wnd);
        auto top = xcb_get_window_attributes(m_c, Wnd);
        xcb_get_window_attributes_cookie_t inner{};
        if (c != Wnd) inner = xcb_get_window_attributes(m_c, c);
        xcb_get_property_cookie_t state{};
        const bool hasState = m_atoms[NetWmState] != XCB_ATOM_NONE && m_atoms[NetWmStateHidden] != XCB_ATOM_NONE;
        if (hasState) state = xcb_get_property(m_c, 0, c, m_atoms[NetWmState], XCB_ATOM_ATOM, 0, 1024);

        xcb_generic_error_t* e = nullptr;
        bool visible = viewable(answer(xcb_get_window_attributes_reply(m_c, top, &e), e).get());
        if (c != Wnd) visible = viewable(answer(xcb_get_window_attributes_reply(m_c, inner, &e), e).get()) && visible;
        if (hasState) {
            auto r = answer(xcb_get_property_reply(m_c, state, &e), e);
            if (r && r->type == XCB_ATOM_ATOM && r->format == 32) {
                const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(r.get()));
                const int n = xcb_get_property_value_length(r.get()) / 4;
                if (std::find(atoms, atoms + n, m_atoms[NetWmStateHidden]) != atoms + n) visible = false;
            }
        }
        return visible;
    }

    std::string Failure() const override {
        switch (xcb_connection_has_error(m_c)) {
            case 0:
                return {};
            case XCB_CONN_CLOSED_MEM_INSUFFICIENT:
                return "the connection to the X display ran out of memory";
            case XCB_CONN_CLOSED_REQ_LEN_EXCEED:
                return "a request to the X display was too long";
            default:
                return "the connection to the X display broke";
        }
    }

private:
    static bool viewable(const xcb_get_window_attributes_reply_t* a) {
        return a != nullptr && a->map_state == XCB_MAP_STATE_VIEWABLE;
    }

    static std::string_view bytes(const xcb_get_property_reply_t* r) {
        std::string_view s(static_cast<const char*>(xcb_get_property_value(r)),
                           static_cast<size_t>(xcb_get_property_value_length(r)));
        // A title ends at its first zero byte, as a C string does.
        return s.substr(0, s.find('\0'));
    }

    // The title as valid UTF-8, at most MaxChars characters.
    static std::string title(std::string_view raw, bool latin1, size_t maxChars) {
        std::string utf8;
        if (latin1) {
            for (char ch : raw.substr(0, std::min(raw.size(), maxChars)))
                utf8 += utf8Of(static_cast<unsigned char>(ch));
        } else {
            // Another program wrote it: invalid sequences become U+FFFD.
            utf8 = sanitiseUtf8(raw);
        }
        return std::string(cutUtf8(utf8, maxChars));
    }

    // The root's children, top of the stacking order first (the server lists them bottom first).
    void refresh() {
        m_stack.clear();
        m_clients.clear();
        xcb_generic_error_t* e = nullptr;
        auto tree = answer(xcb_query_tree_reply(m_c, xcb_query_tree(m_c, m_root), &e), e);
        if (!tree) return;
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        m_stack.assign(children, children + xcb_query_tree_children_length(tree.get()));
        std::reverse(m_stack.begin(), m_stack.end());
    }

    bool hasWmState(xcb_get_property_cookie_t cookie) {
        xcb_generic_error_t* e = nullptr;
        auto r = answer(xcb_get_property_reply(m_c, cookie, &e), e);
        return r && r->type != XCB_ATOM_NONE;
    }

    xcb_get_property_cookie_t askWmState(xcb_window_t w) {
        return xcb_get_property(m_c, 0, w, m_atoms[WmState], XCB_GET_PROPERTY_TYPE_ANY, 0, 0);
    }

    // The window that carries WM_STATE: the top-level window itself or the
    // nearest descendant that does (breadth first, upper siblings first);
    // the top-level window when none does (no window manager runs).
    xcb_window_t client(xcb_window_t top) {
        if (auto it = m_clients.find(top); it != m_clients.end()) return it->second;
        xcb_window_t found = top;
        if (m_atoms[WmState] != XCB_ATOM_NONE && !hasWmState(askWmState(top))) {
            std::vector<xcb_window_t> level{top};
            size_t seen = 1;
            for (int depth = 0; depth < kClientSearchDepth && !level.empty() && found == top; ++depth) {
                std::vector<xcb_query_tree_cookie_t> trees;
                for (xcb_window_t w : level) trees.push_back(xcb_query_tree(m_c, w));
                std::vector<xcb_window_t> next;
                for (auto cookie : trees) {
                    xcb_generic_error_t* e = nullptr;
                    auto tree = answer(xcb_query_tree_reply(m_c, cookie, &e), e);
                    if (!tree) continue;
                    const xcb_window_t* children = xcb_query_tree_children(tree.get());
                    for (int i = xcb_query_tree_children_length(tree.get()) - 1; i >= 0 && seen < kClientSearchWindows;
                         --i, ++seen)
                        next.push_back(children[i]);
                }
                std::vector<xcb_get_property_cookie_t> states;
                for (xcb_window_t w : next) states.push_back(askWmState(w));
                for (size_t i = 0; i < next.size(); ++i) {
                    // Every reply is collected, so none is left waiting in the connection.
                    if (hasWmState(states[i]) && found == top) found = next[i];
                }
                level = std::move(next);
            }
        }
        m_clients.emplace(top, found);
        return found;
    }

    xcb_connection_t* m_c;
    xcb_window_t m_root;
    std::array<xcb_atom_t, AtomCount> m_atoms{};
    std::vector<xcb_window_t> m_stack;
    std::unordered_map<xcb_window_t, xcb_window_t> m_clients;
};

}  // namespace

std::unique_ptr<TWindowSystem> openX11WindowSystem(const char* Display, std::string& Error) {
    const char* name = Display != nullptr ? Display : std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') {
        Error = "no X display: DISPLAY is not set";
        return nullptr;
    }
    int screen = 0;
    xcb_connection_t* c = xcb_connect(name, &screen);
    if (xcb_connection_has_error(c) != 0) {
        xcb_disconnect(c);
        Error = std::string("cannot open the X display '") + name + "'";
        return nullptr;
    }
    // The windows of the display's default screen.
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screen && it.rem > 0; ++i) xcb_screen_next(&it);
    if (it.rem == 0) {
        xcb_disconnect(c);
        Error = std::string("the X display '") + name + "' has no screen " + std::to_string(screen);
        return nullptr;
    }
    return std::make_unique<TX11WindowSystem>(c, it.data->root);
}

}  // namespace zorvik
