#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace velto {

enum class Band { FM, AM };

// A station as the manager hands it over: FM channels in 10 kHz units (8000 is 80.0 MHz),
// AM channels in kHz.
struct Station {
    Band band = Band::FM;
    int channel = 0;

    double frequencyHz() const;
    // "FM 80.0 MHz", "AM 594 kHz".
    std::string describe() const;
    // Whether a broadcast receiver can take it: FM 76.0 to 108.0 MHz, AM 522 to 1710 kHz.
    bool valid(std::string& why) const;
};

// "FM" / "AM", either case.
std::optional<Band> bandFromName(std::string_view name);
const char* bandName(Band band);

} // namespace velto
