// Keeps the machine from sleeping on its own while a recording is due: about once a second
// the sleep rule is asked whether it would refuse an idle-sleep query, and the idle
// inhibitor is held exactly while it would.
#pragma once

#include "engine/SleepRule.h"
#include "platform/linux/IdleInhibitor.h"

#include <QDBusConnection>
#include <QObject>
#include <QTimer>

#include <functional>

class SleepVeto : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<double()>;

    // The system bus ($DBUS_SYSTEM_BUS_ADDRESS honoured), the session bus, the real clock.
    SleepVeto(ISettings& settings, SleepRule::NextStart nextStart, QObject* parent = nullptr);
    SleepVeto(ISettings& settings, SleepRule::NextStart nextStart, QDBusConnection const& system,
              QDBusConnection const& session, Clock clock, QObject* parent = nullptr);

    // Attaches to the system's power management without waiting (IdleInhibitor::attach);
    // attached follows. Call once, on the main thread.
    void attach();
    // The reservations are loaded: the rule may be looked at from now on. The first look
    // comes once both this and the attachment happened, then about once a second.
    void start();
    // One look at the rule, as the timer does it; exposed for tests.
    void evaluate();
    // The late end of a recording under way with margins, which the veto lasts through.
    void setRecordingUntil(SleepRule::RecordingUntil recordingUntil) {
        m_rule.setRecordingUntil(std::move(recordingUntil));
    }

    bool isAttached() const { return m_inhibitor.isAttached(); }
    bool vetoing() const { return m_rule.vetoing(); }
    bool holdsLogindInhibitor() const { return m_inhibitor.holdsLogindInhibitor(); }
    bool holdsScreenSaverInhibitor() const { return m_inhibitor.holdsScreenSaverInhibitor(); }

signals:
    // attach()'s outcome: true when logind is there.
    void attached(bool attachedToLogind);

private:
    void startLooking();

    IdleInhibitor m_inhibitor;
    SleepRule m_rule;
    Clock m_clock;
    QTimer m_timer;
    bool m_started = false;
};
