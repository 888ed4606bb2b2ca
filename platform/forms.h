// Application services: the message box and the screen.
#pragma once

#include <functional>
#include <string>

namespace zorvik {

// Message box flags and answers.
constexpr int MB_OK = 0x0000;
constexpr int IDOK = 1;

// Shows message boxes through a replaceable handler: a GUI host shows a modal
// box, the command prints to standard error, tests collect the texts.
class TApplication {
public:
    using MessageHandler = std::function<int(const std::string& Text, const std::string& Caption, int Flags)>;

    int MessageBox(const std::string& Text, const std::string& Caption, int Flags = MB_OK);
    // Installs Handler (an empty one restores the default) and returns the previous one.
    MessageHandler setMessageHandler(MessageHandler Handler);

private:
    MessageHandler m_handler;
};

// The process-wide application object. Its handler is per thread, so renders
// on different threads report to their own handler.
TApplication& Application();

class TScreen {
public:
    int PixelsPerInch = 96;
};

TScreen& Screen();

}  // namespace zorvik
