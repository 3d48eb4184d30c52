// The command line's and the environment's name for a radio tuner source:
//   v4l2:/dev/radio0[?alsa=hw:CARD=Radio,DEV=0][&rate=48000]
#pragma once

#include "sources/AudioSource.h"

#include <string>
#include <string_view>

namespace velto {

struct RadioSourceAddress {
    std::string device;      // the radio node, an absolute path
    std::string soundDevice; // an ALSA capture PCM; empty: the card on the same USB device
    unsigned rate = 0;       // capture rate; 0: the card's own
};

inline constexpr std::string_view kRadioSourceScheme = "v4l2";

// Refuses, with "bad-source" and the reason, anything but the form above.
bool parseRadioSourceAddress(std::string_view text, RadioSourceAddress& address,
                             SourceError& error);
std::string formatRadioSourceAddress(const RadioSourceAddress& address);

} // namespace velto
