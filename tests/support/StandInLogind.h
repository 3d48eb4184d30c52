// A stand-in for logind's manager object: records every Inhibit request and hands out the
// write end of a pipe as the lock, watching the read end to see when the lock is dropped;
// counts Suspend requests (or refuses them), and lets a test signal PrepareForSleep.
#pragma once

#include <QDBusContext>
#include <QDBusUnixFileDescriptor>
#include <QList>
#include <QObject>
#include <QSocketNotifier>
#include <QStringList>

#include <fcntl.h>
#include <unistd.h>

class StandInLogind : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    QList<QStringList> calls; // what, who, why, mode
    int held = 0;             // locks handed out and not yet dropped
    int dropped = 0;
    int suspends = 0;           // Suspend requests taken
    bool refuseSuspend = false; // answer Suspend with an error

signals:
    void PrepareForSleep(bool start);

public slots:
    void Suspend(bool /*interactive*/) {
        if (refuseSuspend) {
            sendErrorReply(QStringLiteral("org.freedesktop.login1.OperationInProgress"),
                           QStringLiteral("There's already a shutdown or sleep operation in "
                                          "progress"));
            return;
        }
        ++suspends;
    }

    QDBusUnixFileDescriptor Inhibit(QString const& what, QString const& who, QString const& why,
                                    QString const& mode) {
        calls.append({what, who, why, mode});
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            return {};
        }
        int const readEnd = fds[0];
        auto* notifier = new QSocketNotifier(readEnd, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this, notifier, readEnd] {
            char buffer[16];
            if (::read(readEnd, buffer, sizeof buffer) == 0) { // every write end closed
                notifier->setEnabled(false);
                notifier->deleteLater();
                ::close(readEnd);
                --held;
                ++dropped;
            }
        });
        ++held;
        QDBusUnixFileDescriptor lock(fds[1]); // keeps a copy of its own
        ::close(fds[1]);
        return lock;
    }
};
