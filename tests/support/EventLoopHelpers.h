// Waiting for bus traffic in tests without fixed sleeps.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QString>
#include <QThread>

#include <atomic>
#include <unistd.h>

// Runs the event loop until done() or the timeout; answers done().
template <typename Pred> bool waitUntil(Pred done, int timeoutMs = 5000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) {
            return done();
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

// Runs the event loop for a while, for checks that something does not happen.
inline void pump(int ms) {
    waitUntil([] { return false; }, ms);
}

// An object path no other test process on the shared bus uses.
inline QString uniqueObjectPath(char const* tag) {
    static std::atomic<int> counter{0};
    return QStringLiteral("/org/velto/test/%1_%2_%3")
        .arg(QString::fromLatin1(tag))
        .arg(::getpid())
        .arg(counter++);
}
