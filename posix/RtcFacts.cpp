#include "posix/RtcFacts.h"

#include "posix/SafeFile.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// At most limit bytes of a regular file; nothing when it cannot be read.
std::optional<std::string> readSmall(std::string const& path, std::size_t limit = 4096) {
    int const fd = openRegularForReading(path);
    if (fd < 0) {
        return std::nullopt;
    }
    std::string text(limit, '\0');
    std::size_t used = 0;
    while (used < limit) {
        ssize_t const n = ::read(fd, text.data() + used, limit - used);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n < 0) {
                ::close(fd);
                return std::nullopt;
            }
            break;
        }
        used += static_cast<std::size_t>(n);
    }
    ::close(fd);
    text.resize(used);
    return text;
}

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '\t')) {
        text.pop_back();
    }
    return text;
}

template <typename Number> std::optional<Number> number(std::optional<std::string> const& text) {
    if (!text) {
        return std::nullopt;
    }
    std::string const digits = trimmed(*text);
    Number value{};
    auto const [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return value;
}

bool exists(std::string const& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string resolved(std::string const& path) {
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : std::string();
}

RtcFacts::Adjtime readAdjtime(std::string const& path) {
    if (!exists(path)) {
        return RtcFacts::Adjtime::Missing;
    }
    std::optional<std::string> const text = readSmall(path);
    if (!text) {
        return RtcFacts::Adjtime::Unreadable;
    }
    // Drift, last calibration, then UTC or LOCAL; hwclock takes a missing third line as UTC.
    std::size_t start = 0;
    for (int line = 0; line < 2; ++line) {
        std::size_t const end = text->find('\n', start);
        if (end == std::string::npos) {
            return RtcFacts::Adjtime::Utc;
        }
        start = end + 1;
    }
    std::string const third = trimmed(text->substr(start, text->find('\n', start) - start));
    if (third == "LOCAL") {
        return RtcFacts::Adjtime::Local;
    }
    if (third == "UTC" || third.empty()) {
        return RtcFacts::Adjtime::Utc;
    }
    return RtcFacts::Adjtime::Unreadable;
}

} // namespace

RtcFacts RtcFacts::read(std::string const& sysfsRoot, std::string const& adjtimePath) {
    RtcFacts facts;
    std::string const rtc = sysfsRoot + "/class/rtc/rtc0";
    facts.present = exists(rtc);
    facts.adjtime = readAdjtime(adjtimePath);
    if (!facts.present) {
        return facts;
    }
    facts.wakeAlarm = exists(rtc + "/wakealarm");
    if (facts.wakeAlarm) {
        // Empty while no alarm is set.
        std::optional<std::int64_t> const alarm =
            number<std::int64_t>(readSmall(rtc + "/wakealarm"));
        if (alarm && *alarm > 0) {
            facts.alarm = alarm;
        }
    }
    facts.clock = number<std::int64_t>(readSmall(rtc + "/since_epoch"));
    if (std::optional<std::string> const wakeup = readSmall(rtc + "/device/power/wakeup")) {
        facts.wakeEnabled = trimmed(*wakeup) != "disabled";
    }
    facts.wakeEvents = readWakeEvents(sysfsRoot);
    return facts;
}

std::optional<std::uint64_t> RtcFacts::readWakeEvents(std::string const& sysfsRoot) {
    std::string const device = resolved(sysfsRoot + "/class/rtc/rtc0/device");
    if (device.empty()) {
        return std::nullopt;
    }
    // The wakeup source whose device is the RTC's (kernel 5.4 and later) ...
    std::string const sources = sysfsRoot + "/class/wakeup";
    if (DIR* dir = ::opendir(sources.c_str())) {
        std::optional<std::uint64_t> found;
        while (dirent* entry = ::readdir(dir)) {
            std::string const name = entry->d_name;
            if (name.rfind("wakeup", 0) != 0) {
                continue;
            }
            std::string const source = sources + "/" + name;
            if (resolved(source + "/device") == device) {
                found = number<std::uint64_t>(readSmall(source + "/event_count"));
                break;
            }
        }
        ::closedir(dir);
        if (found) {
            return found;
        }
    }
    // ... or the device's own count, where the kernel has no wakeup class.
    return number<std::uint64_t>(readSmall(device + "/power/wakeup_count"));
}

RtcFacts::Judgement RtcFacts::judgeClock(std::int64_t now, long zoneOffset) const {
    Judgement judgement;
    if (clock) {
        judgement.offset = static_cast<long>(*clock - now);
        bool const readsUtc = std::labs(judgement.offset) <= kClockTolerance;
        bool const readsLocal = std::labs(judgement.offset - zoneOffset) <= kClockTolerance;
        // In a zone at UTC the two are the same, and either answer writes the same alarm.
        if (readsUtc != readsLocal) {
            judgement.measured = true;
            judgement.clock = readsLocal ? schedule::RtcClock::Local : schedule::RtcClock::Utc;
            return judgement;
        }
    }
    judgement.clock =
        adjtime == Adjtime::Local ? schedule::RtcClock::Local : schedule::RtcClock::Utc;
    return judgement;
}

long zoneOffsetAt(std::int64_t unixTime) {
    std::time_t const t = static_cast<std::time_t>(unixTime);
    std::tm parts{};
    return localtime_r(&t, &parts) != nullptr ? parts.tm_gmtoff : 0;
}
