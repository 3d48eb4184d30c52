// The distributed notification centre on the session bus: every notification is one
// broadcast signal (see DBusNames.h for the names and docs/companion-protocol.md for the
// wire format). Observers are called on the thread this object lives in (the main thread),
// whatever the program's windows are doing.
#pragma once

#include "platform/ICompanionBus.h"
#include "platform/linux/CompanionMessage.h"

#include <QDBusConnection>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <string>
#include <vector>

class QDBusMessage;

class DBusCompanionBus : public QObject, public ICompanionBus {
    Q_OBJECT
public:
    // The session bus and the standard object path.
    explicit DBusCompanionBus(QObject* parent = nullptr);
    // Another connection or object path: tests that share one bus each take their own path.
    DBusCompanionBus(QDBusConnection const& connection, QString const& path,
                     QObject* parent = nullptr);
    ~DBusCompanionBus() override;

    // Safe from any thread (the recording runs post from their own threads).
    bool post(std::string const& name, std::optional<std::string> const& object,
              CompanionValues const& values) override;

    // Calls callback for every notification with that name from any sender, this process
    // included; the program never observes a name it posts itself. The observer ends with
    // context (which must not be null). Call on this object's thread.
    void addObserver(std::string const& name, QObject* context, std::function<void()> callback);
    void addObserver(std::string const& name, QObject* context,
                     std::function<void(CompanionMessage const&)> callback);

    // False when the bus could not be reached or the subscription failed.
    bool isListening() const { return m_listening; }

private slots:
    void onSignal(QDBusMessage const& message);

private:
    struct Observer {
        std::string name;
        QPointer<QObject> context;
        std::function<void(CompanionMessage const&)> callback;
    };

    QDBusConnection m_connection;
    QString m_path;
    bool m_listening = false;
    std::vector<Observer> m_observers;
};
