// Shared by the window tests: acting on a modal window from inside its run, and finding a
// window's controls by their object names.
#pragma once

#include <QObject>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <functional>

// Runs action once window is on screen, from inside the modal run (which is polling by
// then). The wait ends with the window, so a case whose window never showed leaves
// nothing behind.
inline void whenShown(QWidget* window, std::function<void()> action) {
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

// The control of window named name; the test fails at once when there is none.
template <typename T> T* child(QObject const* window, char const* name) {
    T* const found = window->findChild<T*>(QString::fromLatin1(name));
    if (found == nullptr) {
        qFatal("no control named %s", name);
    }
    return found;
}
