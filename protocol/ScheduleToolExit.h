// How the schedule tool ends: its exit status, which the broker hands back to the program.
#pragma once

enum class ScheduleToolExit : int {
    Ok = 0,
    Failed = 1,      // a systemd command or the RTC failed
    Refused = 2,     // the arguments are not one of the accepted shapes
    NoSystemd = 3,   // systemd is not the init system here
    NotRoot = 4,     //
    NotWakeable = 5, // systemd refused a wake-up timer: no alarm clock can wake the machine
    TooMany = 6,     // the user already has the most wake-ups the tool keeps
    // The RTC refused an alarm that far ahead: a wake-up's timer is set all the same (it
    // wakes from suspend, not from power-off); the probe found alarms limited to 24 h.
    AlarmLimited = 7,
    AlarmReplaced = 8, // the wake-up is set; it replaced an RTC alarm another program had set
};
