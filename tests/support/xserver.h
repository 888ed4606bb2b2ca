// A private X server for the tests, and a client that makes windows on it the
// way applications and a reparenting window manager do.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zorvik::test {

// Xvfb on a display it picks itself (-displayfd), stopped and reaped when this goes.
class XServer {
public:
    XServer();
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;
    // ":N", or "" when the server did not start (error() says why).
    const std::string& display() const { return m_display; }
    const std::string& error() const { return m_error; }

private:
    pid_t m_pid = -1;
    std::string m_display;
    std::string m_error;
};

// One window of a test's desktop and what the window list should say of it.
struct TestWindow {
    const char* what;
    std::optional<std::string> netName;  // _NET_WM_NAME, UTF-8
    std::optional<std::string> wmName;   // WM_NAME, type STRING (Latin-1)
    bool mapped = true;
    bool hidden = false;  // _NET_WM_STATE_HIDDEN
    // Reparented into a frame that is mapped; the window itself carries WM_STATE.
    bool framed = false;
    std::string title;     // expected title
    bool visible = false;  // expected visibility
};

// A desktop of windows of every kind, bottom of the stacking order first,
// with the titles and visibility the window list should report.
std::vector<TestWindow> testDesktop();

class XClient {
public:
    explicit XClient(const std::string& Display);
    ~XClient();
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;
    bool ok() const;
    // Makes the window on top of the others and returns its top-level window (the frame, if framed).
    uint32_t create(const TestWindow& Window);
    // Puts a top-level window on top of its siblings.
    void raise(uint32_t Window);
    // Waits until the server has done everything asked.
    void sync();

private:
    struct Impl;
    Impl* m;
};

}  // namespace zorvik::test
