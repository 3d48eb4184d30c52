#include "tests/recorder/tuner/FakeRadioDevice.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace velto {

namespace {

template <std::size_t N> void setText(__u8 (&field)[N], const char* text) {
    std::strncpy(reinterpret_cast<char*>(field), text, N);
}

v4l2_frequency_band band(uint32_t index, uint32_t low, uint32_t high, uint32_t modulation,
                         uint32_t capability) {
    v4l2_frequency_band b{};
    b.type = V4L2_TUNER_RADIO;
    b.index = index;
    b.capability = capability;
    b.rangelow = low;
    b.rangehigh = high;
    b.modulation = modulation;
    return b;
}

std::shared_ptr<RecordedRadio> radio(const char* driver, const char* card, uint32_t tunerCaps,
                                     uint32_t low, uint32_t high) {
    auto r = std::make_shared<RecordedRadio>();
    setText(r->capability.driver, driver);
    setText(r->capability.card, card);
    setText(r->capability.bus_info, "usb-0000:00:14.0-2");
    r->capability.device_caps = V4L2_CAP_RADIO | V4L2_CAP_TUNER;
    r->capability.capabilities = r->capability.device_caps | V4L2_CAP_DEVICE_CAPS;
    r->tuner.type = V4L2_TUNER_RADIO;
    r->tuner.capability = tunerCaps;
    r->tuner.rangelow = low;
    r->tuner.rangehigh = high;
    r->frequency = low;
    return r;
}

constexpr uint32_t kLow = V4L2_TUNER_CAP_LOW;
constexpr uint32_t kMHz = 16000; // 62.5 Hz units in a MHz

} // namespace

std::shared_ptr<RecordedRadio> si470xStick() {
    const uint32_t caps = kLow | V4L2_TUNER_CAP_STEREO | V4L2_TUNER_CAP_RDS |
                          V4L2_TUNER_CAP_FREQ_BANDS | V4L2_TUNER_CAP_HWSEEK_BOUNDED;
    auto r = radio("radio-si470x", "Silicon Labs Si470x FM Radio", caps, 76 * kMHz, 108 * kMHz);
    r->bands = {band(0, 875 * kMHz / 10, 108 * kMHz, V4L2_BAND_MODULATION_FM, caps),
                band(1, 76 * kMHz, 108 * kMHz, V4L2_BAND_MODULATION_FM, caps),
                band(2, 76 * kMHz, 90 * kMHz, V4L2_BAND_MODULATION_FM, caps)};
    r->signal = [] { return 30 * 873; }; // RSSI in dBµV, scaled as the driver does
    r->pilot = true;
    return r;
}

std::shared_ptr<RecordedRadio> raremonoRadio() {
    const uint32_t caps = kLow | V4L2_TUNER_CAP_STEREO | V4L2_TUNER_CAP_FREQ_BANDS;
    auto r = radio("radio-raremono", "Thanko's Raremono", caps, 520 * 16, 108000 * 16);
    r->bands = {band(0, 64000 * 16, 108000 * 16, V4L2_BAND_MODULATION_FM, caps),
                band(1, 520 * 16, 1710 * 16, V4L2_BAND_MODULATION_AM, kLow),
                band(2, 2300 * 16, 26100 * 16, V4L2_BAND_MODULATION_AM, kLow)};
    r->muteError = ENOTTY;
    r->signal = [] { return 0x2a0 << 4; };
    return r;
}

std::shared_ptr<RecordedRadio> ma901Stick() {
    const uint32_t caps = kLow | V4L2_TUNER_CAP_STEREO;
    auto r =
        radio("radio-ma901", "Masterkit MA901 USB FM Radio", caps, 875 * kMHz / 10, 108 * kMHz);
    // The kernel answers band enumeration for a driver without it: the tuner's range as FM.
    r->bands = {band(0, 875 * kMHz / 10, 108 * kMHz, V4L2_BAND_MODULATION_FM, caps)};
    r->muteError = EINVAL;
    r->signal = [] { return 0; };
    return r;
}

std::shared_ptr<RecordedRadio> coarseCard() {
    auto r = radio("radio-old", "Old AM/FM card", V4L2_TUNER_CAP_FREQ_BANDS, 8, 1728);
    r->bands = {band(0, 1400, 1728, V4L2_BAND_MODULATION_FM, 0),
                band(1, 8, 28, V4L2_BAND_MODULATION_AM, 0)};
    r->signal = [] { return 65535; };
    return r;
}

