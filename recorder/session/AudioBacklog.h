#pragma once
#include <cstddef>
#include <vector>

namespace velto {

// Sound taken from a source that the file's time line has not reached yet. A stream comes
// in bursts and must be read as it comes (a server drops a listener that stops reading);
// the file takes it as the clock goes. Interleaved stereo frames, at most `capacity`: beyond
// it the oldest go, as the source has run that far ahead of the clock.
class AudioBacklog {
public:
    explicit AudioBacklog(std::size_t capacity) : m_capacity(capacity) {}

    // Appends; the frames dropped from the front to stay within the capacity.
    std::size_t add(const float* samples, std::size_t frames);
    std::size_t frames() const { return (m_samples.size() - m_begin) / 2; }
    // The oldest frames; valid until the next add().
    const float* front() const { return m_samples.data() + m_begin; }
    void drop(std::size_t frames);
    void clear();

private:
    std::vector<float> m_samples;
    std::size_t m_begin = 0; // samples already taken
    std::size_t m_capacity;
};

} // namespace velto
