// Where the user sees how the planning of wake-ups and the shutdown went: a failure is shown
// in the main window and the settings dialog until a run succeeds (and said once on the
// terminal), and the shutdown warning follows the planned shutdown.
#pragma once

#include "engine/WakePlanner.h"

#include <QObject>
#include <QString>

class MainWindow;
class PowerSettingsDialog;
class ShutdownWarning;

class PlanStatus : public QObject {
    Q_OBJECT
public:
    PlanStatus(MainWindow& window, PowerSettingsDialog& settings, QObject* parent = nullptr);

    // May be null: no warning.
    void setShutdownWarning(ShutdownWarning* warning) { m_shutdownWarning = warning; }
    // While the wake-up helper is missing its own line says why; a plan failing for want of
    // it adds none.
    void setHelperMissing(bool missing) { m_helperMissing = missing; }

    // The failure the window shows now; empty when none.
    QString problem() const { return m_problem; }
    // "Wake-ups are not planned: <why>", in the current language.
    static QString failureText(PrivilegedFailure failure);

public slots:
    // The outcome of a planning run, on the main thread.
    void show(PlanOutcome const& outcome);

signals:
    // After each planning run, on the main thread.
    void planFinished(PlanOutcome const& outcome);

private:
    void setProblem(QString const& text);

    MainWindow& m_window;
    PowerSettingsDialog& m_settings;
    ShutdownWarning* m_shutdownWarning = nullptr;
    bool m_helperMissing = false;
    QString m_problem;
    PrivilegedFailure m_lastFailure = PrivilegedFailure::None;
};
