// A sound card that delivers a steady level at once, or stalls, or goes away, on request.
#pragma once

#include "recorder/sources/tuner/SoundCapture.h"

#include <memory>
#include <optional>

namespace velto {

struct FakeCard {
    unsigned rate = 48000;
    unsigned channels = 2;
    float level = 0.25f;
    std::optional<SourceError> openFailure;
    bool gone = false;    // reads answer Lost, as alsa-lib's -ENODEV does; opens fail
    bool stalled = false; // reads time out
    std::vector<std::string> opened;
    int open = 0; // captures open now
};

class FakeSoundCapture : public SoundCapture {
public:
    explicit FakeSoundCapture(std::shared_ptr<FakeCard> card) : m_card(std::move(card)) {}
    ~FakeSoundCapture() override { close(); }

    bool open(const std::string& device, unsigned, SourceError& error) override {
        m_card->opened.push_back(device);
        if (m_card->openFailure) {
            error = *m_card->openFailure;
            return false;
        }
        if (m_card->gone) {
            error = {"no-sound-card", "There is no sound card " + device + "."};
            return false;
        }
        m_open = true;
        ++m_card->open;
        return true;
    }
    unsigned rate() const override { return m_card->rate; }
    unsigned channels() const override { return m_card->channels; }
    CaptureStatus read(std::vector<float>& out, std::size_t maxFrames, std::chrono::milliseconds,
                       SourceError& error) override {
        if (m_card->gone) {
            error = {"connection-lost", "The sound card went away."};
            return CaptureStatus::Lost;
        }
        if (m_card->stalled) {
            return CaptureStatus::Timeout;
        }
        out.insert(out.end(), maxFrames * m_card->channels, m_card->level);
        return CaptureStatus::Frames;
    }
    void close() override {
        if (m_open) {
            m_open = false;
            --m_card->open;
        }
    }

    static SoundCaptureFactory factory(std::shared_ptr<FakeCard> card) {
        return [card] { return std::make_unique<FakeSoundCapture>(card); };
    }

private:
    std::shared_ptr<FakeCard> m_card;
    bool m_open = false;
};

} // namespace velto
