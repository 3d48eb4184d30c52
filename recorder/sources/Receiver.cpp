#include "sources/Receiver.h"

#include "dsp/AmDemodulator.h"
#include "dsp/FmDemodulator.h"

#include <cmath>
#include <cstdio>

namespace velto {

namespace {
// Half the band each demodulator needs around the station.
double halfWidth(Band band) {
    return band == Band::FM ? 100'000 : 7'000;
}

std::string megahertz(double hz) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f MHz", hz / 1e6);
    return text;
}
} // namespace

Receiver::Receiver(std::unique_ptr<IqSource> input, Station station, double deemphasisSeconds)
    : m_input(std::move(input)), m_station(station), m_deemphasisSeconds(deemphasisSeconds) {}

bool Receiver::open(SourceError& error) {
    close();
    if (!m_input->open(m_station, error))
        return false;
    const double rate = m_input->sampleRate();
    const double offset = m_station.frequencyHz() - m_input->centreHz();
    if (std::abs(offset) + halfWidth(m_station.band) > rate / 2) {
        const double low = m_input->centreHz() - rate / 2;
        error = {"station-outside-capture",
                 m_station.describe() + " lies outside what the receiver takes in (" +
                     megahertz(low) + " to " + megahertz(low + rate) + ")."};
        m_input->close();
        return false;
    }
    std::string why;
    if (m_station.band == Band::FM)
        m_demodulator = FmDemodulator::create({rate, offset, m_deemphasisSeconds}, why);
    else
        m_demodulator = AmDemodulator::create({rate, offset}, why);
    if (!m_demodulator) {
        error = {"unsupported-rate", why};
        m_input->close();
        return false;
    }
    return true;
}

ReadStatus Receiver::read(std::vector<float>& out, std::chrono::milliseconds timeout,
                          SourceError& error) {
    if (!m_demodulator) {
        error = {"receiver-lost", "The receiver is not open."};
        return ReadStatus::Lost;
    }
    m_samples.clear();
    const ReadStatus status = m_input->read(m_samples, timeout, error);
    if (!m_samples.empty())
        m_demodulator->process(m_samples.data(), m_samples.size(), out);
    m_stereo.store(m_demodulator->stereo(), std::memory_order_relaxed);
    return status;
}

void Receiver::close() {
    m_input->close();
    m_demodulator.reset();
    m_stereo.store(false, std::memory_order_relaxed);
}

} // namespace velto
