// A folder laid out as the kernel's sysfs shows an RTC, and an adjtime beside it, for the
// wake check's tests: <root>/sys/class/rtc/rtc0 (a link to the device's rtc folder, as in
// sysfs), its wakealarm and since_epoch, and the RTC device's wakeup source.
#pragma once

#include "tests/support/ScratchFiles.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

class RtcFolder {
public:
    RtcFolder() : m_root(makeScratchFolder()) {
        std::filesystem::create_directories(sysfs() + "/class/rtc");
    }
    ~RtcFolder() { std::filesystem::remove_all(m_root); }
    RtcFolder(RtcFolder const&) = delete;
    RtcFolder& operator=(RtcFolder const&) = delete;

    std::string const& root() const { return m_root; }
    std::string sysfs() const { return m_root + "/sys"; }
    std::string adjtime() const { return m_root + "/adjtime"; }
    std::string device() const { return sysfs() + "/devices/pnp0/00:01"; }
    std::string rtc() const { return sysfs() + "/class/rtc/rtc0"; }

    // An RTC whose clock reads clock; with a wakealarm (empty: none set) unless told not.
    void addRtc(std::int64_t clock, bool wakeAlarm = true) {
        std::string const folder = device() + "/rtc/rtc0";
        std::filesystem::create_directories(folder);
        std::filesystem::create_directory_symlink(folder, rtc());
        std::filesystem::create_directory_symlink(device(), folder + "/device");
        writeFile(folder + "/since_epoch", std::to_string(clock) + "\n");
        if (wakeAlarm) {
            writeFile(folder + "/wakealarm", "");
        }
        std::filesystem::create_directories(device() + "/power");
        writeFile(device() + "/power/wakeup", "enabled\n");
    }
    void setAlarm(std::optional<std::int64_t> alarm) {
        writeFile(rtc() + "/wakealarm", alarm ? std::to_string(*alarm) + "\n" : "");
    }
    std::string alarmPath() const { return rtc() + "/wakealarm"; }
    // The wakeup source of the RTC's device, as /sys/class/wakeup lists it, beside another.
    void setWakeEvents(std::uint64_t count) {
        std::string const sources = sysfs() + "/class/wakeup";
        if (!std::filesystem::exists(sources + "/wakeup0")) {
            std::string const other = sysfs() + "/devices/other";
            std::filesystem::create_directories(other);
            std::filesystem::create_directories(sources + "/wakeup0");
            std::filesystem::create_directory_symlink(other, sources + "/wakeup0/device");
            writeFile(sources + "/wakeup0/event_count", "99\n");
            std::filesystem::create_directories(sources + "/wakeup1");
            std::filesystem::create_directory_symlink(device(), sources + "/wakeup1/device");
        }
        writeFile(sources + "/wakeup1/event_count", std::to_string(count) + "\n");
    }
    void writeAdjtime(char const* mode) {
        writeFile(adjtime(),
                  std::string("0.000000 1714500000 0.000000\n1714500000\n") + mode + "\n");
    }

private:
    std::string m_root;
};
