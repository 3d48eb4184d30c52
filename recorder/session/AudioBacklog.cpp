#include "session/AudioBacklog.h"

#include <algorithm>

namespace velto {

std::size_t AudioBacklog::add(const float* samples, std::size_t frames) {
    // What was taken is let go once it outweighs what is held: each sample moves about once.
    if (m_begin > 0 && m_begin >= m_samples.size() - m_begin) {
        m_samples.erase(m_samples.begin(), m_samples.begin() + std::ptrdiff_t(m_begin));
        m_begin = 0;
    }
    m_samples.insert(m_samples.end(), samples, samples + frames * 2);
    const std::size_t held = this->frames();
    if (held <= m_capacity)
        return 0;
    drop(held - m_capacity);
    return held - m_capacity;
}

void AudioBacklog::drop(std::size_t frames) {
    m_begin = std::min(m_samples.size(), m_begin + frames * 2);
}

void AudioBacklog::clear() {
    m_samples.clear();
    m_begin = 0;
}

} // namespace velto
