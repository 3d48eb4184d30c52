// The radio node itself, through open(2) and ioctl(2).
#pragma once

#include "sources/tuner/RadioDevice.h"

namespace velto {

class LinuxRadioDevice : public RadioDevice {
public:
    LinuxRadioDevice() = default;
    LinuxRadioDevice(const LinuxRadioDevice&) = delete;
    LinuxRadioDevice& operator=(const LinuxRadioDevice&) = delete;
    ~LinuxRadioDevice() override;

    int open(const std::string& path) override;
    void close() override;
    int ioctl(unsigned long request, void* argument) override;

private:
    int m_fd = -1;
};

} // namespace velto
