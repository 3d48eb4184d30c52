// The warning before a planned shutdown: a minute ahead, while the program runs and a user
// is at the computer, a desktop notification and a countdown window of the program's own,
// both with "Cancel shutdown". The shutdown itself is a systemd timer and goes ahead
// unless the user cancels it.
#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <optional>

class IDesktopNotifier;
class LevelIndicator;
class QLabel;
class QPushButton;

class ShutdownWarning : public QObject {
    Q_OBJECT
public:
    static constexpr int kWarnSeconds = 60;

    // notifier: not owned, may be null (no desktop notification). cancelShutdown is given the
    // instant of the shutdown the user declined.
    ShutdownWarning(IDesktopNotifier* notifier, std::function<void(double)> cancelShutdown,
                    QObject* parent = nullptr);
    ~ShutdownWarning() override;

    // The shutdown the latest plan holds, if any: the warning is timed for it, and a warning
    // for another instant is withdrawn.
    void Arm(std::optional<double> shutdownAt);
    // Shows the warning now, when a user is active (the armed timer calls it).
    void Warn();
    // The user's answer, from the window's button or the notification's action.
    void OnCancelShutdown();

    bool warning() const { return m_warning; }
    std::optional<double> armedFor() const { return m_at; }
    QDialog* window() const { return m_window; }
    QPushButton* cancelButton() const { return m_btnCancel; }

    // Seconds since 1970 UTC; tests put a virtual clock here.
    std::function<double()> now;
    // Asks whether a user is at the computer and answers later (through the callback, on
    // the main thread). Unset: always.
    std::function<void(std::function<void(bool)>)> userActive;

signals:
    void cancelled(double instant);

private:
    void buildWindow();
    void schedule();
    void show();
    void tick();
    void withdraw();

    IDesktopNotifier* m_notifier;
    std::function<void(double)> m_cancelShutdown;
    std::optional<double> m_at;
    bool m_warning = false;
    int m_notification = 0;
    int m_asking = 0; // answers of userActive still awaited, for the armed instant
    QTimer m_armTimer;
    QTimer m_tickTimer;
    QPointer<QDialog> m_window;
    QLabel* m_txtMsg = nullptr;
    LevelIndicator* m_level = nullptr;
    QPushButton* m_btnCancel = nullptr;
};
