#include "sources/stream/SampleQueue.h"

#include <algorithm>

namespace velto {

SampleQueue::SampleQueue(std::size_t capacity)
    : m_ring((std::max<std::size_t>(capacity, 2) + 1) & ~std::size_t{1}) {}

bool SampleQueue::push(const float* samples, std::size_t count) {
    std::unique_lock lock(m_mutex);
    while (count > 0) {
        m_writable.wait(lock, [this] { return m_stopped || m_size < m_ring.size(); });
        if (m_stopped) {
            return false;
        }
        const std::size_t tail = (m_head + m_size) % m_ring.size();
        const std::size_t room = std::min(m_ring.size() - m_size, m_ring.size() - tail);
        const std::size_t part = std::min(room, count);
        std::copy(samples, samples + part, m_ring.begin() + static_cast<std::ptrdiff_t>(tail));
        m_size += part;
        samples += part;
        count -= part;
        m_readable.notify_one();
    }
    return true;
}

void SampleQueue::finish(ReadStatus status, SourceError error) {
    std::lock_guard lock(m_mutex);
    m_finished = true;
    m_status = status;
    m_error = std::move(error);
    m_readable.notify_all();
}

void SampleQueue::stop() {
    std::lock_guard lock(m_mutex);
    m_stopped = true;
    m_writable.notify_all();
    m_readable.notify_all();
}

ReadStatus SampleQueue::pop(std::vector<float>& out, std::size_t maxSamples,
                            std::chrono::milliseconds timeout, SourceError& error) {
    std::unique_lock lock(m_mutex);
    m_readable.wait_for(lock, timeout, [this] { return m_size > 0 || m_finished || m_stopped; });
    if (m_size == 0) {
        if (m_finished) {
            error = m_error;
            return m_status;
        }
        return ReadStatus::Audio;
    }
    // Whole frames only: the count stays even.
    std::size_t count = std::min(m_size, maxSamples) & ~std::size_t{1};
    out.reserve(out.size() + count);
    while (count > 0) {
        const std::size_t part = std::min(count, m_ring.size() - m_head);
        out.insert(out.end(), m_ring.begin() + static_cast<std::ptrdiff_t>(m_head),
                   m_ring.begin() + static_cast<std::ptrdiff_t>(m_head + part));
        m_head = (m_head + part) % m_ring.size();
        m_size -= part;
        count -= part;
    }
    m_writable.notify_one();
    return ReadStatus::Audio;
}

} // namespace velto
