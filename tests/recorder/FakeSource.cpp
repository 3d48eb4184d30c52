#include "FakeSource.h"

#include <cmath>
#include <numbers>

namespace velto::test {

bool FakeSource::open(SourceError& error) {
    ++m_opens;
    const bool refused = m_script.neverOpens ||
                         (m_lost && (m_script.neverBack || m_reopens++ < m_script.failedReopens));
    if (refused) {
        error = {m_script.refusal, std::string("Refused: ") + m_script.refusal + "."};
        return false;
    }
    m_open = true;
    return true;
}

ReadStatus FakeSource::read(std::vector<float>& out, std::chrono::milliseconds,
                            SourceError& error) {
    const double seconds = double(m_frames) / 48'000;
    if (m_script.onRead)
        m_script.onRead(seconds);
    if (!m_open) {
        error = {"receiver-lost", "not open"};
        return ReadStatus::Lost;
    }
    if (!m_lost && seconds >= m_script.loseAt) {
        m_lost = true;
        error = {"receiver-lost", "The receiver stopped delivering."};
        return ReadStatus::Lost;
    }
    if (seconds >= m_script.finishAt) {
        error = {"capture-ended", "The capture has ended."};
        return ReadStatus::Finished;
    }
    if (seconds >= m_script.stallAt)
        return ReadStatus::Audio;
    constexpr std::size_t kFrames = 4800;
    for (std::size_t i = 0; i < kFrames; ++i, ++m_frames) {
        const double t = double(m_frames) / 48'000;
        out.push_back(float(0.5 * std::sin(2 * std::numbers::pi * 1000 * t)));
        out.push_back(float(0.5 * std::sin(2 * std::numbers::pi * 1500 * t)));
    }
    return ReadStatus::Audio;
}

} // namespace velto::test
