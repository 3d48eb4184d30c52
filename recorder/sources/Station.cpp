#include "sources/Station.h"

#include <cstdio>

namespace velto {

namespace {
// Japan's FM band with its extension for AM stations starts at 76 MHz; elsewhere it ends
// at 108. Medium wave: 522 to 1710 kHz covers the 9 and 10 kHz rasters.
constexpr int kFmLowest = 7600;
constexpr int kFmHighest = 10800;
constexpr int kAmLowest = 522;
constexpr int kAmHighest = 1710;
} // namespace

double Station::frequencyHz() const {
    return band == Band::FM ? channel * 10'000.0 : channel * 1'000.0;
}

std::string Station::describe() const {
    char text[40];
    if (band == Band::FM)
        std::snprintf(text, sizeof text, channel % 10 ? "FM %.2f MHz" : "FM %.1f MHz",
                      channel / 100.0);
    else
        std::snprintf(text, sizeof text, "AM %d kHz", channel);
    return text;
}

bool Station::valid(std::string& why) const {
    if (band == Band::FM && (channel < kFmLowest || channel > kFmHighest)) {
        why = "FM stations lie between 76.0 and 108.0 MHz (CH 7600 to 10800).";
        return false;
    }
    if (band == Band::AM && (channel < kAmLowest || channel > kAmHighest)) {
        why = "AM stations lie between 522 and 1710 kHz.";
        return false;
    }
    return true;
}

std::optional<Band> bandFromName(std::string_view name) {
    if (name == "FM" || name == "fm")
        return Band::FM;
    if (name == "AM" || name == "am")
        return Band::AM;
    return std::nullopt;
}

const char* bandName(Band band) {
    return band == Band::FM ? "FM" : "AM";
}

} // namespace velto
