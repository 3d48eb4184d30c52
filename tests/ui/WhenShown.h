// Shared by the window tests: acting on a modal window from inside its run, and finding a
// window's controls by their object names.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <functional>
#include <memory>

// Runs action once window is on screen, from inside the modal run (which is polling by
// then). A run that has not ended deadlineMs after this call (an alert nobody expected, a
// press that did nothing) fails the test: every modal window is closed, from the top one
// down, so that the test goes on within seconds instead of waiting for Qt Test's watchdog.
inline void whenShown(QWidget* window, std::function<void()> action, int deadlineMs = 20000) {
    auto* poll = new QTimer(window);
    poll->setInterval(5);
    auto shown = std::make_shared<bool>(false);
    QObject::connect(poll, &QTimer::timeout, [poll, window, action, shown] {
        if (!*shown && window->isVisible()) {
            *shown = true;
            action();
        } else if (*shown && !window->isVisible()) {
            poll->stop(); // the run ended: nothing more to watch
            poll->deleteLater();
        }
    });
    poll->start();
    QPointer<QTimer> const watched(poll);
    QTimer::singleShot(deadlineMs, window, [watched, window] {
        if (watched.isNull() || !watched->isActive()) {
            return;
        }
        watched->stop();
        watched->deleteLater();
        if (QApplication::activeModalWidget() == nullptr && !window->isVisible()) {
            return; // never shown, and nothing waits: no run to end
        }
        QStringList closed;
        for (int i = 0; i < 10 && QApplication::activeModalWidget() != nullptr; ++i) {
            QWidget* const modal = QApplication::activeModalWidget();
            closed << QString::fromLatin1(modal->metaObject()->className()) + QStringLiteral(" “") +
                          modal->windowTitle() + QStringLiteral("”");
            if (auto* const dialog = qobject_cast<QDialog*>(modal)) {
                dialog->reject();
            } else {
                modal->close();
            }
        }
        QTest::qFail(qPrintable(QStringLiteral("a modal run did not end; closed: ") +
                                closed.join(QStringLiteral(", "))),
                     __FILE__, __LINE__);
    });
}

// The control of window named name; the test fails at once when there is none.
template <typename T> T* child(QObject const* window, char const* name) {
    T* const found = window->findChild<T*>(QString::fromLatin1(name));
    if (found == nullptr) {
        qFatal("no control named %s", name);
    }
    return found;
}
