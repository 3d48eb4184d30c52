#pragma once
#include "dsp/Demodulator.h"
#include "sources/AudioSource.h"
#include "sources/IqSource.h"
#include "sources/Station.h"

#include <atomic>
#include <memory>

namespace velto {

// A radio receiver as a programme's sound: raw samples from a tuner or a capture, the
// station picked out of them and demodulated (FM or AM by the station's band).
class Receiver final : public AudioSource {
public:
    Receiver(std::unique_ptr<IqSource> input, Station station, double deemphasisSeconds);

    bool open(SourceError& error) override;
    ReadStatus read(std::vector<float>& out, std::chrono::milliseconds timeout,
                    SourceError& error) override;
    void close() override;
    bool stereo() const override { return m_stereo.load(std::memory_order_relaxed); }
    const char* kind() const override { return "receiver"; }

private:
    std::unique_ptr<IqSource> m_input;
    Station m_station;
    double m_deemphasisSeconds;
    std::unique_ptr<Demodulator> m_demodulator;
    std::vector<std::complex<float>> m_samples;
    std::atomic<bool> m_stereo{false};
};

} // namespace velto
