#include "sources/tuner/AlsaCapture.h"

#include "sources/tuner/RadioTuner.h"

#include <algorithm>
#include <alsa/asoundlib.h>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>
#include <poll.h>
#include <thread>

namespace velto {

namespace {

using Clock = std::chrono::steady_clock;

struct HwParamsFree {
    void operator()(snd_pcm_hw_params_t* p) const { snd_pcm_hw_params_free(p); }
};
struct SwParamsFree {
    void operator()(snd_pcm_sw_params_t* p) const { snd_pcm_sw_params_free(p); }
};

// Native-endian first: what a USB sound card delivers without conversion.
constexpr snd_pcm_format_t kFormats[] = {SND_PCM_FORMAT_S16, SND_PCM_FORMAT_S32, SND_PCM_FORMAT_S24,
                                         SND_PCM_FORMAT_S24_3LE, SND_PCM_FORMAT_FLOAT};
constexpr unsigned kPreferredRate = 48000;
constexpr unsigned kLowestRate = 4000;
constexpr unsigned kHighestRate = 768000;
constexpr unsigned kMostChannels = 64;
constexpr std::size_t kMostPollDescriptors = 16;

bool isNameUsable(const std::string& name) {
    if (name.empty() || name.size() > 256) {
        return false;
    }
    return std::none_of(name.begin(), name.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

float clampSample(float v) {
    if (!std::isfinite(v)) {
        return 0.0f;
    }
    return std::clamp(v, -1.0f, 1.0f);
}

} // namespace

AlsaCapture::~AlsaCapture() {
    close();
}

bool AlsaCapture::open(const std::string& device, unsigned rate, SourceError& error) {
    close();
    m_device = device;
    if (!isNameUsable(device)) {
        error = {"no-sound-card", "No usable sound card name was given."};
        return false;
    }
    int err = snd_pcm_open(&m_pcm, device.c_str(), SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK);
    if (err < 0) {
        m_pcm = nullptr;
        const std::string reason = snd_strerror(err);
        if (err == -EBUSY) {
            error = {"device-busy", "The sound card " + device +
                                        " is in use by another program (a sound server may "
                                        "hold it)."};
        } else if (err == -EACCES || err == -EPERM) {
            error = {"permission-denied", "No permission to record from the sound card " + device +
                                              ": add yourself to the audio group."};
        } else if (err == -ENOENT || err == -ENODEV || err == -ENXIO) {
            error = {"no-sound-card", "There is no sound card " + device + " (" + reason + ")."};
        } else {
            error = {"sound-card-error",
                     "The sound card " + device + " could not be opened (" + reason + ")."};
        }
        return false;
    }
    if (!configure(rate, error)) {
        close();
        return false;
    }
    m_overruns = 0;
    return true;
}

bool AlsaCapture::configure(unsigned rate, SourceError& error) {
    auto refuse = [&](const std::string& what, int err) {
        error = {"sound-card-error",
                 "The sound card " + m_device + " " + what + " (" + snd_strerror(err) + ")."};
        return false;
    };
    snd_pcm_hw_params_t* raw = nullptr;
    if (int err = snd_pcm_hw_params_malloc(&raw); err < 0) {
        return refuse("could not be set up", err);
    }
    std::unique_ptr<snd_pcm_hw_params_t, HwParamsFree> hw(raw);
    int err = snd_pcm_hw_params_any(m_pcm, hw.get());
    if (err < 0) {
        return refuse("reports no capture settings", err);
    }
    if ((err = snd_pcm_hw_params_set_access(m_pcm, hw.get(), SND_PCM_ACCESS_RW_INTERLEAVED)) < 0) {
        return refuse("cannot deliver interleaved frames", err);
    }
    // The card's own rates only: the conversion to 48 kHz is done here, with a known filter.
    snd_pcm_hw_params_set_rate_resample(m_pcm, hw.get(), 0);

    m_format = SND_PCM_FORMAT_UNKNOWN;
    for (snd_pcm_format_t format : kFormats) {
        if (snd_pcm_hw_params_test_format(m_pcm, hw.get(), format) == 0) {
            m_format = format;
            break;
        }
    }
    if (m_format == SND_PCM_FORMAT_UNKNOWN ||
        (err = snd_pcm_hw_params_set_format(m_pcm, hw.get(),
                                            static_cast<snd_pcm_format_t>(m_format))) < 0) {
        error = {"sound-card-error",
                 "The sound card " + m_device + " offers no sample format this program reads."};
        return false;
    }

    unsigned channels = 2;
    if (snd_pcm_hw_params_test_channels(m_pcm, hw.get(), 2) == 0) {
        err = snd_pcm_hw_params_set_channels(m_pcm, hw.get(), 2);
    } else if (snd_pcm_hw_params_test_channels(m_pcm, hw.get(), 1) == 0) {
        channels = 1;
        err = snd_pcm_hw_params_set_channels(m_pcm, hw.get(), 1);
    } else {
        err = snd_pcm_hw_params_set_channels_first(m_pcm, hw.get(), &channels);
    }
    if (err < 0 || channels == 0 || channels > kMostChannels) {
        return refuse("offers no usable channel count", err < 0 ? err : -EINVAL);
    }

    if (rate != 0) {
        if (snd_pcm_hw_params_test_rate(m_pcm, hw.get(), rate, 0) != 0) {
            error = {"sound-card-error", "The sound card " + m_device + " cannot record at " +
                                             std::to_string(rate) + " Hz."};
            return false;
        }
        err = snd_pcm_hw_params_set_rate(m_pcm, hw.get(), rate, 0);
    } else {
        unsigned low = 0;
        unsigned high = 0;
        int dir = 0;
        snd_pcm_hw_params_get_rate_min(hw.get(), &low, &dir);
        snd_pcm_hw_params_get_rate_max(hw.get(), &high, &dir);
        if (low == high) {
            rate = low; // a USB radio's card usually has this one rate
            err = snd_pcm_hw_params_set_rate(m_pcm, hw.get(), rate, 0);
        } else if (snd_pcm_hw_params_test_rate(m_pcm, hw.get(), kPreferredRate, 0) == 0) {
            rate = kPreferredRate;
            err = snd_pcm_hw_params_set_rate(m_pcm, hw.get(), rate, 0);
        } else {
            rate = kPreferredRate;
            err = snd_pcm_hw_params_set_rate_near(m_pcm, hw.get(), &rate, nullptr);
        }
    }
    if (err < 0) {
        return refuse("cannot set its rate", err);
    }
    unsigned bufferTime = 500000; // µs: room for a slow reader without an overrun
    unsigned periodTime = 50000;
    snd_pcm_hw_params_set_buffer_time_near(m_pcm, hw.get(), &bufferTime, nullptr);
    snd_pcm_hw_params_set_period_time_near(m_pcm, hw.get(), &periodTime, nullptr);
    if ((err = snd_pcm_hw_params(m_pcm, hw.get())) < 0) {
        return refuse("refused the capture settings", err);
    }
    int dir = 0;
    snd_pcm_hw_params_get_rate(hw.get(), &m_rate, &dir);
    snd_pcm_hw_params_get_channels(hw.get(), &m_channels);
    if (m_rate < kLowestRate || m_rate > kHighestRate || m_channels == 0 ||
        m_channels > kMostChannels) {
        error = {"sound-card-error", "The sound card " + m_device + " settled on " +
                                         std::to_string(m_rate) + " Hz and " +
                                         std::to_string(m_channels) + " channels."};
        return false;
    }
    snd_pcm_uframes_t period = 0;
    snd_pcm_hw_params_get_period_size(hw.get(), &period, &dir);

    snd_pcm_sw_params_t* rawSw = nullptr;
    if ((err = snd_pcm_sw_params_malloc(&rawSw)) < 0) {
        return refuse("could not be set up", err);
    }
    std::unique_ptr<snd_pcm_sw_params_t, SwParamsFree> sw(rawSw);
    snd_pcm_sw_params_current(m_pcm, sw.get());
    snd_pcm_sw_params_set_avail_min(m_pcm, sw.get(), period > 0 ? period : 1);
    if ((err = snd_pcm_sw_params(m_pcm, sw.get())) < 0) {
        return refuse("refused its wake-up settings", err);
    }
    m_frameBytes = static_cast<unsigned>(
        snd_pcm_format_physical_width(static_cast<snd_pcm_format_t>(m_format)) / 8 * m_channels);
    if ((err = snd_pcm_prepare(m_pcm)) < 0 || (err = snd_pcm_start(m_pcm)) < 0) {
        return refuse("would not start", err);
    }
    return true;
}

bool AlsaCapture::recover(long err, SourceError& error) {
    if (err == -EPIPE) {
        ++m_overruns;
        if (snd_pcm_prepare(m_pcm) == 0 && snd_pcm_start(m_pcm) == 0) {
            return true;
        }
    } else if (err == -ESTRPIPE) {
        int resumed = snd_pcm_resume(m_pcm);
        if (resumed == -EAGAIN) {
            return true;
        }
        if (resumed == 0 || (snd_pcm_prepare(m_pcm) == 0 && snd_pcm_start(m_pcm) == 0)) {
            return true;
        }
    } else if (err == -EAGAIN || err == -EINTR) {
        return true;
    }
    if (isDeviceGone(static_cast<int>(-err)) ||
        snd_pcm_state(m_pcm) == SND_PCM_STATE_DISCONNECTED) {
        error = {"connection-lost", "The sound card " + m_device + " went away (" +
                                        snd_strerror(static_cast<int>(err)) +
                                        "): was the tuner unplugged?"};
    } else {
        error = {"sound-card-error", "The sound card " + m_device + " stopped recording (" +
                                         snd_strerror(static_cast<int>(err)) + ")."};
    }
    return false;
}

CaptureStatus AlsaCapture::read(std::vector<float>& out, std::size_t maxFrames,
                                std::chrono::milliseconds timeout, SourceError& error) {
    if (!m_pcm) {
        error = {"connection-lost", "The sound card is not open."};
        return CaptureStatus::Lost;
    }
    const Clock::time_point deadline = Clock::now() + timeout;
    maxFrames = std::max<std::size_t>(maxFrames, 1);
    int idleWakeups = 0;
    for (;;) {
        if (snd_pcm_state(m_pcm) == SND_PCM_STATE_PREPARED) {
            snd_pcm_start(m_pcm);
        }
        snd_pcm_sframes_t avail = snd_pcm_avail_update(m_pcm);
        if (avail < 0) {
            if (!recover(avail, error)) {
                return CaptureStatus::Lost;
            }
        } else if (avail > 0) {
            const std::size_t frames =
                std::min<std::size_t>(static_cast<std::size_t>(avail), maxFrames);
            // Zeroed, so that a plugin delivering less than it claims leaves silence, not
            // the sound of an earlier read.
            m_buffer.assign(frames * m_frameBytes, 0);
            snd_pcm_sframes_t got = snd_pcm_readi(m_pcm, m_buffer.data(), frames);
            if (got > 0) {
                convert(static_cast<std::size_t>(got), out);
                return CaptureStatus::Frames;
            }
            if (got < 0 && got != -EAGAIN && !recover(got, error)) {
                return CaptureStatus::Lost;
            }
        }

        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return CaptureStatus::Timeout;
        }
        int count = snd_pcm_poll_descriptors_count(m_pcm);
        if (count <= 0 || static_cast<std::size_t>(count) > kMostPollDescriptors) {
            error = {"sound-card-error", "The sound card " + m_device + " cannot be waited on."};
            return CaptureStatus::Lost;
        }
        pollfd fds[kMostPollDescriptors];
        count = snd_pcm_poll_descriptors(m_pcm, fds, static_cast<unsigned>(count));
        int ready = ::poll(fds, static_cast<nfds_t>(count), static_cast<int>(left));
        if (ready < 0 && errno != EINTR) {
            error = {"sound-card-error", "Waiting for the sound card " + m_device + " failed (" +
                                             std::strerror(errno) + ")."};
            return CaptureStatus::Lost;
        }
        if (ready <= 0) {
            continue; // the deadline check above ends the wait
        }
        unsigned short revents = 0;
        snd_pcm_poll_descriptors_revents(m_pcm, fds, static_cast<unsigned>(count), &revents);
        if (revents & (POLLERR | POLLNVAL)) {
            snd_pcm_state_t state = snd_pcm_state(m_pcm);
            long err = state == SND_PCM_STATE_XRUN        ? -EPIPE
                       : state == SND_PCM_STATE_SUSPENDED ? -ESTRPIPE
                                                          : -ENODEV;
            if (!recover(err, error)) {
                return CaptureStatus::Lost;
            }
        } else if (!(revents & POLLIN) && ++idleWakeups > 2) {
            // A descriptor that wakes without sound would otherwise spin until the deadline.
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
}

void AlsaCapture::convert(std::size_t frames, std::vector<float>& out) const {
    const std::size_t samples = frames * m_channels;
    const uint8_t* data = m_buffer.data();
    switch (static_cast<snd_pcm_format_t>(m_format)) {
    case SND_PCM_FORMAT_S16:
        for (std::size_t i = 0; i < samples; ++i) {
            int16_t v;
            std::memcpy(&v, data + 2 * i, 2);
            out.push_back(static_cast<float>(v) / 32768.0f);
        }
        break;
    case SND_PCM_FORMAT_S32:
        for (std::size_t i = 0; i < samples; ++i) {
            int32_t v;
            std::memcpy(&v, data + 4 * i, 4);
            out.push_back(static_cast<float>(static_cast<double>(v) / 2147483648.0));
        }
        break;
    case SND_PCM_FORMAT_S24:
        for (std::size_t i = 0; i < samples; ++i) {
            int32_t v;
            std::memcpy(&v, data + 4 * i, 4);
            v = static_cast<int32_t>(static_cast<uint32_t>(v) << 8) >> 8; // 24 of 32 bits
            out.push_back(static_cast<float>(v) / 8388608.0f);
        }
        break;
    case SND_PCM_FORMAT_S24_3LE:
        for (std::size_t i = 0; i < samples; ++i) {
            const uint8_t* b = data + 3 * i;
            uint32_t u = b[0] | (b[1] << 8) | (static_cast<uint32_t>(b[2]) << 16);
            int32_t v = static_cast<int32_t>(u << 8) >> 8;
            out.push_back(static_cast<float>(v) / 8388608.0f);
        }
        break;
    case SND_PCM_FORMAT_FLOAT:
        for (std::size_t i = 0; i < samples; ++i) {
            float v;
            std::memcpy(&v, data + 4 * i, 4);
            out.push_back(clampSample(v));
        }
        break;
    default:
        out.insert(out.end(), samples, 0.0f);
        break;
    }
}

void AlsaCapture::close() {
    if (m_pcm) {
        snd_pcm_close(m_pcm);
        m_pcm = nullptr;
    }
    m_rate = 0;
    m_channels = 0;
}

} // namespace velto
