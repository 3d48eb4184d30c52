// Capture from an ALSA PCM through alsa-lib, non-blocking and polled, at the card's own rate.
#pragma once

#include "sources/tuner/SoundCapture.h"

#include <cstdint>

typedef struct _snd_pcm snd_pcm_t;

namespace velto {

class AlsaCapture : public SoundCapture {
public:
    AlsaCapture() = default;
    AlsaCapture(const AlsaCapture&) = delete;
    AlsaCapture& operator=(const AlsaCapture&) = delete;
    ~AlsaCapture() override;

    bool open(const std::string& device, unsigned rate, SourceError& error) override;
    unsigned rate() const override { return m_rate; }
    unsigned channels() const override { return m_channels; }
    CaptureStatus read(std::vector<float>& out, std::size_t maxFrames,
                       std::chrono::milliseconds timeout, SourceError& error) override;
    void close() override;
    unsigned overruns() const override { return m_overruns; }

private:
    bool configure(unsigned rate, SourceError& error);
    // Recovers from an overrun or a suspend; false when the card cannot go on.
    bool recover(long err, SourceError& error);
    void convert(std::size_t frames, std::vector<float>& out) const;

    snd_pcm_t* m_pcm = nullptr;
    std::string m_device;
    unsigned m_rate = 0;
    unsigned m_channels = 0;
    int m_format = 0; // snd_pcm_format_t
    unsigned m_frameBytes = 0;
    unsigned m_overruns = 0;
    std::vector<uint8_t> m_buffer;
};

} // namespace velto
