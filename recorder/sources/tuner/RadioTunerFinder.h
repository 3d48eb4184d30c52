// Finds the radio tuners of the machine (/dev/radioN) and the sound card that carries each
// one's audio: the card on the same USB device, as sysfs shows it.
#pragma once

#include "sources/AudioSource.h"
#include "sources/tuner/RadioDevice.h"
#include "sources/tuner/RadioTuner.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velto {

struct RadioTunerPaths {
    std::filesystem::path dev = "/dev";
    std::filesystem::path sys = "/sys";
};

// One tuner as `velto devices` lists it.
struct FoundRadioTuner {
    std::string path;                   // "/dev/radio0"
    std::string name;                   // the card's name as its driver gives it
    std::string driver;                 // the kernel driver, e.g. "radio-si470x"
    std::vector<RadioBand> bands;       // FM, AM and SW with their ranges in Hz
    std::string soundDevice;            // "hw:CARD=Radio,DEV=0"; empty when none was found
    std::string address;                // the --source that records from it
    std::optional<SourceError> problem; // why it cannot record as it stands
};

class RadioTunerFinder {
public:
    explicit RadioTunerFinder(RadioTunerPaths paths = {}, RadioDeviceFactory factory = {});

    std::vector<FoundRadioTuner> list() const;
    // The ALSA name of the capture device on the tuner's own USB device.
    std::optional<std::string> soundDeviceFor(const std::string& radioPath,
                                              SourceError& error) const;

private:
    RadioTunerPaths m_paths;
    RadioDeviceFactory m_factory;
};

} // namespace velto
