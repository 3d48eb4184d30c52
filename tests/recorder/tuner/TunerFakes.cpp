#include "TunerFakes.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace velto {

namespace {

constexpr uint32_t kLow = V4L2_TUNER_CAP_LOW | V4L2_TUNER_CAP_STEREO;

std::shared_ptr<RecordedRadio> radio(const char* driver, const char* card, uint32_t caps,
                                     std::vector<std::array<uint32_t, 3>> bands) {
    auto r = std::make_shared<RecordedRadio>();
    std::strncpy(reinterpret_cast<char*>(r->capability.driver), driver, 15);
    std::strncpy(reinterpret_cast<char*>(r->capability.card), card, 31);
    r->capability.device_caps = V4L2_CAP_RADIO | V4L2_CAP_TUNER;
    r->capability.capabilities = r->capability.device_caps | V4L2_CAP_DEVICE_CAPS;
    r->tuner.capability = caps;
    r->tuner.rangelow = UINT32_MAX;
    for (auto [low, high, modulation] : bands) {
        r->tuner.rangelow = std::min(r->tuner.rangelow, low);
        r->tuner.rangehigh = std::max(r->tuner.rangehigh, high);
        v4l2_frequency_band band{};
        band.capability = caps, band.rangelow = low, band.rangehigh = high;
        band.modulation = modulation;
        r->bands.push_back(band);
    }
    return r;
}

} // namespace

std::shared_ptr<RecordedRadio> si470xStick() {
    auto r = radio("radio-si470x", "Silicon Labs Si470x FM Radio", kLow | V4L2_TUNER_CAP_RDS,
                   {{1400000, 1728000, V4L2_BAND_MODULATION_FM},
                    {1216000, 1728000, V4L2_BAND_MODULATION_FM},
                    {1216000, 1440000, V4L2_BAND_MODULATION_FM}});
    r->signal = [] { return 30 * 873; }; // RSSI in dBµV, scaled as the driver does
    return r;
}

std::shared_ptr<RecordedRadio> raremonoRadio() {
    auto r = radio("radio-raremono", "Thanko's Raremono", kLow,
                   {{64000 * 16, 108000 * 16, V4L2_BAND_MODULATION_FM},
                    {520 * 16, 1710 * 16, V4L2_BAND_MODULATION_AM},
                    {2300 * 16, 26100 * 16, V4L2_BAND_MODULATION_AM}});
    r->failures = {{"G_CTRL", ENOTTY}, {"S_CTRL", ENOTTY}}; // no control handler at all
    return r;
}

std::shared_ptr<RecordedRadio> ma901Stick() {
    // Band enumeration answered by the kernel for it: the tuner's range as FM.
    auto r = radio("radio-ma901", "Masterkit MA901 USB FM Radio", kLow,
                   {{1400000, 1728000, V4L2_BAND_MODULATION_FM}});
    r->failures = {{"G_CTRL", EINVAL}, {"S_CTRL", EINVAL}}; // a volume control only
    return r;
}

std::shared_ptr<RecordedRadio> coarseCard() {
    return radio("radio-old", "Old AM/FM card", 0,
                 {{1400, 1728, V4L2_BAND_MODULATION_FM}, {8, 28, V4L2_BAND_MODULATION_AM}});
}

int FakeRadioDevice::open(const std::string& path) {
    if (m_shelf) {
        auto found = m_shelf->find(path);
        m_radio = found != m_shelf->end() ? found->second : std::make_shared<RecordedRadio>();
        m_radio->unplugged = m_radio->unplugged || found == m_shelf->end();
    }
    m_radio->log.push_back("open " + path);
    return m_radio->unplugged ? ENOENT : m_radio->failures["open"];
}

int FakeRadioDevice::ioctl(unsigned long request, void* argument) {
    RecordedRadio& r = *m_radio;
    auto* tuner = static_cast<v4l2_tuner*>(argument);
    auto* band = static_cast<v4l2_frequency_band*>(argument);
    auto* frequency = static_cast<v4l2_frequency*>(argument);
    auto* control = static_cast<v4l2_control*>(argument);
    const std::map<unsigned long, std::string> names = {
        {VIDIOC_QUERYCAP, "QUERYCAP"},       {VIDIOC_G_TUNER, "G_TUNER"},
        {VIDIOC_S_TUNER, "S_TUNER"},         {VIDIOC_ENUM_FREQ_BANDS, "ENUM_FREQ_BANDS"},
        {VIDIOC_S_FREQUENCY, "S_FREQUENCY"}, {VIDIOC_G_FREQUENCY, "G_FREQUENCY"},
        {VIDIOC_G_CTRL, "G_CTRL"},           {VIDIOC_S_CTRL, "S_CTRL"},
    };
    if (!names.count(request)) {
        return ENOTTY;
    }
    const std::string name = names.at(request);
    std::string detail =
        request == VIDIOC_S_TUNER ? (tuner->audmode == V4L2_TUNER_MODE_STEREO ? " stereo" : " mono")
        : request == VIDIOC_ENUM_FREQ_BANDS ? " " + std::to_string(band->index)
        : request == VIDIOC_S_FREQUENCY     ? " " + std::to_string(frequency->frequency)
        : request == VIDIOC_S_CTRL          ? " mute=" + std::to_string(control->value)
                                            : "";
    r.log.push_back(name + detail);
    if (r.unplugged || r.failures[name] != 0) {
        return r.unplugged ? ENODEV : r.failures[name];
    }
    switch (request) {
    case VIDIOC_QUERYCAP:
        *static_cast<v4l2_capability*>(argument) = r.capability;
        break;
    case VIDIOC_G_TUNER:
        *tuner = r.tuner;
        tuner->signal = r.signal();
        tuner->rxsubchans = tuner->signal > 0 ? V4L2_TUNER_SUB_STEREO : V4L2_TUNER_SUB_MONO;
        break;
    case VIDIOC_ENUM_FREQ_BANDS:
        if (band->index >= r.bands.size()) {
            return EINVAL;
        }
        *band = r.bands[band->index];
        break;
    case VIDIOC_S_FREQUENCY: // drivers clamp to their range rather than refuse
        r.frequency = std::clamp(frequency->frequency, r.tuner.rangelow, r.tuner.rangehigh);
        break;
    case VIDIOC_G_FREQUENCY:
        frequency->frequency = r.frequency;
        break;
    case VIDIOC_G_CTRL:
        control->value = r.mute;
        break;
    case VIDIOC_S_CTRL:
        r.mute = control->value;
        break;
    }
    return 0;
}

} // namespace velto
