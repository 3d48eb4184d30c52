// A test wake-up: plans a wake-up two minutes ahead through the helper, suspends the
// computer through logind, and when it resumes (logind's PrepareForSleep(false)) tells what
// it saw: the resume against the plan, and the RTC's wakeup source's count of events before
// and after (WakeCheck judges them). Nothing here waits: the helper runs on a thread of its
// own, and logind is asked without blocking, each with a deadline.
#pragma once

#include "platform/IPrivilegedOps.h"
#include "platform/WakeFacts.h"

#include <QDBusConnection>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>

class IClock;

class TestWakeUp : public QObject {
    Q_OBJECT
public:
    static constexpr int kLeadSeconds = 120;
    static constexpr int kSuspendDeadlineMs = 25000; // logind's answer to Suspend
    static constexpr int kSleepDeadlineMs = 60000;   // from that answer to PrepareForSleep(true)
    // Counted while awake only (the monotonic clock stops in sleep).
    static constexpr int kResumeDeadlineMs = 30 * 60 * 1000;

    // Not owned; all must outlive it. sysfsRoot: where the RTC's wakeup source is read.
    TestWakeUp(IClock& clock, IPrivilegedOps& privileged, QDBusConnection system,
               std::string sysfsRoot, QObject* parent = nullptr);
    ~TestWakeUp() override; // waits for the helper's run (which the program's end abandons)

    // Runs on the helper's thread before the test's wake-up is set, with its instant: the
    // planner keeps it from then on, so a planning run does not cancel it.
    void setBeforePlanning(std::function<void(double)> hold) { m_beforePlanning = std::move(hold); }

    // Starts a test; ignored while one runs.
    void start();
    bool running() const { return m_running; }

signals:
    void planned(double instant); // the wake-up is set; the computer is asked to sleep
    void asleep();                // logind said it goes to sleep
    void finished(TestWakeResult const& result);

private slots:
    void onPrepareForSleep(bool sleeping);

private:
    void planDone(bool ok, PrivilegedFailure failure, double instant);
    void finish(TestWakeResult result);

    IClock& m_clock;
    IPrivilegedOps& m_privileged;
    QDBusConnection m_system;
    std::string m_sysfs;
    std::function<void(double)> m_beforePlanning;
    bool m_running = false;
    bool m_watching = false;
    bool m_sleeping = false;
    double m_planned = 0.0;
    double m_down = 0.0;
    std::optional<std::uint64_t> m_eventsBefore;
    QTimer m_deadline;
    std::thread m_helperThread; // plans the wake-up; joined before the next and at the end
};
