/* Preloaded into the tests' live systemd only. A machine without an RTC has no alarm clocks,
 * and systemd refuses WakeSystem=true timers when clock_gettime(CLOCK_REALTIME_ALARM) fails.
 * This answers that probe (and its boottime twin) from the plain clocks, so that wake-up
 * timers arm as they would on a machine that can be woken. Nothing else changes. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <time.h>

int clock_gettime(clockid_t clock, struct timespec* now) {
    static int (*real)(clockid_t, struct timespec*);
    if (real == NULL) {
        real = (int (*)(clockid_t, struct timespec*))dlsym(RTLD_NEXT, "clock_gettime");
    }
    if (clock == CLOCK_REALTIME_ALARM) {
        clock = CLOCK_REALTIME;
    } else if (clock == CLOCK_BOOTTIME_ALARM) {
        clock = CLOCK_BOOTTIME;
    }
    return real(clock, now);
}
