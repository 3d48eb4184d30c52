#include "engine/PlanningWorker.h"

#include <exception>

PlanningWorker::PlanningWorker(Job job) : m_job(std::move(job)) {}

PlanningWorker::~PlanningWorker() {
    Stop();
}

void PlanningWorker::Request(PlanRequest const& request) {
    if (request.empty()) {
        return;
    }
    std::lock_guard lock(m_mutex);
    if (m_stop) {
        return;
    }
    m_waiting |= request;
    if (!m_thread.joinable()) {
        try {
            m_thread = std::thread([this] { Loop(); });
        } catch (std::exception const&) {
            // No thread to be had: the request stays waiting for the next attempt.
            return;
        }
    }
    m_wake.notify_one();
}

void PlanningWorker::Loop() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || !m_waiting.empty(); });
        if (m_stop) {
            break;
        }
        PlanRequest const request = m_waiting;
        m_waiting = PlanRequest{};
        m_running = true;
        lock.unlock();
        m_job(request);
        lock.lock();
        m_running = false;
        ++m_runs;
        if (m_waiting.empty()) {
            m_idle.notify_all();
        }
    }
    m_running = false;
    m_idle.notify_all();
}

void PlanningWorker::Stop() {
    std::thread thread;
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        m_waiting = PlanRequest{};
        m_wake.notify_one();
        thread = std::move(m_thread);
    }
    if (thread.joinable()) {
        thread.join();
    }
}

bool PlanningWorker::stopping() const {
    std::lock_guard lock(m_mutex);
    return m_stop;
}

bool PlanningWorker::WaitIdle(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    return m_idle.wait_for(lock, timeout,
                           [this] { return !m_running && (m_waiting.empty() || m_stop); });
}

int PlanningWorker::runs() const {
    std::lock_guard lock(m_mutex);
    return m_runs;
}
