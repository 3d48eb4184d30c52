#pragma once
#include <atomic>
#include <cstddef>

namespace velto {

// A peak meter for the window: rises at once, falls by 20 dB a second. Fed by the
// recording thread, read from any thread.
class LevelMeter {
public:
    // Interleaved stereo frames at 48 kHz.
    void add(const float* frames, std::size_t count);
    // 0 to 1 (full scale).
    float peak() const { return m_peak.load(std::memory_order_relaxed); }
    // dB below full scale, down to −90.
    float decibels() const;
    void clear() { m_peak.store(0, std::memory_order_relaxed); }

private:
    std::atomic<float> m_peak{0};
};

} // namespace velto