std::shared_ptr<RecordedRadio> oldKernelStick() {
    auto r = radio("dsbr100", "D-Link DSB-R 100", kLow | V4L2_TUNER_CAP_STEREO, 875 * kMHz / 10,
                   108 * kMHz);
    r->bandsError = ENOTTY;
    r->signal = [] { return 0xffff; };
    return r;
}

int FakeRadioDevice::open(const std::string& path) {
    m_radio->log.push_back("open " + path);
    if (m_radio->unplugged) {
        return ENOENT;
    }
    auto failure = m_radio->failures.find("open");
    return failure == m_radio->failures.end() ? 0 : failure->second;
}

void FakeRadioDevice::close() {
    m_radio->log.push_back("close");
}

int FakeRadioDevice::ioctl(unsigned long request, void* argument) {
    RecordedRadio& r = *m_radio;
    std::string name;
    std::string detail;
    switch (request) {
    case VIDIOC_QUERYCAP:
        name = "QUERYCAP";
        break;
    case VIDIOC_G_TUNER:
        name = "G_TUNER";
        break;
    case VIDIOC_S_TUNER:
        name = "S_TUNER";
        detail = static_cast<v4l2_tuner*>(argument)->audmode == V4L2_TUNER_MODE_STEREO ? " stereo"
                                                                                       : " mono";
        break;
    case VIDIOC_ENUM_FREQ_BANDS:
        name = "ENUM_FREQ_BANDS";
        detail = " " + std::to_string(static_cast<v4l2_frequency_band*>(argument)->index);
        break;
    case VIDIOC_S_FREQUENCY:
        name = "S_FREQUENCY";
        detail = " " + std::to_string(static_cast<v4l2_frequency*>(argument)->frequency);
        break;
    case VIDIOC_G_FREQUENCY:
        name = "G_FREQUENCY";
        break;
    case VIDIOC_G_CTRL:
        name = "G_CTRL";
        break;
    case VIDIOC_S_CTRL:
        name = "S_CTRL";
        detail = " mute=" + std::to_string(static_cast<v4l2_control*>(argument)->value);
        break;
    default:
        r.log.push_back("unknown ioctl");
        return ENOTTY;
    }
    r.log.push_back(name + detail);
    if (r.unplugged) {
        return ENODEV;
    }
    if (auto failure = r.failures.find(name); failure != r.failures.end()) {
        return failure->second;
    }
    switch (request) {
    case VIDIOC_QUERYCAP:
        *static_cast<v4l2_capability*>(argument) = r.capability;
        return 0;
    case VIDIOC_G_TUNER: {
        auto* t = static_cast<v4l2_tuner*>(argument);
        if (t->index != 0) {
            return EINVAL;
        }
        *t = r.tuner;
        t->signal = r.signal ? r.signal() : 0;
        t->rxsubchans = r.pilot && t->signal > 0 ? V4L2_TUNER_SUB_STEREO : V4L2_TUNER_SUB_MONO;
        return 0;
    }
    case VIDIOC_S_TUNER: {
        auto* t = static_cast<v4l2_tuner*>(argument);
        if (t->index != 0) {
            return EINVAL;
        }
        r.tuner.audmode = t->audmode;
        return 0;
    }
    case VIDIOC_ENUM_FREQ_BANDS: {
        auto* b = static_cast<v4l2_frequency_band*>(argument);
        if (r.bandsError != 0) {
            return r.bandsError;
        }
        if (b->tuner != 0 || b->index >= r.bands.size()) {
            return EINVAL;
        }
        *b = r.bands[b->index];
        return 0;
    }
    case VIDIOC_S_FREQUENCY: {
        auto* f = static_cast<v4l2_frequency*>(argument);
        if (f->tuner != 0 || f->type != V4L2_TUNER_RADIO) {
            return EINVAL;
        }
        // Drivers clamp to their range rather than refuse.
        r.frequency = std::clamp(f->frequency, r.tuner.rangelow, r.tuner.rangehigh);
        return 0;
    }
    case VIDIOC_G_FREQUENCY: {
        auto* f = static_cast<v4l2_frequency*>(argument);
        f->type = V4L2_TUNER_RADIO;
        f->frequency = r.frequency;
        return 0;
    }
    case VIDIOC_G_CTRL:
    case VIDIOC_S_CTRL: {
        auto* c = static_cast<v4l2_control*>(argument);
        if (r.muteError != 0) {
            return r.muteError;
        }
        if (c->id != V4L2_CID_AUDIO_MUTE) {
            return EINVAL;
        }
        if (request == VIDIOC_G_CTRL) {
            c->value = r.mute;
        } else {
            r.mute = c->value;
        }
        return 0;
    }
    }
    return ENOTTY;
}

} // namespace velto
