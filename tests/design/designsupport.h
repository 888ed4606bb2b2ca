// Design-time tests run Qt on the offscreen platform with HOME in a folder of
// their own, so that Designer's settings never touch the user's.
#pragma once

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <functional>
#include <string>

#include "tests/platform/qt/qtsupport.h"

namespace zorvik::test {

inline QApplication& designApp() {
    static const bool home = [] {
        char folder[] = "/tmp/zorvik-design-home-XXXXXX";
        if (mkdtemp(folder) == nullptr) return false;
        qputenv("HOME", folder);
        qputenv("XDG_CONFIG_HOME", QByteArray(folder) + "/.config");
        qputenv("XDG_RUNTIME_DIR", QByteArray(folder));
        return true;
    }();
    (void)home;
    return qtApp();
}

// Runs Action on the next modal window that opens (polled until one does).
inline void onNextModal(std::function<void(QWidget&)> Action) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, Action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) return;
        timer->stop();
        timer->deleteLater();
        Action(*modal);
    });
    timer->start(20);
}

}  // namespace zorvik::test
