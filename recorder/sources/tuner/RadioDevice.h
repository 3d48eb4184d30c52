// One Video4Linux radio node, opened and asked through ioctl. An interface so that the
// tuning logic can be run against a device's recorded answers.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace velto {

class RadioDevice {
public:
    virtual ~RadioDevice() = default;
    // 0, or the errno value of the failure.
    virtual int open(const std::string& path) = 0;
    virtual void close() = 0;
    // `request` is a VIDIOC_* code and `argument` its structure; 0, or the errno value.
    virtual int ioctl(unsigned long request, void* argument) = 0;
};

using RadioDeviceFactory = std::function<std::unique_ptr<RadioDevice>()>;

} // namespace velto
