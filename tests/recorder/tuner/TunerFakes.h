// A radio node that answers as a recorded tuner did and logs the ioctls asked of it, and a
// sound card that delivers, stalls or goes away on request.
#pragma once

#include "sources/tuner/RadioDevice.h"
#include "sources/tuner/SoundCapture.h"

#include <functional>
#include <linux/videodev2.h>
#include <map>
#include <optional>

namespace velto {

struct RecordedRadio {
    v4l2_capability capability{};
    v4l2_tuner tuner{};                     // G_TUNER's answer, its signal from `signal`
    std::vector<v4l2_frequency_band> bands; // EINVAL past the end
    int mute = 1;
    uint32_t frequency = 0;
    std::function<int()> signal = [] { return 0; };
    bool unplugged = false;
    std::map<std::string, int> failures; // "S_FREQUENCY" → the errno it answers
    std::vector<std::string> log;        // "open /dev/radio0", "S_FREQUENCY 1280000", …
};

// Answers as the kernel's drivers give them.
std::shared_ptr<RecordedRadio> si470xStick();   // three FM bands, 62.5 Hz units, muted
std::shared_ptr<RecordedRadio> raremonoRadio(); // FM, AM and SW; no mute control
std::shared_ptr<RecordedRadio> ma901Stick();    // FM; no mute control, never a signal
std::shared_ptr<RecordedRadio> coarseCard();    // FM and AM in 62.5 kHz units

class FakeRadioDevice : public RadioDevice {
public:
    explicit FakeRadioDevice(std::shared_ptr<RecordedRadio> radio) : m_radio(std::move(radio)) {}
    // Each path opens as its own recorded tuner; an unknown one is missing.
    using Shelf = std::map<std::string, std::shared_ptr<RecordedRadio>>;
    explicit FakeRadioDevice(const Shelf* shelf)
        : m_radio(std::make_shared<RecordedRadio>()), m_shelf(shelf) {}
    int open(const std::string& path) override;
    void close() override { m_radio->log.push_back("close"); }
    int ioctl(unsigned long request, void* argument) override;
    static RadioDeviceFactory factory(std::shared_ptr<RecordedRadio> radio) {
        return [radio] { return std::make_unique<FakeRadioDevice>(radio); };
    }

private:
    std::shared_ptr<RecordedRadio> m_radio;
    const Shelf* m_shelf = nullptr;
};

struct FakeCard {
    unsigned rate = 48000;
    unsigned channels = 2;
    std::optional<SourceError> openFailure;
    bool gone = false;    // opens fail and reads are Lost, as alsa-lib's -ENODEV
    bool stalled = false; // reads time out
    unsigned overruns = 0;
    int open = 0; // captures open now
};

class FakeSoundCapture : public SoundCapture {
public:
    explicit FakeSoundCapture(std::shared_ptr<FakeCard> card) : m_card(std::move(card)) {}
    ~FakeSoundCapture() override { close(); }
    bool open(const std::string&, unsigned, SourceError& error) override {
        if (m_card->gone || m_card->openFailure) {
            error = m_card->openFailure.value_or(SourceError{"no-sound-card", "none"});
            return false;
        }
        ++m_card->open;
        return m_open = true;
    }
    unsigned rate() const override { return m_card->rate; }
    unsigned channels() const override { return m_card->channels; }
    CaptureStatus read(std::vector<float>& out, std::size_t maxFrames, std::chrono::milliseconds,
                       SourceError& error) override {
        if (m_card->gone || m_card->stalled) {
            error = {"connection-lost", "gone"};
            return m_card->gone ? CaptureStatus::Lost : CaptureStatus::Timeout;
        }
        out.insert(out.end(), maxFrames * channels(), 0.25f);
        return CaptureStatus::Frames;
    }
    void close() override { m_card->open -= m_open ? 1 : 0, m_open = false; }
    unsigned overruns() const override { return m_card->overruns; }
    static SoundCaptureFactory factory(std::shared_ptr<FakeCard> card) {
        return [card] { return std::make_unique<FakeSoundCapture>(card); };
    }

private:
    std::shared_ptr<FakeCard> m_card;
    bool m_open = false;
};

} // namespace velto
