// The RTC wake alarm through sysfs: <root>/class/rtc/rtc0/wakealarm, in seconds since 1970
// (the RTC is taken to keep UTC, systemd's default).
#pragma once

#include "helper/IRtcAlarm.h"

#include <string>

class SysfsRtcAlarm : public IRtcAlarm {
public:
    explicit SysfsRtcAlarm(std::string sysfsRoot);

    bool present() override;
    std::optional<std::int64_t> read() override;
    WriteResult write(std::int64_t unixTime) override;

    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};
