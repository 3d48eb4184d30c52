#pragma once
#include <functional>
#include <thread>

namespace velto {

// While it lives, SIGINT and SIGTERM call `stop` (on a thread of its own that sleeps in
// sigwait) instead of ending the process, so that a recording ends with a finished file.
// Made before any other thread, so that every thread inherits the blocked signals.
class StopSignals {
public:
    explicit StopSignals(std::function<void()> stop);
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    std::thread m_thread;
};

} // namespace velto
