// A programme from a Video4Linux radio tuner (/dev/radioN), heard through its sound card:
// tuned at open, captured at the card's own rate and brought to 48 kHz stereo.
#pragma once

#include "sources/AudioSource.h"
#include "sources/tuner/RadioDevice.h"
#include "sources/tuner/RadioFrequency.h"
#include "sources/tuner/RadioSignalWatch.h"
#include "sources/tuner/RadioTuner.h"
#include "sources/tuner/RateConverter.h"
#include "sources/tuner/SoundCapture.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace velto {

// Called from read() with something the report should mention; the recording goes on.
// takeWarnings() hands out the same.
using SourceWarningHandler = std::function<void(const SourceError&)>;

struct RadioTunerSettings {
    std::string device = "/dev/radio0";
    std::string soundDevice; // empty: the card on the tuner's USB device
    unsigned rate = 0;       // capture rate; 0: the card's own
    Station station;
    std::filesystem::path sys = "/sys";
    SourceWarningHandler onWarning;
};

// What the source stands on, replaceable in tests; empty members mean the real ones.
struct RadioTunerParts {
    RadioDeviceFactory device;
    SoundCaptureFactory capture;
    std::function<std::chrono::steady_clock::time_point()> clock;
};

class RadioTunerSource : public AudioSource {
public:
    // A station that no signal reaches in this long after the first tuning gets a warning.
    static constexpr std::chrono::seconds kSignalGrace{10};
    // The tuner's signal is asked for this often, on a thread of its own; a read waits this
    // long at most (and at most half its timeout) for the answer.
    static constexpr std::chrono::seconds kStatusInterval{1};
    static constexpr std::chrono::milliseconds kStatusWait{100};
    // A sound card that delivers nothing for this long is taken as gone.
    static constexpr std::chrono::seconds kStallLimit{5};

    explicit RadioTunerSource(RadioTunerSettings settings, RadioTunerParts parts = {});
    ~RadioTunerSource() override;

    bool open(SourceError& error) override;
    ReadStatus read(std::vector<float>& out, std::chrono::milliseconds timeout,
                    SourceError& error) override;
    void close() override;
    bool stereo() const override { return m_stereo.load(); }
    const char* kind() const override { return "receiver"; }
    // The source's own stall limit comes first, and names the sound card.
    std::chrono::milliseconds longestQuiet() const override {
        return kStallLimit + kStatusInterval;
    }
    std::vector<SourceError> takeWarnings() override;

    // Everything reported through onWarning so far ("no-signal", …).
    std::vector<SourceError> warnings() const;
    // What the open tuner and card are: for the report and the window.
    double tunedHz() const { return m_tunedHz.load(); }
    unsigned captureRate() const { return m_captureRate.load(); }
    int signal() const { return m_signal.load(); }

private:
    using TimePoint = std::chrono::steady_clock::time_point;
    void warn(SourceError warning);
    // Weighs a reading of the tuner's signal; false when the tuner is gone.
    bool watchSignal(const RadioSignalWatch::Reading& reading, SourceError& error);
    void release();

    RadioTunerSettings m_settings;
    RadioTunerParts m_parts;
    std::shared_ptr<RadioTuner> m_tuner; // with the signal watch's thread
    std::unique_ptr<RadioSignalWatch> m_watch;
    std::unique_ptr<SoundCapture> m_capture;
    RateConverter m_converter;
    std::vector<float> m_frames;
    std::string m_sound; // the capture device in use
    bool m_open = false;

    std::optional<TimePoint> m_watchStart; // the first tuning: the programme's beginning
    TimePoint m_nextStatus{};
    TimePoint m_lastSound{};
    bool m_heard = false;      // some reading within the grace period showed a signal
    bool m_readSignal = false; // at least one reading was taken
    bool m_signalWarned = false;
    bool m_statusWarned = false;
    bool m_overrunWarned = false;

    std::atomic<bool> m_stereo{false};
    std::atomic<double> m_tunedHz{0};
    std::atomic<unsigned> m_captureRate{0};
    std::atomic<int> m_signal{0};
    mutable std::mutex m_warningLock;
    std::vector<SourceError> m_warnings;
    std::size_t m_warningsTaken = 0;
};

// The source for `--source v4l2:/dev/radio0[?alsa=…][&rate=…]` and the station to tune. Null,
// with the reason, for an address or station that cannot be; the tuner itself is first asked at
// open().
std::unique_ptr<RadioTunerSource> makeRadioTunerSource(std::string_view address,
                                                       const Station& station, SourceError& error,
                                                       SourceWarningHandler onWarning = {});

} // namespace velto
