// Virtual time for the engine tests. Sleeping threads block until the test moves time past
// their instant, so a test steps the watch thread and the recording runs deterministically;
// in auto-advance mode every sleep returns at once and moves time to its instant instead.
#pragma once

#include "posix/IClock.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>

class FakeClock : public IClock {
public:
    explicit FakeClock(double start = 0.0) : m_now(start) {}

    double now() override;
    void sleepUntil(double instant) override;
    void sleepFor(double seconds) override;
    bool waitUntil(double instant, std::atomic<bool> const& cancel) override;
    void wakeWaiters() override;

    // Moves time forward (never back) and wakes every sleeper whose instant has come.
    void advance(double seconds);
    void advanceTo(double instant);
    // Sleeps stop blocking; sleepers already blocked wake up. Time moves to each instant.
    void setAutoAdvance(bool on);

    // Waits (in real time) until at least count threads are blocked on an instant still
    // ahead. False on timeout.
    bool waitForSleepers(int count,
                         std::chrono::milliseconds timeout = std::chrono::milliseconds(10000));
    int blockedSleepers();
    // Every sleep request so far, whether it blocked or not.
    int sleepCalls();

private:
    int blockedLocked() const;
    bool sleepLocked(std::unique_lock<std::mutex>& lock, double instant,
                     std::atomic<bool> const* cancel);

    std::mutex m_mutex;
    std::condition_variable m_changed;
    double m_now;
    bool m_autoAdvance = false;
    int m_sleepCalls = 0;
    std::multiset<double> m_deadlines;
};
