// The warning before a planned shutdown: a minute ahead, while the program runs and a user
// is at the computer, a desktop notification and a countdown window of the program's own,
// both with "Cancel shutdown". The shutdown itself is a systemd timer and goes ahead
// unless the user cancels it.
#pragma once

#include <QDialog>
#include <QTimer>

#include <functional>
#include <optional>

class IDesktopNotifier;
class LevelIndicator;
class QLabel;
class QPushButton;

class ShutdownWarning : public QDialog {
    Q_OBJECT
public:
    static constexpr int kWarnSeconds = 60;

    // notifier: not owned, may be null (no desktop notification).
    explicit ShutdownWarning(IDesktopNotifier* notifier, QWidget* parent = nullptr);
    ~ShutdownWarning() override;

    // The shutdown the latest plan holds, if any: the warning is timed for it, and a warning
    // for another instant is withdrawn.
    void arm(std::optional<double> shutdownAt);
    // Shows the warning now, when a user is active (the armed timer calls it).
    void warn();

    bool warning() const { return m_warning; }
    std::optional<double> armedFor() const { return m_at; }
    QPushButton* cancelButton() const { return m_cancel; }

    // Seconds since 1970 UTC; tests put a virtual clock here.
    void setClock(std::function<double()> now) { m_now = std::move(now); }
    // Asks whether a user is at the computer and answers later (through the callback, on
    // the main thread). Unset: always.
    using ActivityCheck = std::function<void(std::function<void(bool)>)>;
    void setActivityCheck(ActivityCheck check) { m_userActive = std::move(check); }

public slots:
    // The user's answer, from the window's button or the notification's action.
    void cancelShutdown();

signals:
    // The user declined the shutdown planned for instant.
    void cancelled(double instant);

private:
    void buildControls();
    void schedule();
    void showWarning();
    void tick();
    void withdraw();

    IDesktopNotifier* m_notifier;
    std::function<double()> m_now;
    ActivityCheck m_userActive;
    std::optional<double> m_at;
    bool m_warning = false;
    int m_notification = 0;
    int m_asking = 0; // answers of the activity check still awaited, for the armed instant
    QTimer m_armTimer;
    QTimer m_tickTimer;
    QLabel* m_message = nullptr;
    LevelIndicator* m_level = nullptr;
    QPushButton* m_cancel = nullptr;
};
