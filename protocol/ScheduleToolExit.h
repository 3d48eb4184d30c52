// How the schedule tool ends: its exit status, which the broker hands back to the program.
#pragma once

enum class ScheduleToolExit : int {
    Ok = 0,
    Failed = 1,      // a systemd command or the RTC failed
    Refused = 2,     // the arguments are not one of the four accepted shapes
    NoSystemd = 3,   // systemd is not the init system here
    NotRoot = 4,     //
    NotWakeable = 5, // systemd refused a wake-up timer: no alarm clock can wake the machine
    TooMany = 6,     // the user already has the most wake-ups the tool keeps
};
