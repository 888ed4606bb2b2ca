#include "platform/forms.h"

#include <cstdio>

namespace zorvik {

int TApplication::MessageBox(const std::string& Text, const std::string& Caption, int Flags) {
    if (m_handler) return m_handler(Text, Caption, Flags);
    std::fprintf(stderr, "%s: %s\n", Caption.c_str(), Text.c_str());
    return IDOK;
}

TApplication::MessageHandler TApplication::setMessageHandler(MessageHandler Handler) {
    MessageHandler previous = std::move(m_handler);
    m_handler = std::move(Handler);
    return previous;
}

TApplication& Application() {
    thread_local TApplication app;
    return app;
}

TScreen& Screen() {
    static TScreen screen;
    return screen;
}

}  // namespace zorvik
