// Finding and starting the companion. "Velto.app" beside the bundle is either an AppDir (a
// folder with an executable AppRun) or an executable file; the fallback is an executable
// "Velto" on PATH, or a desktop entry velto.desktop started through gtk-launch. A program is
// started only when it, and every folder on the way to it, belongs to the user or root and
// nobody else may change it; a refusal is said once on standard error.
//
// The companion counts as running while its bus name has an owner, and also for a short
// grace period after this launcher started it (while that process lives), so that a
// companion still starting up is never started a second time. Safe to call from any
// thread, including threads Qt did not create.
#pragma once

#include "platform/ICompanionLauncher.h"

#include <QDBusConnection>
#include <QString>

#include <chrono>
#include <mutex>
#include <string>

class CompanionLauncher : public ICompanionLauncher {
public:
    // The session bus and the companion's well-known name.
    CompanionLauncher();
    CompanionLauncher(QDBusConnection const& connection, QString busName);

    bool open(std::string const& appPath) override;
    bool launch(std::string const& name) override;

    // Whether the companion's bus name has an owner.
    bool isRunning() const override;

private:
    bool startedRecently();
    bool trusted(QString const& program);
    bool start(QString const& program, QStringList const& arguments);

    QDBusConnection m_connection;
    QString m_busName;
    std::mutex m_mutex;
    qint64 m_startedPid = 0;
    std::string m_lastRefusal;
    std::chrono::steady_clock::time_point m_startedAt;
};
