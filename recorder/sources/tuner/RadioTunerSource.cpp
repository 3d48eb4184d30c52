#include "sources/tuner/RadioTunerSource.h"

#include "sources/tuner/AlsaCapture.h"
#include "sources/tuner/LinuxRadioDevice.h"
#include "sources/tuner/RadioSourceAddress.h"
#include "sources/tuner/RadioTunerFinder.h"

#include <algorithm>

namespace velto {

RadioTunerSource::RadioTunerSource(RadioTunerSettings settings, RadioTunerParts parts)
    : m_settings(std::move(settings)), m_parts(std::move(parts)) {
    if (!m_parts.device) {
        m_parts.device = [] { return std::make_unique<LinuxRadioDevice>(); };
    }
    if (!m_parts.capture) {
        m_parts.capture = [] { return std::make_unique<AlsaCapture>(); };
    }
    if (!m_parts.clock) {
        m_parts.clock = [] { return std::chrono::steady_clock::now(); };
    }
}

RadioTunerSource::~RadioTunerSource() {
    release();
}

bool RadioTunerSource::open(SourceError& error) {
    release();
    auto tuner = std::make_unique<RadioTuner>(m_parts.device());
    if (!tuner->open(m_settings.device, error)) {
        return false;
    }
    // A band the tuner lacks is refused before the card is looked for or the tuner touched.
    if (!tuner->bandFor(m_settings.station, error)) {
        return false;
    }
    std::string sound = m_settings.soundDevice;
    if (sound.empty()) {
        RadioTunerFinder finder(RadioTunerPaths{"/dev", m_settings.sys});
        std::optional<std::string> found = finder.soundDeviceFor(m_settings.device, error);
        if (!found) {
            return false;
        }
        sound = *found;
    }
    if (!tuner->tune(m_settings.station, error)) {
        return false;
    }
    std::unique_ptr<SoundCapture> capture = m_parts.capture();
    if (!capture) {
        error = {"no-sound-card", "No sound capture is available."};
        return false;
    }
    if (!capture->open(sound, m_settings.rate, error)) {
        return false;
    }
    if (!m_converter.configure(capture->rate(), capture->channels(), error)) {
        return false;
    }
    const TimePoint now = m_parts.clock();
    if (!m_watchStart) {
        m_watchStart = now;
    }
    m_nextStatus = now;
    m_lastSound = now;
    m_sound = sound;
    m_tunedHz = tuner->tunedHz();
    m_captureRate = capture->rate();
    m_tuner = std::move(tuner);
    m_capture = std::move(capture);
    m_watch = std::make_unique<RadioSignalWatch>(m_tuner);
    m_open = true;
    return true;
}

ReadStatus RadioTunerSource::read(std::vector<float>& out, std::chrono::milliseconds timeout,
                                  SourceError& error) {
    if (!m_open) {
        error = {"connection-lost", "The tuner " + m_settings.device + " is not open."};
        return ReadStatus::Lost;
    }
    // The deadline is the wall clock's, whatever clock the signal watch goes by.
    const auto began = std::chrono::steady_clock::now();
    TimePoint now = m_parts.clock();
    if (now >= m_nextStatus && m_watch->request(now, std::min(kStatusWait, timeout / 2))) {
        m_nextStatus = now + kStatusInterval;
    }
    if (std::optional<RadioSignalWatch::Reading> reading = m_watch->take()) {
        if (!watchSignal(*reading, error)) {
            release();
            return ReadStatus::Lost;
        }
    }
    const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - began);
    m_frames.clear();
    // A fifth of a second per read keeps each answer well within "a few hundred ms".
    const std::size_t most = std::max<std::size_t>(m_capture->rate() / 5, 1);
    CaptureStatus status = m_capture->read(
        m_frames, most, std::max(timeout - spent, std::chrono::milliseconds(0)), error);
    if (status == CaptureStatus::Lost) {
        release();
        return ReadStatus::Lost;
    }
    now = m_parts.clock();
    if (m_capture->overruns() > 0 && !m_overrunWarned) {
        m_overrunWarned = true;
        warn({"capture-overrun", "The tuner's sound card ran over: the recorder read too late "
                                 "and a moment of sound is missing."});
    }
    if (status == CaptureStatus::Frames) {
        m_lastSound = now;
        const std::size_t channels = m_capture->channels();
        m_converter.process(m_frames.data(), m_frames.size() / channels, out);
        return ReadStatus::Audio;
    }
    if (now - m_lastSound >= kStallLimit) {
        error = {"connection-lost", "The tuner's sound card " + m_sound +
                                        " delivered no sound for " +
                                        std::to_string(kStallLimit.count()) + " s."};
        release();
        return ReadStatus::Lost;
    }
    return ReadStatus::Audio;
}

