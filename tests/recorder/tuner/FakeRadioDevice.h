// A radio node that answers as a recorded tuner did and keeps the ioctls asked of it.
#pragma once

#include "recorder/sources/tuner/RadioDevice.h"

#include <functional>
#include <linux/videodev2.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace velto {

struct RecordedRadio {
    v4l2_capability capability{};
    v4l2_tuner tuner{}; // G_TUNER's answer; its signal comes from `signal` when set
    std::vector<v4l2_frequency_band> bands; // ENUM_FREQ_BANDS; EINVAL past the end
    int bandsError = 0;                     // ENOTTY: a kernel without band enumeration
    int muteError = 0;                      // EINVAL/ENOTTY: no mute control
    int mute = 1;
    uint32_t frequency = 0;
    std::function<int()> signal;
    bool pilot = false; // an FM station in stereo
    bool unplugged = false;
    std::map<std::string, int> failures; // "S_FREQUENCY" → the errno it answers
    std::vector<std::string> log;        // "open /dev/radio0", "S_FREQUENCY 1280000", …
};

class FakeRadioDevice : public RadioDevice {
public:
    explicit FakeRadioDevice(std::shared_ptr<RecordedRadio> radio) : m_radio(std::move(radio)) {}

    int open(const std::string& path) override;
    void close() override;
    int ioctl(unsigned long request, void* argument) override;

    static RadioDeviceFactory factory(std::shared_ptr<RecordedRadio> radio) {
        return [radio] { return std::make_unique<FakeRadioDevice>(radio); };
    }

private:
    std::shared_ptr<RecordedRadio> m_radio;
};

// Answers as the kernel's drivers give them.
std::shared_ptr<RecordedRadio> si470xStick();    // FM only, three FM bands, 62.5 Hz units
std::shared_ptr<RecordedRadio> raremonoRadio();  // FM, AM and SW; no mute control
std::shared_ptr<RecordedRadio> ma901Stick();     // FM; volume but no mute; never a signal
std::shared_ptr<RecordedRadio> coarseCard();     // FM and AM in 62.5 kHz units
std::shared_ptr<RecordedRadio> oldKernelStick(); // no band enumeration at all

} // namespace velto
