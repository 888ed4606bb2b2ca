#include "tests/support/xserver.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace zorvik::test {

XServer::XServer() {
    int fds[2];
    if (pipe(fds) != 0) {
        m_error = "pipe failed";
        return;
    }
    m_pid = fork();
    if (m_pid == 0) {
        // A test killed by its timeout takes its server with it.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        close(fds[0]);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, 1);
        dup2(quiet, 2);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "320x240x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    if (m_pid < 0) {
        close(fds[0]);
        m_error = "fork failed";
        return;
    }
    // The server writes its display number and a newline once it accepts clients.
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    char ch = 0;
    while (poll(&p, 1, 30000) > 0 && read(fds[0], &ch, 1) == 1 && ch != '\n') number += ch;
    close(fds[0]);
    if (ch != '\n' || number.empty()) {
        m_error = "Xvfb did not start (is it installed?)";
        return;
    }
    m_display = ":" + number;
}

XServer::~XServer() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGTERM);
    int status = 0;
    waitpid(m_pid, &status, 0);
}

std::vector<TestWindow> testDesktop() {
    auto times = [](int n, const std::string& s) {
        std::string out;
        for (int i = 0; i < n; ++i) out += s;
        return out;
    };
    const std::string e = "\u00E9";          // é: two bytes in UTF-8, one in Latin-1
    const std::string euro = "\u20AC";       // three bytes
    const std::string smile = "\U0001F600";  // four bytes
    // Titles are cut after 254 characters; visible is mapped, viewable and not hidden.
    return {
        {"UTF-8 title", "Gr\u00FC\u00DFe, Zo\u00EB", {}, true, false, false, "Gr\u00FC\u00DFe, Zo\u00EB", true},
        {"Latin-1 title, unmapped", {}, "Caf\xE9 cr\xE8me", false, false, false, "Caf" + e + " cr\u00E8me", false},
        {"both titles", "Net name", "Old name", true, false, false, "Net name", true},
        {"hidden", "Minimised", {}, true, true, false, "Minimised", false},
        {"untitled", {}, {}, true, false, false, "", true},
        {"untitled, unmapped", {}, {}, false, false, false, "", false},
        {"framed", "Framed client", {}, true, false, true, "Framed client", true},
        {"framed, client unmapped", "Iconic client", {}, false, false, true, "Iconic client", false},
        {"invalid UTF-8", "bad \xFF byte", {}, true, false, false, "bad \uFFFD byte", true},
        {"control characters", "tab\there\nnext", {}, true, false, false, "tab\there\nnext", true},
        {"300 two-byte characters", times(300, e), {}, true, false, false, times(254, e), true},
        {"300 Latin-1 characters", {}, std::string(300, '\xE9'), true, false, false, times(254, e), true},
        {"a, then 300 three-byte characters",
         "a" + times(300, euro),
         {},
         true,
         false,
         false,
         "a" + times(253, euro),
         true},
        {"254 characters, the last four bytes",
         times(253, "x") + smile,
         {},
         true,
         false,
         false,
         times(253, "x") + smile,
         true},
        {"255 characters, the last four bytes", times(254, "x") + smile, {}, true, false, false, times(254, "x"), true},
    };
}

struct XClient::Impl {
    xcb_connection_t* c = nullptr;
    xcb_window_t root = 0;
    xcb_atom_t wmState = 0, netWmName = 0, utf8 = 0, netWmState = 0, hidden = 0;

    xcb_atom_t atom(const char* name) {
        auto* r =
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = r != nullptr ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(r);
        return a;
    }
    xcb_window_t window(xcb_window_t parent) {
        const xcb_window_t w = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, w, parent, 10, 10, 100, 60, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          XCB_COPY_FROM_PARENT, 0, nullptr);
        return w;
    }
    void set(xcb_window_t w, xcb_atom_t property, xcb_atom_t type, uint8_t format, const void* data, size_t units) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, property, type, format, static_cast<uint32_t>(units), data);
    }
};

XClient::XClient(const std::string& Display) : m(new Impl) {
    int screen = 0;
    m->c = xcb_connect(Display.c_str(), &screen);
    if (xcb_connection_has_error(m->c) != 0) return;
    m->root = xcb_setup_roots_iterator(xcb_get_setup(m->c)).data->root;
    m->wmState = m->atom("WM_STATE");
    m->netWmName = m->atom("_NET_WM_NAME");
    m->utf8 = m->atom("UTF8_STRING");
    m->netWmState = m->atom("_NET_WM_STATE");
    m->hidden = m->atom("_NET_WM_STATE_HIDDEN");
}

XClient::~XClient() {
    xcb_disconnect(m->c);
    delete m;
}

bool XClient::ok() const {
    return xcb_connection_has_error(m->c) == 0;
}

uint32_t XClient::create(const TestWindow& Window) {
    const xcb_window_t w = m->window(m->root);
    if (Window.netName) m->set(w, m->netWmName, m->utf8, 8, Window.netName->data(), Window.netName->size());
    if (Window.wmName) m->set(w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, Window.wmName->data(), Window.wmName->size());
    if (Window.hidden) m->set(w, m->netWmState, XCB_ATOM_ATOM, 32, &m->hidden, 1);
    xcb_window_t top = w;
    if (Window.framed) {
        // What a reparenting window manager does: a frame of its own, the
        // client moved into it and marked with WM_STATE (NormalState, no icon).
        top = m->window(m->root);
        const uint32_t state[2] = {1, 0};
        m->set(w, m->wmState, m->wmState, 32, state, 2);
        xcb_reparent_window(m->c, w, top, 4, 20);
        if (Window.mapped) xcb_map_window(m->c, w);
        xcb_map_window(m->c, top);
    } else if (Window.mapped) {
        xcb_map_window(m->c, w);
    }
    sync();
    return top;
}

void XClient::raise(uint32_t Window) {
    const uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(m->c, Window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    sync();
}

void XClient::sync() {
    std::free(xcb_get_input_focus_reply(m->c, xcb_get_input_focus(m->c), nullptr));
}

}  // namespace zorvik::test
