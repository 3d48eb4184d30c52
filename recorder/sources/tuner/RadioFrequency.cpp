#include "sources/tuner/RadioFrequency.h"

#include <cmath>
#include <cstdio>
#include <linux/videodev2.h>

namespace velto {

namespace {

double unitHz(TunerUnit unit) {
    switch (unit) {
    case TunerUnit::Coarse:
        return 62500.0;
    case TunerUnit::Fine:
        return 62.5;
    case TunerUnit::Hertz:
        return 1.0;
    }
    return 62500.0;
}

constexpr uint64_t kHighestStationHz = 300'000'000;

} // namespace

TunerUnit tunerUnitFor(uint32_t capability) {
    if (capability & V4L2_TUNER_CAP_1HZ) {
        return TunerUnit::Hertz;
    }
    if (capability & V4L2_TUNER_CAP_LOW) {
        return TunerUnit::Fine;
    }
    return TunerUnit::Coarse;
}

double unitsToHz(uint32_t units, TunerUnit unit) {
    return units * unitHz(unit);
}

std::optional<uint32_t> hzToUnits(double hz, TunerUnit unit) {
    if (!std::isfinite(hz) || hz < 0) {
        return std::nullopt;
    }
    double units = std::round(hz / unitHz(unit));
    if (units > 4294967295.0) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(units);
}

const char* unitName(TunerUnit unit) {
    switch (unit) {
    case TunerUnit::Coarse:
        return "62.5 kHz";
    case TunerUnit::Fine:
        return "62.5 Hz";
    case TunerUnit::Hertz:
        return "1 Hz";
    }
    return "62.5 kHz";
}

std::optional<uint64_t> stationHz(const Station& station) {
    if (station.channel <= 0) {
        return std::nullopt;
    }
    uint64_t hz =
        static_cast<uint64_t>(station.channel) * (station.band == Band::FM ? 10'000 : 1'000);
    if (hz > kHighestStationHz) {
        return std::nullopt;
    }
    return hz;
}

std::string formatHz(double hz) {
    char text[48];
    if (hz >= 10e6) {
        // Two decimals for 10 kHz steps, one where the second is a zero (80.0, 88.15).
        std::snprintf(text, sizeof text, "%.2f", hz / 1e6);
        std::string s = text;
        if (s.back() == '0') {
            s.pop_back();
        }
        return s + " MHz";
    }
    if (std::fmod(hz, 1000.0) == 0.0) {
        std::snprintf(text, sizeof text, "%.0f kHz", hz / 1e3);
    } else {
        std::snprintf(text, sizeof text, "%.2f kHz", hz / 1e3);
    }
    return text;
}

double toleranceHz(Band band) {
    // FM channels are 200 kHz wide; AM ones sit 9 kHz apart.
    return band == Band::FM ? 50'000.0 : 2'000.0;
}

} // namespace velto
