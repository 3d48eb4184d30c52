#include "platform/linux/LocalCalendar.h"

#include <cmath>
#include <ctime>

int LocalCalendar::dayOfWeek(double instant) {
    if (!std::isfinite(instant)) {
        return -1;
    }
    double const whole = std::floor(instant);
    // Stay well inside time_t and the year range localtime_r can express.
    if (whole < -6.7e10 || whole > 6.7e10) {
        return -1;
    }
    std::time_t const t = static_cast<std::time_t>(whole);
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr) {
        return -1;
    }
    return local.tm_wday;
}
