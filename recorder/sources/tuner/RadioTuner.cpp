#include "sources/tuner/RadioTuner.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <linux/videodev2.h>

namespace velto {

namespace {

// The driver fills fixed arrays that need not end in a NUL; keep what is printable.
template <std::size_t N> std::string fixedText(const __u8 (&field)[N]) {
    std::string text;
    for (std::size_t i = 0; i < N && field[i] != 0; ++i) {
        unsigned char c = field[i];
        text += (c >= 0x20 && c != 0x7f) ? static_cast<char>(c) : '?';
    }
    return text;
}

bool isUnsupported(int err) {
    return err == EINVAL || err == ENOTTY;
}

std::string bandNameFor(uint32_t modulation, double lowHz) {
    if (modulation & V4L2_BAND_MODULATION_FM) {
        return "FM";
    }
    if (modulation & V4L2_BAND_MODULATION_AM) {
        return lowHz < 2e6 ? "AM" : "SW";
    }
    return {};
}

std::string listBands(const std::vector<RadioBand>& bands) {
    std::string text;
    for (const RadioBand& band : bands) {
        if (!text.empty()) {
            text += ", ";
        }
        text += band.name + " " + formatHz(band.lowHz) + "–" + formatHz(band.highHz);
    }
    return text.empty() ? "none" : text;
}

constexpr uint32_t kMostBands = 16;

} // namespace

bool isDeviceGone(int err) {
    return err == ENODEV || err == ENXIO || err == EIO || err == ESHUTDOWN;
}

RadioTuner::RadioTuner(std::unique_ptr<RadioDevice> device) : m_device(std::move(device)) {}

RadioTuner::~RadioTuner() {
    close();
}

SourceError RadioTuner::failure(const char* what, int err) const {
    std::string reason = std::strerror(err);
    if (isDeviceGone(err)) {
        return {"connection-lost",
                "The tuner " + m_path + " went away (" + reason + "): was it unplugged?"};
    }
    if (err == EBUSY) {
        return {"device-busy", "The tuner " + m_path + " is in use by another program."};
    }
    if (err == EACCES || err == EPERM) {
        return {"permission-denied", "No permission to use the tuner " + m_path +
                                         ": add yourself to the video group, or install a "
                                         "udev rule for it."};
    }
    return {"device-error",
            std::string("The tuner ") + m_path + " failed to " + what + " (" + reason + ")."};
}

bool RadioTuner::open(const std::string& path, SourceError& error) {
    close();
    m_path = path;
    m_info = {};
    if (!m_device) {
        error = {"no-receiver", "No radio device is available."};
        return false;
    }
    int err = m_device->open(path);
    if (err == ENOENT || err == ENXIO || err == ENODEV) {
        error = {"no-receiver", "No radio tuner at " + path + ": is it plugged in?"};
        return false;
    }
    if (err == ENOTTY) {
        error = {"not-a-radio", path + " is not a device node."};
        return false;
    }
    if (err != 0) {
        error = failure("open", err);
        return false;
    }
    m_open = true;

    v4l2_capability capability{};
    if ((err = m_device->ioctl(VIDIOC_QUERYCAP, &capability)) != 0) {
        error = isUnsupported(err) ? SourceError{"not-a-radio", path + " is not a radio tuner."}
                                   : failure("answer", err);
        close();
        return false;
    }
    uint32_t caps = (capability.capabilities & V4L2_CAP_DEVICE_CAPS) ? capability.device_caps
                                                                     : capability.capabilities;
    m_info.name = fixedText(capability.card);
    m_info.driver = fixedText(capability.driver);
    m_info.busInfo = fixedText(capability.bus_info);
    if (!(caps & V4L2_CAP_RADIO) || !(caps & V4L2_CAP_TUNER)) {
        error = {"not-a-radio", path + " (" + m_info.name + ") is not a radio receiver."};
        close();
        return false;
    }

    v4l2_tuner tuner{};
    tuner.index = 0;
    if ((err = m_device->ioctl(VIDIOC_G_TUNER, &tuner)) != 0) {
        error = failure("describe its tuner", err);
        close();
        return false;
    }
    m_info.unit = tunerUnitFor(tuner.capability);
    m_info.stereo = tuner.capability & V4L2_TUNER_CAP_STEREO;

    for (uint32_t index = 0; index < kMostBands; ++index) {
        v4l2_frequency_band band{};
        band.tuner = 0;
        band.type = V4L2_TUNER_RADIO;
        band.index = index;
        err = m_device->ioctl(VIDIOC_ENUM_FREQ_BANDS, &band);
        if (err != 0) {
            if (isDeviceGone(err) || err == EBUSY || err == EACCES) {
                error = failure("list its bands", err);
                close();
                return false;
            }
            break; // EINVAL ends the list; ENOTTY: a kernel without bands, see below
        }
        RadioBand entry;
        entry.low = band.rangelow;
        entry.high = band.rangehigh;
        entry.lowHz = unitsToHz(band.rangelow, m_info.unit);
        entry.highHz = unitsToHz(band.rangehigh, m_info.unit);
        entry.name = bandNameFor(band.modulation, entry.lowHz);
        if (!entry.name.empty() && entry.low <= entry.high) {
            m_info.bands.push_back(entry);
        }
    }
    if (m_info.bands.empty() && tuner.rangelow <= tuner.rangehigh && tuner.rangehigh > 0) {
        // Kernels before band enumeration: the tuner's one range, FM unless it lies below it.
        RadioBand entry;
        entry.low = tuner.rangelow;
        entry.high = tuner.rangehigh;
        entry.lowHz = unitsToHz(tuner.rangelow, m_info.unit);
        entry.highHz = unitsToHz(tuner.rangehigh, m_info.unit);
        entry.name = entry.highHz < 30e6 ? bandNameFor(V4L2_BAND_MODULATION_AM, entry.lowHz) : "FM";
        m_info.bands.push_back(entry);
    }
    if (m_info.bands.empty()) {
        error = {"device-error", "The tuner " + path + " reports no frequency range."};
        close();
        return false;
    }
    return true;
}

const RadioBand* RadioTuner::bandFor(const Station& station, SourceError& error) const {
    std::optional<uint64_t> hz = stationHz(station);
    if (!hz) {
        error = {"bad-station", station.describe() + " is not a station."};
        return nullptr;
    }
    const std::string wanted = bandName(station.band);
    bool hasBand = false;
    std::optional<uint32_t> units = hzToUnits(static_cast<double>(*hz), m_info.unit);
    for (const RadioBand& band : m_info.bands) {
        if (band.name != wanted) {
            continue;
        }
        hasBand = true;
        if (units && *units >= band.low && *units <= band.high) {
            if (std::fabs(unitsToHz(*units, m_info.unit) - static_cast<double>(*hz)) >
                toleranceHz(station.band)) {
                error = {"frequency-unreachable", "The tuner " + m_info.name +
                                                      " tunes in steps of " +
                                                      unitName(m_info.unit) + " and cannot reach " +
                                                      station.describe() + "."};
                return nullptr;
            }
            return &band;
        }
    }
    if (!hasBand) {
        error = {"band-unsupported", "The tuner " + m_info.name + " (" + m_path + ") has no " +
                                         wanted + " band; its bands: " + listBands(m_info.bands) +
                                         "."};
    } else {
        error = {"frequency-out-of-range", station.describe() + " lies outside the " + wanted +
                                               " range of the tuner " + m_info.name + " (" +
                                               listBands(m_info.bands) + ")."};
    }
    return nullptr;
}

bool RadioTuner::tune(const Station& station, SourceError& error) {
    if (!m_open) {
        error = {"no-receiver", "The tuner is not open."};
        return false;
    }
    if (!bandFor(station, error)) {
        return false;
    }
    const double hz = static_cast<double>(*stationHz(station));
    const uint32_t units = *hzToUnits(hz, m_info.unit);

    // Frequency and mode are set while the tuner is still muted, so nothing of the way
    // there is heard; then it is unmuted.
    v4l2_control mute{};
    mute.id = V4L2_CID_AUDIO_MUTE;
    int err = m_device->ioctl(VIDIOC_G_CTRL, &mute);
    bool hasMute = err == 0;
    if (err != 0 && !isUnsupported(err)) {
        error = failure("report its mute control", err);
        return false;
    }

    v4l2_tuner tuner{};
    tuner.index = 0;
    tuner.type = V4L2_TUNER_RADIO;
    tuner.audmode =
        (station.band == Band::FM && m_info.stereo) ? V4L2_TUNER_MODE_STEREO : V4L2_TUNER_MODE_MONO;
    err = m_device->ioctl(VIDIOC_S_TUNER, &tuner);
    if (err != 0 && !isUnsupported(err)) { // EINVAL: the tuner has no mode to choose
        error = failure("set its audio mode", err);
        return false;
    }

    v4l2_frequency frequency{};
    frequency.tuner = 0;
    frequency.type = V4L2_TUNER_RADIO;
    frequency.frequency = units;
    err = m_device->ioctl(VIDIOC_S_FREQUENCY, &frequency);
    if (err == EINVAL) {
        error = {"tuning-failed", "The tuner " + m_info.name + " (" + m_path + ") refused " +
                                      station.describe() + "."};
        return false;
    }
    if (err != 0) {
        error = failure("tune", err);
        return false;
    }

    v4l2_frequency tuned{};
    tuned.tuner = 0;
    tuned.type = V4L2_TUNER_RADIO;
    err = m_device->ioctl(VIDIOC_G_FREQUENCY, &tuned);
    if (err == 0) {
        m_tunedHz = unitsToHz(tuned.frequency, m_info.unit);
        if (std::fabs(m_tunedHz - hz) > toleranceHz(station.band)) {
            error = {"tuning-failed", "The tuner " + m_info.name + " (" + m_path + ") settled on " +
                                          formatHz(m_tunedHz) + " instead of " +
                                          station.describe() + "."};
            return false;
        }
    } else if (isUnsupported(err)) {
        m_tunedHz = unitsToHz(units, m_info.unit);
    } else {
        error = failure("report its frequency", err);
        return false;
    }

    if (hasMute) {
        v4l2_control unmute{};
        unmute.id = V4L2_CID_AUDIO_MUTE;
        unmute.value = 0;
        err = m_device->ioctl(VIDIOC_S_CTRL, &unmute);
        if (err != 0 && !isUnsupported(err)) {
            error = failure("unmute", err);
            return false;
        }
        if (err == 0 && !m_mutedBefore) {
            m_mutedBefore = mute.value != 0;
        }
    }
    return true;
}

bool RadioTuner::readStatus(RadioStatus& status, SourceError& error) {
    if (!m_open) {
        error = {"connection-lost", "The tuner is not open."};
        return false;
    }
    v4l2_tuner tuner{};
    tuner.index = 0;
    int err = m_device->ioctl(VIDIOC_G_TUNER, &tuner);
    if (err != 0) {
        error = failure("report its signal", err);
        return false;
    }
    status.signal = tuner.signal < 0 ? 0 : (tuner.signal > 65535 ? 65535 : tuner.signal);
    status.stereo = (tuner.rxsubchans & V4L2_TUNER_SUB_STEREO) != 0;
    return true;
}

void RadioTuner::close() {
    if (!m_open) {
        return;
    }
    if (m_mutedBefore && *m_mutedBefore) {
        // Best effort: the device may be gone already, and nothing depends on it.
        v4l2_control mute{};
        mute.id = V4L2_CID_AUDIO_MUTE;
        mute.value = 1;
        m_device->ioctl(VIDIOC_S_CTRL, &mute);
    }
    m_mutedBefore.reset();
    m_device->close();
    m_open = false;
}

} // namespace velto
