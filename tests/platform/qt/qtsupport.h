// Qt for the tests: one application on the offscreen platform, so that no
// display is needed, and helpers to let widgets settle.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QWidget>

#include <stdexcept>
#include <string>
#include <vector>

#include "control/published.h"
#include "platform/qt/barcodewidget.h"

namespace zorvik::test {

inline QApplication& qtApp() {
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "zorvik-test";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);  // lives as long as the process
    }();
    return *app;
}

// Runs the event loop until Done holds or nothing is left to do for a while.
template <typename Done>
bool processUntil(Done done, int rounds = 200) {
    for (int i = 0; i < rounds; ++i) {
        if (done()) return true;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return done();
}

// Shows the widget and lets it paint until its size and settings settle.
inline void showSettled(BarcodeWidget& w) {
    w.show();
    for (int i = 0; i < 10; ++i) QApplication::processEvents(QEventLoop::AllEvents, 10);
    processUntil([&] { return w.size() == w.sizeHint(); });
}

// Assigns PROPERTY=VALUE texts through the property table, as the command does.
inline void assign(TZorvik& control, const std::vector<std::string>& assignments) {
    for (const std::string& a : assignments) {
        const auto eq = a.find('=');
        const PublishedProperty* p = findProperty(a.substr(0, eq));
        std::string error;
        if (p == nullptr || !assignProperty(control, *p, a.substr(eq + 1), true, error))
            throw std::runtime_error("cannot assign " + a + ": " + error);
    }
}

}  // namespace zorvik::test
