// Shared by the dialog tests: acting on a modal window from inside its run.
#pragma once

#include <QObject>
#include <QTimer>
#include <QWidget>

#include <functional>

// Runs action once window is on screen, from inside the modal run (which is polling by
// then). The wait ends with the window, so a case whose window never showed leaves
// nothing behind.
inline void WhenShown(QWidget* window, std::function<void()> action) {
    auto* timer = new QTimer(window);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, window, action] {
        if (window->isVisible()) {
            timer->stop();
            timer->deleteLater();
            action();
        }
    });
    timer->start();
}