bool RadioTunerSource::watchSignal(const RadioSignalWatch::Reading& reading, SourceError& error) {
    const RadioStatus& status = reading.status;
    const TimePoint now = reading.asked;
    if (!reading.answered) {
        if (reading.problem.key == "connection-lost") {
            error = reading.problem;
            return false;
        }
        if (!m_statusWarned) {
            m_statusWarned = true;
            warn({"signal-unknown", reading.problem.text});
        }
        return true;
    }
    m_signal = status.signal;
    m_stereo = m_settings.station.band == Band::FM && status.stereo && m_capture->channels() > 1;
    if (now - *m_watchStart < kSignalGrace) {
        m_readSignal = true;
        m_heard = m_heard || status.signal > 0;
    } else if (m_readSignal && !m_heard && !m_signalWarned) {
        m_signalWarned = true;
        warn({"no-signal", "No signal on " + m_settings.station.describe() + " in the first " +
                               std::to_string(kSignalGrace.count()) +
                               " s: the station may not be received here (antenna, "
                               "location), or the tuner does not report its signal. The "
                               "recording goes on."});
    }
    return true;
}

void RadioTunerSource::warn(SourceError warning) {
    {
        std::lock_guard<std::mutex> lock(m_warningLock);
        m_warnings.push_back(warning);
    }
    if (m_settings.onWarning) {
        m_settings.onWarning(warning);
    }
}

std::vector<SourceError> RadioTunerSource::warnings() const {
    std::lock_guard<std::mutex> lock(m_warningLock);
    return m_warnings;
}

std::vector<SourceError> RadioTunerSource::takeWarnings() {
    std::lock_guard<std::mutex> lock(m_warningLock);
    std::vector<SourceError> fresh(
        m_warnings.begin() + static_cast<std::ptrdiff_t>(m_warningsTaken), m_warnings.end());
    m_warningsTaken = m_warnings.size();
    return fresh;
}

void RadioTunerSource::release() {
    if (m_capture) {
        m_capture->close();
        m_capture.reset();
    }
    // A watch held in the driver keeps its share of the tuner and closes it when it comes
    // back, leaving the sound on for whoever opens the tuner next.
    bool watchEnded = true;
    if (m_watch) {
        watchEnded = m_watch->stop(kStatusWait);
        m_watch.reset();
    }
    if (m_tuner) {
        if (watchEnded) {
            m_tuner->close();
        } else {
            m_tuner->leaveUnmuted();
        }
        m_tuner.reset();
    }
    m_converter.reset();
    m_stereo = false;
    m_open = false;
}

void RadioTunerSource::close() {
    release();
}

std::unique_ptr<RadioTunerSource> makeRadioTunerSource(std::string_view address,
                                                       const Station& station, SourceError& error,
                                                       SourceWarningHandler onWarning) {
    RadioSourceAddress parsed;
    if (!parseRadioSourceAddress(address, parsed, error)) {
        return nullptr;
    }
    if (!stationHz(station)) {
        error = {"bad-station", station.describe() + " is not a station."};
        return nullptr;
    }
    RadioTunerSettings settings;
    settings.device = parsed.device;
    settings.soundDevice = parsed.soundDevice;
    settings.rate = parsed.rate;
    settings.station = station;
    settings.onWarning = std::move(onWarning);
    return std::make_unique<RadioTunerSource>(std::move(settings));
}

} // namespace velto
