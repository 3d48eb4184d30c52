#include "sources/tuner/RadioSignalWatch.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace velto {

struct RadioSignalWatch::Shared {
    std::shared_ptr<RadioTuner> tuner;
    std::mutex mutex;
    std::condition_variable changed;
    std::optional<TimePoint> wanted; // a reading asked for, not yet begun
    bool busy = false;               // inside the driver
    bool stopping = false;
    bool ended = false;
    std::optional<Reading> reading;
    std::thread thread;

    void run() {
        std::unique_lock lock(mutex);
        while (true) {
            changed.wait(lock, [this] { return stopping || wanted; });
            if (stopping)
                break;
            Reading next;
            next.asked = *wanted;
            wanted.reset();
            busy = true;
            lock.unlock();
            next.answered = tuner->readStatus(next.status, next.problem);
            lock.lock();
            busy = false;
            reading = std::move(next);
            changed.notify_all();
        }
        ended = true;
        changed.notify_all();
    }
};

RadioSignalWatch::RadioSignalWatch(std::shared_ptr<RadioTuner> tuner)
    : m_shared(std::make_shared<Shared>()) {
    m_shared->tuner = std::move(tuner);
    // The thread holds the shared state, so that one left inside the driver stays valid.
    m_shared->thread = std::thread([shared = m_shared] { shared->run(); });
}

RadioSignalWatch::~RadioSignalWatch() {
    stop(std::chrono::milliseconds(0));
}

bool RadioSignalWatch::request(TimePoint asked, std::chrono::milliseconds wait) {
    Shared& s = *m_shared;
    std::unique_lock lock(s.mutex);
    if (s.busy || s.wanted || s.stopping)
        return false;
    s.wanted = asked;
    s.changed.notify_all();
    s.changed.wait_for(lock, wait, [&s] { return !s.wanted && !s.busy; });
    return true;
}

std::optional<RadioSignalWatch::Reading> RadioSignalWatch::take() {
    std::lock_guard lock(m_shared->mutex);
    std::optional<Reading> reading = std::move(m_shared->reading);
    m_shared->reading.reset();
    return reading;
}

bool RadioSignalWatch::stop(std::chrono::milliseconds grace) {
    Shared& s = *m_shared;
    std::unique_lock lock(s.mutex);
    if (!s.thread.joinable())
        return s.ended;
    s.stopping = true;
    s.changed.notify_all();
    const bool ended = s.changed.wait_for(lock, grace, [&s] { return s.ended; });
    lock.unlock();
    if (ended)
        s.thread.join();
    else
        s.thread.detach();
    return ended;
}

} // namespace velto
