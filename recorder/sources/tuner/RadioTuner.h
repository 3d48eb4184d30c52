// What a Video4Linux radio tuner is and how it is tuned, over the ioctls of one radio node:
// its capabilities and bands, the tuning itself with mute and stereo, and its signal.
#pragma once

#include "sources/AudioSource.h"
#include "sources/tuner/RadioDevice.h"
#include "sources/tuner/RadioFrequency.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velto {

struct RadioBand {
    std::string name; // "FM", "AM" (medium wave) or "SW"
    uint32_t low = 0; // in the tuner's units
    uint32_t high = 0;
    double lowHz = 0;
    double highHz = 0;
};

struct RadioTunerInfo {
    std::string name;   // the card as its driver names it
    std::string driver; // the kernel driver, e.g. "radio-si470x"
    std::string busInfo;
    TunerUnit unit = TunerUnit::Coarse;
    bool stereo = false; // can receive FM stereo
    std::vector<RadioBand> bands;
};

struct RadioStatus {
    int signal = 0; // 0 to 65535
    bool stereo = false;
};

class RadioTuner {
public:
    explicit RadioTuner(std::unique_ptr<RadioDevice> device);
    RadioTuner(const RadioTuner&) = delete;
    RadioTuner& operator=(const RadioTuner&) = delete;
    ~RadioTuner();

    // Opens the node and learns the tuner: that it is a radio, its units and its bands.
    bool open(const std::string& path, SourceError& error);
    bool isOpen() const { return m_open; }
    const RadioTunerInfo& info() const { return m_info; }
    // The tuner's band holding the station; a band it lacks or a frequency outside it is
    // refused here, before anything is sent to the device.
    const RadioBand* bandFor(const Station& station, SourceError& error) const;
    // Sets the audio mode (stereo for FM), the frequency, and unmutes.
    bool tune(const Station& station, SourceError& error);
    double tunedHz() const { return m_tunedHz; }
    bool readStatus(RadioStatus& status, SourceError& error);
    // Mutes the tuner again if it was muted before tune(), and closes the node.
    void close();
    // Leaves the tuner as it plays at close(): for a close that comes late (a thread held in
    // the driver), when a newer opening may be playing already.
    void leaveUnmuted() { m_mutedBefore.reset(); }

private:
    SourceError failure(const char* what, int err) const;

    std::unique_ptr<RadioDevice> m_device;
    std::string m_path;
    RadioTunerInfo m_info;
    bool m_open = false;
    std::optional<bool> m_mutedBefore; // set once tune() has unmuted
    double m_tunedHz = 0;
};

// Whether an errno value from a radio node or a sound card means the device went away.
bool isDeviceGone(int err);

} // namespace velto
