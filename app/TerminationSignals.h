// SIGTERM and SIGINT, turned into a Qt signal on the main thread: the handler only writes a
// byte to a socket pair, whose reading end the event loop watches.
#pragma once

#include <QObject>

class QSocketNotifier;

class TerminationSignals : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; one object at a time.
    explicit TerminationSignals(QObject* parent = nullptr);
    // Restores the default handlers.
    ~TerminationSignals() override;

signals:
    // A termination signal arrived (the number of the signal).
    void received(int signal);

private:
    QSocketNotifier* m_notifier = nullptr;
};
