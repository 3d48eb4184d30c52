<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name></name>
    <message id="AppTitle">
        <source>Velto Timer Recorder</source>
        <translation>Velto Timer Recorder</translation>
    </message>
    <message id="IDS_ADD">
        <source>Add</source>
        <translation>Add</translation>
    </message>
    <message id="IDS_DELETE">
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message id="IDS_EDIT">
        <source>Edit</source>
        <translation>Edit</translation>
    </message>
    <message id="IDS_CONFIG">
        <source>Settings</source>
        <translation>Settings</translation>
    </message>
    <message id="IDS_TASK_TRAY">
        <source>Hide</source>
        <translation>Hide</translation>
    </message>
    <message id="IDS_EXIT">
        <source>Exit</source>
        <translation>Exit</translation>
    </message>
    <message id="IDS_MARU">
        <source>✓</source>
        <translation>✓</translation>
    </message>
    <message id="sun">
        <source>Sunday</source>
        <translation>Sunday</translation>
    </message>
    <message id="mon">
        <source>Monday</source>
        <translation>Monday</translation>
    </message>
    <message id="tue">
        <source>Tuesday</source>
        <translation>Tuesday</translation>
    </message>
    <message id="wed">
        <source>Wednesday</source>
        <translation>Wednesday</translation>
    </message>
    <message id="thu">
        <source>Thursday</source>
        <translation>Thursday</translation>
    </message>
    <message id="fri">
        <source>Friday</source>
        <translation>Friday</translation>
    </message>
    <message id="sat">
        <source>Saturday</source>
        <translation>Saturday</translation>
    </message>
    <message id="IDS_WARN_OVERWRAP_TASK">
        <source>This reservation overlaps the time of another reservation. Both are kept; only one of them can be recorded.</source>
        <translation>This reservation overlaps the time of another reservation. Both are kept; only one of them can be recorded.</translation>
    </message>
    <message id="IDS_WARN_DELETE_SELECTED_TASK">
        <source>Delete the selected reservations?</source>
        <translation>Delete the selected reservations?</translation>
    </message>
    <message id="IDS_WARN_DELETE_ALL_TASK">
        <source>Delete all reservations?</source>
        <translation>Delete all reservations?</translation>
    </message>
    <message id="IDS_RECTIME_HOURANDMINUTE">
        <source>Recording time: %1 h %2 min</source>
        <translation>Recording time: %1 h %2 min</translation>
    </message>
    <message id="IDS_RECTIME_MINUTE">
        <source>Recording time: %1 min</source>
        <translation>Recording time: %1 min</translation>
    </message>
    <message id="IDS_ERR_TOO_LONG_TITLE">
        <source>The title is too long. Use at most 255 bytes (about 85 Japanese characters).</source>
        <translation>The title is too long. Use at most 255 bytes (about 85 Japanese characters).</translation>
    </message>
    <message id="IDS_ERR_INVALID_FREQ">
        <source>The frequency is not valid. AM: 522 to 1602 kHz in steps of 9 kHz. FM: 76.0 to 94.9 MHz.</source>
        <translation>The frequency is not valid. AM: 522 to 1602 kHz in steps of 9 kHz. FM: 76.0 to 94.9 MHz.</translation>
    </message>
    <message id="IDS_ERR_PASSED_REC_TIME">
        <source>The end time of this recording has already passed.</source>
        <translation>The end time of this recording has already passed.</translation>
    </message>
    <message id="IDS_CONFIG_RESTORE">
        <source> minutes before</source>
        <translation> minutes before</translation>
    </message>
    <message id="IDS_WARN_USE_ACPI">
        <source>To wake the computer for recordings, you will be asked for an administrator password, and the computer must be able to wake from its real-time clock alarm. Leave it suspended or powered off (not unplugged).</source>
        <translation>To wake the computer for recordings, you will be asked for an administrator password, and the computer must be able to wake from its real-time clock alarm. Leave it suspended or powered off (not unplugged).</translation>
    </message>
    <message id="IDS_WARN_ABOUT_EXIT">
        <source>Some reservations are still waiting to be recorded. If you exit now, they will not be recorded. Exit anyway?</source>
        <translation>Some reservations are still waiting to be recorded. If you exit now, they will not be recorded. Exit anyway?</translation>
    </message>
    <message id="IDS_PROGCOUNT_SHUTDOWN">
        <source>Exiting in %1 s.</source>
        <translation>Exiting in %1 s.</translation>
    </message>
    <message id="IDS_REGIST_WINDOW_TITLE">
        <source>Recording Reservation</source>
        <translation>Recording Reservation</translation>
    </message>
    <message id="IDS_REGIST_DATE">
        <source>Date:</source>
        <translation>Date:</translation>
    </message>
    <message id="IDS_REGIST_START">
        <source>Start:</source>
        <translation>Start:</translation>
    </message>
    <message id="IDS_REGIST_END">
        <source>End:</source>
        <translation>End:</translation>
    </message>
    <message id="IDS_REGIST_CHANNEL">
        <source>Frequency:</source>
        <translation>Frequency:</translation>
    </message>
    <message id="IDS_REGIST_STATION">
        <source>Station:</source>
        <translation>Station:</translation>
    </message>
    <message id="IDS_REGIST_PROGRAM">
        <source>Title:</source>
        <translation>Title:</translation>
    </message>
    <message id="IDS_REGIST_WEEKLY">
        <source>Every week on:</source>
        <translation>Every week on:</translation>
    </message>
    <message id="IDS_REGIST_SUN">
        <source>Sun</source>
        <translation>Sun</translation>
    </message>
    <message id="IDS_REGIST_MON">
        <source>Mon</source>
        <translation>Mon</translation>
    </message>
    <message id="IDS_REGIST_TUE">
        <source>Tue</source>
        <translation>Tue</translation>
    </message>
    <message id="IDS_REGIST_WED">
        <source>Wed</source>
        <translation>Wed</translation>
    </message>
    <message id="IDS_REGIST_THU">
        <source>Thu</source>
        <translation>Thu</translation>
    </message>
    <message id="IDS_REGIST_FRI">
        <source>Fri</source>
        <translation>Fri</translation>
    </message>
    <message id="IDS_REGIST_SAT">
        <source>Sat</source>
        <translation>Sat</translation>
    </message>
    <message id="IDS_REGIST_OK">
        <source>Register</source>
        <translation>Register</translation>
    </message>
    <message id="IDS_REGIST_CANCEL">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="IDS_CONFIG_WINDOW_TITLE">
        <source>Power Settings</source>
        <translation>Power Settings</translation>
    </message>
    <message id="IDS_CONFIG_GROUP_POWER">
        <source>Sleep and Wake-up</source>
        <translation>Sleep and Wake-up</translation>
    </message>
    <message id="IDS_CONFIG_ALLOW_SUSPEND">
        <source>Allow the computer to sleep when idle</source>
        <translation>Allow the computer to sleep when idle</translation>
    </message>
    <message id="IDS_CONFIG_USE_ACPI">
        <source>Wake the computer before each reservation</source>
        <translation>Wake the computer before each reservation</translation>
    </message>
    <message id="IDS_CONFIG_RESTORE_CAPTION">
        <source>Wake up:</source>
        <translation>Wake up:</translation>
    </message>
    <message id="IDS_CONFIG_GROUP_AFTER">
        <source>After Recording</source>
        <translation>After Recording</translation>
    </message>
    <message id="IDS_CONFIG_EXIT_AFTER_RECORD">
        <source>Quit Velto after each recording</source>
        <translation>Quit Velto after each recording</translation>
    </message>
    <message id="IDS_CONFIG_SHUTDOWN">
        <source>Shut down the computer after the last reservation</source>
        <translation>Shut down the computer after the last reservation</translation>
    </message>
    <message id="IDS_BUTTON_OK">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="IDS_BUTTON_CANCEL">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="IDS_TRAY_SHOW">
        <source>&amp;Show</source>
        <translation>&amp;Show</translation>
    </message>
    <message id="IDS_COL_DATE">
        <source>Date</source>
        <translation>Date</translation>
    </message>
    <message id="IDS_COL_WEEKLY">
        <source>Weekly</source>
        <translation>Weekly</translation>
    </message>
    <message id="IDS_COL_START">
        <source>Start</source>
        <translation>Start</translation>
    </message>
    <message id="IDS_COL_END">
        <source>End</source>
        <translation>End</translation>
    </message>
    <message id="IDS_COL_CHANNEL">
        <source>Frequency</source>
        <translation>Frequency</translation>
    </message>
    <message id="IDS_COL_STATION">
        <source>Station</source>
        <translation>Station</translation>
    </message>
    <message id="IDS_COL_TITLE">
        <source>Title</source>
        <translation>Title</translation>
    </message>
    <message id="IDS_TIP_OVER">
        <source>Missed: the time of this reservation passed without a recording.</source>
        <translation>Missed: the time of this reservation passed without a recording.</translation>
    </message>
    <message id="IDS_TIP_OFF">
        <source>Switched off: this reservation will not be recorded.</source>
        <translation>Switched off: this reservation will not be recorded.</translation>
    </message>
    <message id="IDS_TIP_OVERLAP">
        <source>Overlaps another reservation: only one of them can be recorded.</source>
        <translation>Overlaps another reservation: only one of them can be recorded.</translation>
    </message>
    <message id="IDS_MENU_FILE">
        <source>&amp;File</source>
        <translation>&amp;File</translation>
    </message>
    <message id="IDS_MENU_RESERVATION">
        <source>&amp;Reservation</source>
        <translation>&amp;Reservation</translation>
    </message>
    <message id="IDS_MENU_NEW">
        <source>&amp;New Reservation…</source>
        <translation>&amp;New Reservation…</translation>
    </message>
    <message id="IDS_MENU_EDIT">
        <source>&amp;Edit Reservation…</source>
        <translation>&amp;Edit Reservation…</translation>
    </message>
    <message id="IDS_MENU_DELETE">
        <source>&amp;Delete Selected Reservations…</source>
        <translation>&amp;Delete Selected Reservations…</translation>
    </message>
    <message id="IDS_MENU_DELETE_OVER">
        <source>Delete &amp;Missed Reservations</source>
        <translation>Delete &amp;Missed Reservations</translation>
    </message>
    <message id="IDS_MENU_DELETE_ALL">
        <source>Delete &amp;All Reservations…</source>
        <translation>Delete &amp;All Reservations…</translation>
    </message>
    <message id="IDS_MENU_SWITCH_ON">
        <source>Switch &amp;On</source>
        <translation>Switch &amp;On</translation>
    </message>
    <message id="IDS_MENU_SWITCH_OFF">
        <source>Switch O&amp;ff</source>
        <translation>Switch O&amp;ff</translation>
    </message>
    <message id="IDS_MENU_SETTINGS">
        <source>&amp;Settings…</source>
        <translation>&amp;Settings…</translation>
    </message>
    <message id="IDS_MENU_CLOSE">
        <source>&amp;Close Window</source>
        <translation>&amp;Close Window</translation>
    </message>
    <message id="IDS_MENU_DUAL_CLOSE">
        <source>Close &amp;Together with Velto</source>
        <translation>Close &amp;Together with Velto</translation>
    </message>
    <message id="IDS_MENU_QUIT">
        <source>E&amp;xit</source>
        <translation>E&amp;xit</translation>
    </message>
    <message id="IDS_ERR_ALREADY_RUNNING">
        <source>Another copy of this program is already using the reservations in this folder. Close it before starting the program again.</source>
        <translation>Another copy of this program is already using the reservations in this folder. Close it before starting the program again.</translation>
    </message>
    <message id="IDS_CLI_READ_FAILED">
        <source>The reservation file %1 could not be read. Start the program once: it keeps a copy of a damaged file and goes on with what it can read.</source>
        <translation>The reservation file %1 could not be read. Start the program once: it keeps a copy of a damaged file and goes on with what it can read.</translation>
    </message>
    <message id="IDS_REQ_SAVE_FAILED">
        <source>The reservations could not be saved to %1.</source>
        <translation>The reservations could not be saved to %1.</translation>
    </message>
    <message id="IDS_CLI_NO_ANSWER">
        <source>The running program did not answer (%1).</source>
        <translation>The running program did not answer (%1).</translation>
    </message>
    <message id="IDS_REQ_NOT_READY">
        <source>The program is starting or closing. Try again in a moment.</source>
        <translation>The program is starting or closing. Try again in a moment.</translation>
    </message>
    <message id="IDS_CLI_HELP_HINT">
        <source>See “resvman --help”.</source>
        <translation>See “resvman --help”.</translation>
    </message>
    <message id="IDS_CLI_LOCKED">
        <source>The program is using the reservations in %1 but cannot be reached over the session bus. Give the command in the session where the program runs, or set DBUS_SESSION_BUS_ADDRESS to that session&apos;s bus.</source>
        <translation>The program is using the reservations in %1 but cannot be reached over the session bus. Give the command in the session where the program runs, or set DBUS_SESSION_BUS_ADDRESS to that session&apos;s bus.</translation>
    </message>
    <message id="IDS_CLI_PLAN_LATER">
        <source>The program is not running: the reservation file was changed directly. The wake-up plan is brought up to date when the program next starts.</source>
        <translation>The program is not running: the reservation file was changed directly. The wake-up plan is brought up to date when the program next starts.</translation>
    </message>
    <message id="IDS_CLI_STATE_MISSED">
        <source>missed</source>
        <translation>missed</translation>
    </message>
    <message id="IDS_CLI_STATE_OFF">
        <source>off</source>
        <translation>off</translation>
    </message>
    <message id="IDS_CLI_STATE_OVERLAPPING">
        <source>overlapping</source>
        <translation>overlapping</translation>
    </message>
    <message id="IDS_CLI_STATE_WAITING">
        <source>waiting</source>
        <translation>waiting</translation>
    </message>
    <message id="IDS_CLI_NO_RESERVATIONS">
        <source>No reservations.</source>
        <translation>No reservations.</translation>
    </message>
    <message id="IDS_CLI_COL_STATE">
        <source>State</source>
        <translation>State</translation>
    </message>
    <message id="IDS_CLI_BAD_ARGUMENT_LIST">
        <source>list: unknown argument “%1”.</source>
        <translation>list: unknown argument “%1”.</translation>
    </message>
    <message id="IDS_CLI_BAD_ARGUMENT_ADD">
        <source>add: unknown argument “%1”.</source>
        <translation>add: unknown argument “%1”.</translation>
    </message>
    <message id="IDS_CLI_TWICE">
        <source>add: “%1” is given twice.</source>
        <translation>add: “%1” is given twice.</translation>
    </message>
    <message id="IDS_CLI_NEEDS_VALUE">
        <source>add: “%1” needs a value.</source>
        <translation>add: “%1” needs a value.</translation>
    </message>
    <message id="IDS_CLI_BAD_ID">
        <source>“%1” is not a reservation id. The ids are the numbers that “resvman list” shows.</source>
        <translation>“%1” is not a reservation id. The ids are the numbers that “resvman list” shows.</translation>
    </message>
    <message id="IDS_CLI_EXPORT_USAGE">
        <source>export: give --ics and, if you like, a file to write (standard output otherwise).</source>
        <translation>export: give --ics and, if you like, a file to write (standard output otherwise).</translation>
    </message>
    <message id="IDS_CLI_WRITE_FAILED">
        <source>The calendar could not be written to %1.</source>
        <translation>The calendar could not be written to %1.</translation>
    </message>
    <message id="IDS_CLI_HELP_LIST">
        <source>show the reservations, as text or as JSON</source>
        <translation>show the reservations, as text or as JSON</translation>
    </message>
    <message id="IDS_CLI_HELP_ADD">
        <source>add a reservation (switched off with --off) and print its id</source>
        <translation>add a reservation (switched off with --off) and print its id</translation>
    </message>
    <message id="IDS_CLI_HELP_REMOVE">
        <source>delete reservations</source>
        <translation>delete reservations</translation>
    </message>
    <message id="IDS_CLI_HELP_ENABLE">
        <source>switch reservations on</source>
        <translation>switch reservations on</translation>
    </message>
    <message id="IDS_CLI_HELP_DISABLE">
        <source>switch reservations off</source>
        <translation>switch reservations off</translation>
    </message>
    <message id="IDS_CLI_HELP_EXPORT">
        <source>write the switched-on reservations as an iCalendar file (to standard output without FILE)</source>
        <translation>write the switched-on reservations as an iCalendar file (to standard output without FILE)</translation>
    </message>
    <message id="IDS_CLI_USAGE">
        <source>Usage:</source>
        <translation>Usage:</translation>
    </message>
    <message id="IDS_CLI_HELP_START">
        <source>start the program and show its window</source>
        <translation>start the program and show its window</translation>
    </message>
    <message id="IDS_CLI_HELP_HELP">
        <source>show this help</source>
        <translation>show this help</translation>
    </message>
    <message id="IDS_CLI_HELP_VERSION">
        <source>show the version</source>
        <translation>show the version</translation>
    </message>
    <message id="IDS_CLI_HELP_NOTES">
        <source>Dates and times are in this computer&apos;s time zone; an end at or before the start ends on the next day. Times from 24:00 to 29:59 are the small hours after the day, as programme guides write them: --date 2025-03-03 --start 25:00 is 4 March at 1:00, and --weekly mon --start 25:00 records every Tuesday at 1:00. While the program runs, the commands go through it; otherwise they change the reservation file directly, and the wake-up plan catches up at the program&apos;s next start.</source>
        <translation>Dates and times are in this computer&apos;s time zone; an end at or before the start ends on the next day. Times from 24:00 to 29:59 are the small hours after the day, as programme guides write them: --date 2025-03-03 --start 25:00 is 4 March at 1:00, and --weekly mon --start 25:00 records every Tuesday at 1:00. While the program runs, the commands go through it; otherwise they change the reservation file directly, and the wake-up plan catches up at the program&apos;s next start.</translation>
    </message>
    <message id="IDS_CLI_HELP_EXIT">
        <source>Exit status: 0 done, 1 the reservation file could not be read or saved, 2 the command was refused and nothing was changed.</source>
        <translation>Exit status: 0 done, 1 the reservation file could not be read or saved, 2 the command was refused and nothing was changed.</translation>
    </message>
    <message id="IDS_CLI_OUTPUT_FAILED">
        <source>The output could not be written.</source>
        <translation>The output could not be written.</translation>
    </message>
    <message id="IDS_REQ_BAD_VALUE">
        <source>The value of “%1” has the wrong type.</source>
        <translation>The value of “%1” has the wrong type.</translation>
    </message>
    <message id="IDS_REQ_NEED_DATE">
        <source>Give the day of the recording as YYYY-MM-DD.</source>
        <translation>Give the day of the recording as YYYY-MM-DD.</translation>
    </message>
    <message id="IDS_REQ_BAD_DATE">
        <source>“%1” is not a date. Write the day as YYYY-MM-DD, for example 2025-03-01.</source>
        <translation>“%1” is not a date. Write the day as YYYY-MM-DD, for example 2025-03-01.</translation>
    </message>
    <message id="IDS_REQ_NEED_TIME">
        <source>Give the start and end times as HH:MM.</source>
        <translation>Give the start and end times as HH:MM.</translation>
    </message>
    <message id="IDS_REQ_BAD_TIME">
        <source>“%1” is not a time of day. Write it as HH:MM, from 00:00 to 29:59 (25:00 is 1:00 the next morning).</source>
        <translation>“%1” is not a time of day. Write it as HH:MM, from 00:00 to 29:59 (25:00 is 1:00 the next morning).</translation>
    </message>
    <message id="IDS_REQ_BAD_WEEKDAY">
        <source>“%1” is not a weekday. Use sun, mon, tue, wed, thu, fri and sat, separated by commas.</source>
        <translation>“%1” is not a weekday. Use sun, mon, tue, wed, thu, fri and sat, separated by commas.</translation>
    </message>
    <message id="IDS_REQ_UNKNOWN_FIELD">
        <source>“%1” is not a field of a reservation.</source>
        <translation>“%1” is not a field of a reservation.</translation>
    </message>
    <message id="IDS_REQ_NEED_CHANNEL">
        <source>Give the channel: an FM frequency in MHz or an AM frequency in kHz, one of the two.</source>
        <translation>Give the channel: an FM frequency in MHz or an AM frequency in kHz, one of the two.</translation>
    </message>
    <message id="IDS_REQ_NEED_TITLE">
        <source>Give the title of the recording.</source>
        <translation>Give the title of the recording.</translation>
    </message>
    <message id="IDS_REQ_NO_IDS">
        <source>Give the id of at least one reservation.</source>
        <translation>Give the id of at least one reservation.</translation>
    </message>
    <message id="IDS_REQ_UNKNOWN_ID">
        <source>There is no reservation with the id %1.</source>
        <translation>There is no reservation with the id %1.</translation>
    </message>
    <message id="IDS_REQ_LIST_FULL">
        <source>The list is full: it already holds 10000 reservations.</source>
        <translation>The list is full: it already holds 10000 reservations.</translation>
    </message>
    <message id="IDS_REQ_SWITCH_OVER">
        <source>Reservation %1 is over: it can no longer be switched on or off. Delete it, or edit it in the window.</source>
        <translation>Reservation %1 is over: it can no longer be switched on or off. Delete it, or edit it in the window.</translation>
    </message>
    <message id="IDS_REQ_TOO_MANY_IDS">
        <source>Give at most 10000 ids.</source>
        <translation>Give at most 10000 ids.</translation>
    </message>
    <message id="IDS_HIST_LEAD_BEFORE">
        <source>%1 s before the start</source>
        <translation>%1 s before the start</translation>
    </message>
    <message id="IDS_HIST_LEAD_AFTER">
        <source>%1 s after the start</source>
        <translation>%1 s after the start</translation>
    </message>
    <message id="IDS_HIST_COMPANION_NOT_STARTED">
        <source>Velto could not be started: nobody received the recording.</source>
        <translation>Velto could not be started: nobody received the recording.</translation>
    </message>
    <message id="IDS_HIST_COMPANION_GONE">
        <source>Velto was not running when the recording was sent (%1): nobody received it.</source>
        <translation>Velto was not running when the recording was sent (%1): nobody received it.</translation>
    </message>
    <message id="IDS_HIST_COMPANION_RUNNING">
        <source>Velto was already running; sent %1.</source>
        <translation>Velto was already running; sent %1.</translation>
    </message>
    <message id="IDS_HIST_COMPANION_STARTED">
        <source>Velto was started; sent %1.</source>
        <translation>Velto was started; sent %1.</translation>
    </message>
    <message id="IDS_WAKE_ON_TIME">
        <source>On time for the wake-up planned at %1.</source>
        <translation>On time for the wake-up planned at %1.</translation>
    </message>
    <message id="IDS_WAKE_LATE">
        <source>%1 min after the wake-up planned at %2.</source>
        <translation>%1 min after the wake-up planned at %2.</translation>
    </message>
    <message id="IDS_WAKE_BY_HAND">
        <source>No wake-up was planned for this moment.</source>
        <translation>No wake-up was planned for this moment.</translation>
    </message>
    <message id="IDS_HIST_HANDED_OVER_NOBODY">
        <source>Handed over, but Velto did not receive it</source>
        <translation>Handed over, but Velto did not receive it</translation>
    </message>
    <message id="IDS_HIST_HANDED_OVER">
        <source>Handed over to Velto</source>
        <translation>Handed over to Velto</translation>
    </message>
    <message id="IDS_HIST_MISSED">
        <source>Missed</source>
        <translation>Missed</translation>
    </message>
    <message id="IDS_HIST_BOOTED">
        <source>Computer started</source>
        <translation>Computer started</translation>
    </message>
    <message id="IDS_HIST_WOKE">
        <source>Computer woke from sleep</source>
        <translation>Computer woke from sleep</translation>
    </message>
    <message id="IDS_HIST_SLEEP">
        <source>Computer went to sleep</source>
        <translation>Computer went to sleep</translation>
    </message>
    <message id="IDS_HIST_PROGRAM_STARTED">
        <source>%1 started</source>
        <translation>%1 started</translation>
    </message>
    <message id="IDS_HIST_PROGRAM_EXITED">
        <source>%1 ended</source>
        <translation>%1 ended</translation>
    </message>
    <message id="IDS_HIST_WAKEUPS_NONE">
        <source>No wake-ups planned</source>
        <translation>No wake-ups planned</translation>
    </message>
    <message id="IDS_HIST_WAKEUPS" numerus="yes">
        <source>%n wake-up(s) planned</source>
        <translation>
            <numerusform>%n wake-up planned</numerusform>
            <numerusform>%n wake-ups planned</numerusform>
        </translation>
    </message>
    <message id="IDS_HIST_SHUTDOWN">
        <source>Shutdown planned</source>
        <translation>Shutdown planned</translation>
    </message>
    <message id="IDS_HIST_SHUTDOWN_CANCELLED">
        <source>Planned shutdown cancelled</source>
        <translation>Planned shutdown cancelled</translation>
    </message>
    <message id="IDS_REASON_NOT_RUNNING">
        <source>%1 was not running at its start time.</source>
        <translation>%1 was not running at its start time.</translation>
    </message>
    <message id="IDS_REASON_ASLEEP_OR_OFF">
        <source>The computer was asleep or switched off at its start time.</source>
        <translation>The computer was asleep or switched off at its start time.</translation>
    </message>
    <message id="IDS_REASON_WOKE_LATE">
        <source>The computer woke up too late: a wake-up was planned, but it came up after the start time.</source>
        <translation>The computer woke up too late: a wake-up was planned, but it came up after the start time.</translation>
    </message>
    <message id="IDS_REASON_SWITCHED_OFF">
        <source>The reservation was switched off at its start time.</source>
        <translation>The reservation was switched off at its start time.</translation>
    </message>
    <message id="IDS_REASON_UNKNOWN">
        <source>The reason is not known: the history holds nothing about that time.</source>
        <translation>The reason is not known: the history holds nothing about that time.</translation>
    </message>
    <message id="IDS_HIST_EXIT_COMMAND">
        <source>Ended with the Exit command.</source>
        <translation>Ended with the Exit command.</translation>
    </message>
    <message id="IDS_HIST_EXIT_ENDED">
        <source>Ended with the session or by the system.</source>
        <translation>Ended with the session or by the system.</translation>
    </message>
    <message id="IDS_HIST_NEXT">
        <source>Next: %1</source>
        <translation>Next: %1</translation>
    </message>
    <message id="IDS_HIST_AT">
        <source>At %1</source>
        <translation>At %1</translation>
    </message>
    <message id="IDS_NOTIFY_QUOTED">
        <source>“%1”</source>
        <translation>“%1”</translation>
    </message>
    <message id="IDS_NOTIFY_SHOW_HISTORY">
        <source>Show History</source>
        <translation>Show History</translation>
    </message>
    <message id="IDS_NOTIFY_LIST_SEPARATOR">
        <source>, </source>
        <translation>, </translation>
    </message>
    <message id="IDS_NOTIFY_AND_MORE" numerus="yes">
        <source> and %n more</source>
        <translation>
            <numerusform> and %n more</numerusform>
            <numerusform> and %n more</numerusform>
        </translation>
    </message>
    <message id="IDS_NOTIFY_STARTUP_TITLE">
        <source>Recordings were missed</source>
        <translation>Recordings were missed</translation>
    </message>
    <message id="IDS_NOTIFY_STARTUP_MISSED" numerus="yes">
        <source>%n recording(s) were missed while %1 was not running: %2</source>
        <translation>
            <numerusform>%n recording was missed while %1 was not running: %2</numerusform>
            <numerusform>%n recordings were missed while %1 was not running: %2</numerusform>
        </translation>
    </message>
    <message id="IDS_NOTIFY_MISSED">
        <source>Recording missed: %1</source>
        <translation>Recording missed: %1</translation>
    </message>
    <message id="IDS_NOTIFY_NOBODY">
        <source>Velto did not receive the recording: %1</source>
        <translation>Velto did not receive the recording: %1</translation>
    </message>
    <message id="IDS_NOTIFY_WAKE_LATE">
        <source>The computer woke up late</source>
        <translation>The computer woke up late</translation>
    </message>
    <message id="IDS_NOTIFY_WAKE_LATE_BODY">
        <source>The wake-up planned for %1 did not wake the computer in time: it came up at %2.</source>
        <translation>The wake-up planned for %1 did not wake the computer in time: it came up at %2.</translation>
    </message>
    <message id="IDS_HISTORY_COL_TIME">
        <source>Time</source>
        <translation>Time</translation>
    </message>
    <message id="IDS_HISTORY_COL_OUTCOME">
        <source>What happened</source>
        <translation>What happened</translation>
    </message>
    <message id="IDS_HISTORY_COL_REASON">
        <source>Reason</source>
        <translation>Reason</translation>
    </message>
    <message id="IDS_HISTORY_TITLE">
        <source>History — %1</source>
        <translation>History — %1</translation>
    </message>
    <message id="IDS_HISTORY_EMPTY">
        <source>Nothing has happened to a recording yet. Hand-overs, missed recordings and wake-ups will be listed here.</source>
        <translation>Nothing has happened to a recording yet. Hand-overs, missed recordings and wake-ups will be listed here.</translation>
    </message>
    <message id="IDS_HISTORY_CLOSE">
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message id="IDS_MENU_HISTORY">
        <source>&amp;History…</source>
        <translation>&amp;History…</translation>
    </message>
    <message id="IDS_NOTICE_JOURNAL_SET_ASIDE">
        <source>The recording history could not be used (%1). It was kept as %2, and a new history was begun.</source>
        <translation>The recording history could not be used (%1). It was kept as %2, and a new history was begun.</translation>
    </message>
    <message id="IDS_NOTICE_JOURNAL_UNAVAILABLE">
        <source>The recording history cannot be written (%1). Recordings go on, but for now they are not kept in the history.</source>
        <translation>The recording history cannot be written (%1). Recordings go on, but for now they are not kept in the history.</translation>
    </message>
    <message id="IDS_WARN_SAVE_FAILED">
        <source>The reservations could not be saved to %1: %2. The changes since the last save are lost when the program ends.</source>
        <translation>The reservations could not be saved to %1: %2. The changes since the last save are lost when the program ends.</translation>
    </message>
    <message id="IDS_WARN_EXIT_UNSAVED">
        <source>The reservations could not be saved to %1: %2. If you exit now, the changes since the last save are lost. Exit anyway?</source>
        <translation>The reservations could not be saved to %1: %2. If you exit now, the changes since the last save are lost. Exit anyway?</translation>
    </message>
    <message id="IDS_SAVE_REASON_RESCUE">
        <source>a copy of the damaged reservation file could not be kept first</source>
        <translation>a copy of the damaged reservation file could not be kept first</translation>
    </message>
    <message id="IDS_SAVE_REASON_DENIED">
        <source>writing there is not allowed</source>
        <translation>writing there is not allowed</translation>
    </message>
    <message id="IDS_SAVE_REASON_FULL">
        <source>the disk is full</source>
        <translation>the disk is full</translation>
    </message>
    <message id="IDS_SAVE_REASON_READ_ONLY">
        <source>the disk is read-only</source>
        <translation>the disk is read-only</translation>
    </message>
    <message id="IDS_SAVE_REASON_NO_FOLDER">
        <source>its folder does not exist</source>
        <translation>its folder does not exist</translation>
    </message>
    <message id="IDS_SAVE_REASON_NOT_A_FILE">
        <source>something that is not a file has its name</source>
        <translation>something that is not a file has its name</translation>
    </message>
    <message id="IDS_SAVE_REASON_OTHER">
        <source>system error %1</source>
        <translation>system error %1</translation>
    </message>
    <message id="IDS_TRAY_EXIT">
        <source>E&amp;xit</source>
        <translation>E&amp;xit</translation>
    </message>
    <message id="IDS_NOTICE_INSTALL_HELPER">
        <source>%1 Install it in Settings.</source>
        <translation>%1 Install it in Settings.</translation>
    </message>
    <message id="IDS_TRUST_WRITABLE">
        <source>other users can change it</source>
        <translation>other users can change it</translation>
    </message>
    <message id="IDS_TRUST_OWNER">
        <source>it belongs to another user</source>
        <translation>it belongs to another user</translation>
    </message>
    <message id="IDS_TRUST_UNUSABLE">
        <source>it cannot be checked</source>
        <translation>it cannot be checked</translation>
    </message>
    <message id="IDS_NOTICE_DATA_FOLDER">
        <source>The reservations are kept in %1, not beside the program, because %2: %3. Velto.app is looked for there too.</source>
        <translation>The reservations are kept in %1, not beside the program, because %2: %3. Velto.app is looked for there too.</translation>
    </message>
    <message id="IDS_ERR_NO_SAFE_FOLDER">
        <source>The reservations cannot be kept safely, because %1: %2. Correct the owner or the permissions of that folder, then start the program again.</source>
        <translation>The reservations cannot be kept safely, because %1: %2. Correct the owner or the permissions of that folder, then start the program again.</translation>
    </message>
    <message id="IDS_HELPER_UNSAFE">
        <source>Waking and shutting down are unavailable: the installed wake-up helper cannot be run as administrator, because %1: %2.</source>
        <translation>Waking and shutting down are unavailable: the installed wake-up helper cannot be run as administrator, because %1: %2.</translation>
    </message>
    <message id="IDS_HELPER_MISSING">
        <source>Waking and shutting down are unavailable: the wake-up helper is not installed on this computer.</source>
        <translation>Waking and shutting down are unavailable: the wake-up helper is not installed on this computer.</translation>
    </message>
    <message id="IDS_ERR_HELPER_DISMISSED">
        <source>The wake-up helper was not installed: the administrator&apos;s password was not given.</source>
        <translation>The wake-up helper was not installed: the administrator&apos;s password was not given.</translation>
    </message>
    <message id="IDS_ERR_HELPER_UNAVAILABLE">
        <source>The wake-up helper cannot be installed from here (%1). Install the program&apos;s package, or install it with cmake as described in its README.</source>
        <translation>The wake-up helper cannot be installed from here (%1). Install the program&apos;s package, or install it with cmake as described in its README.</translation>
    </message>
    <message id="IDS_ERR_HELPER_FAILED">
        <source>The wake-up helper could not be installed: %1</source>
        <translation>The wake-up helper could not be installed: %1</translation>
    </message>
    <message id="IDS_BUTTON_INSTALL_HELPER">
        <source>Install the wake-up helper</source>
        <translation>Install the wake-up helper</translation>
    </message>
    <message id="IDS_HELPER_INSTALLING">
        <source>Installing the wake-up helper. Enter an administrator&apos;s password when asked.</source>
        <translation>Installing the wake-up helper. Enter an administrator&apos;s password when asked.</translation>
    </message>
    <message id="IDS_MSG_HELPER_INSTALLED">
        <source>The wake-up helper is installed. Waking and shutting down are available.</source>
        <translation>The wake-up helper is installed. Waking and shutting down are available.</translation>
    </message>
    <message id="IDS_CANCEL_SHUTDOWN">
        <source>Cancel shutdown</source>
        <translation>Cancel shutdown</translation>
    </message>
    <message id="IDS_SHUTDOWN_SOON_TITLE">
        <source>The computer will shut down soon</source>
        <translation>The computer will shut down soon</translation>
    </message>
    <message id="IDS_SHUTDOWN_SOON_BODY">
        <source>After the last recording, the computer shuts down at %1.</source>
        <translation>After the last recording, the computer shuts down at %1.</translation>
    </message>
    <message id="IDS_SHUTDOWN_COUNTDOWN">
        <source>The computer will shut down in %1 s.</source>
        <translation>The computer will shut down in %1 s.</translation>
    </message>
    <message id="IDS_PLAN_FAILED">
        <source>Wake-ups are not planned: %1</source>
        <translation>Wake-ups are not planned: %1</translation>
    </message>
    <message id="IDS_PLAN_WHY_NOT_AUTHORIZED">
        <source>the administrator password was not given.</source>
        <translation>the administrator password was not given.</translation>
    </message>
    <message id="IDS_PLAN_WHY_UNAVAILABLE">
        <source>the wake-up helper could not be started.</source>
        <translation>the wake-up helper could not be started.</translation>
    </message>
    <message id="IDS_PLAN_WHY_NO_SYSTEMD">
        <source>this computer does not run systemd.</source>
        <translation>this computer does not run systemd.</translation>
    </message>
    <message id="IDS_PLAN_WHY_NOT_WAKEABLE">
        <source>this computer has no clock alarm that can wake it.</source>
        <translation>this computer has no clock alarm that can wake it.</translation>
    </message>
    <message id="IDS_PLAN_WHY_TIMED_OUT">
        <source>the wake-up helper did not answer in time.</source>
        <translation>the wake-up helper did not answer in time.</translation>
    </message>
    <message id="IDS_PLAN_WHY_TOOL_FAILED">
        <source>the wake-up helper reported an error.</source>
        <translation>the wake-up helper reported an error.</translation>
    </message>
    <message id="IDS_CONFIG_START_AT_LOGIN">
        <source>Start at login (needed to wake from power-off)</source>
        <translation>Start at login (needed to wake from power-off)</translation>
    </message>
    <message id="IDS_ERR_START_AT_LOGIN">
        <source>Could not change the start at login (%1): %2</source>
        <translation>Could not change the start at login (%1): %2</translation>
    </message>
    <message id="IDS_CLI_BAD_ARGUMENT_HISTORY">
        <source>history: unknown argument “%1”.</source>
        <translation>history: unknown argument “%1”.</translation>
    </message>
    <message id="IDS_CLI_HISTORY_UNREADABLE">
        <source>The recording history %1 could not be read: %2</source>
        <translation>The recording history %1 could not be read: %2</translation>
    </message>
    <message id="IDS_CLI_HISTORY_EMPTY">
        <source>Nothing has been recorded in the history yet.</source>
        <translation>Nothing has been recorded in the history yet.</translation>
    </message>
    <message id="IDS_CLI_HELP_HISTORY">
        <source>show what happened to each recording, newest first (failures marked with !)</source>
        <translation>show what happened to each recording, newest first (failures marked with !)</translation>
    </message>
    <message id="IDS_ERR_START_AT_LOGIN_PATH">
        <source>The program cannot be started at login from here: the path of its folder, %1, contains a line break or another control character. Move the program to a folder with a plain name.</source>
        <translation>The program cannot be started at login from here: the path of its folder, %1, contains a line break or another control character. Move the program to a folder with a plain name.</translation>
    </message>
    <message id="IDS_CLI_WRITE_LINK">
        <source>The calendar was not written: %1 is a symbolic link. Name the file itself, or a new file.</source>
        <translation>The calendar was not written: %1 is a symbolic link. Name the file itself, or a new file.</translation>
    </message>
    <message id="IDS_CLI_NO_LOCK">
        <source>The lock %1 cannot be taken (it is not a plain file, or the folder cannot be written), so the reservations are left as they are.</source>
        <translation>The lock %1 cannot be taken (it is not a plain file, or the folder cannot be written), so the reservations are left as they are.</translation>
    </message>
    <message id="IDS_HELPER_UNTRUSTED">
        <source>The wake-up helper beside this program cannot be installed, because %1: %2. Only a helper that no other user can change is installed to run as administrator.</source>
        <translation>The wake-up helper beside this program cannot be installed, because %1: %2. Only a helper that no other user can change is installed to run as administrator.</translation>
    </message>
    <message id="IDS_HIST_SOURCE_RECEIVER">
        <source>From the receiver.</source>
        <translation>From the receiver.</translation>
    </message>
    <message id="IDS_HIST_SOURCE_STREAM">
        <source>From the station&apos;s internet stream.</source>
        <translation>From the station&apos;s internet stream.</translation>
    </message>
    <message id="IDS_VELTO_REASON_NO_RECEIVER">
        <source>No receiver was found.</source>
        <translation>No receiver was found.</translation>
    </message>
    <message id="IDS_VELTO_REASON_RECEIVER_LOST">
        <source>The receiver was lost during the recording.</source>
        <translation>The receiver was lost during the recording.</translation>
    </message>
    <message id="IDS_VELTO_REASON_SOURCE_LOST">
        <source>The sound source was lost during the recording.</source>
        <translation>The sound source was lost during the recording.</translation>
    </message>
    <message id="IDS_VELTO_REASON_STARTED_LATE">
        <source>The recording began after the programme&apos;s start.</source>
        <translation>The recording began after the programme&apos;s start.</translation>
    </message>
    <message id="IDS_VELTO_REASON_DISK_FULL">
        <source>The disk became full: the recording stopped and what was written is kept.</source>
        <translation>The disk became full: the recording stopped and what was written is kept.</translation>
    </message>
    <message id="IDS_VELTO_REASON_STOPPED">
        <source>The recording was stopped before its end.</source>
        <translation>The recording was stopped before its end.</translation>
    </message>
    <message id="IDS_VELTO_REASON_INTERRUPTED">
        <source>Velto stopped during the recording; what was written up to then is kept.</source>
        <translation>Velto stopped during the recording; what was written up to then is kept.</translation>
    </message>
    <message id="IDS_VELTO_REASON_ALREADY_OVER">
        <source>The programme had already ended when Velto received it.</source>
        <translation>The programme had already ended when Velto received it.</translation>
    </message>
    <message id="IDS_VELTO_REASON_BAD_CHANNEL">
        <source>Velto cannot receive this channel.</source>
        <translation>Velto cannot receive this channel.</translation>
    </message>
    <message id="IDS_VELTO_REASON_BAD_TIMES">
        <source>The start and end times were not usable.</source>
        <translation>The start and end times were not usable.</translation>
    </message>
    <message id="IDS_VELTO_REASON_OVERLAPPED">
        <source>Another recording covered its whole time.</source>
        <translation>Another recording covered its whole time.</translation>
    </message>
    <message id="IDS_VELTO_REASON_STATION_UNREACHABLE">
        <source>The station&apos;s internet stream could not be reached.</source>
        <translation>The station&apos;s internet stream could not be reached.</translation>
    </message>
    <message id="IDS_VELTO_REASON_CONNECTION_LOST">
        <source>The connection to the station&apos;s stream was lost.</source>
        <translation>The connection to the station&apos;s stream was lost.</translation>
    </message>
    <message id="IDS_VELTO_REASON_DEVICE_BUSY">
        <source>The receiver is in use by another program.</source>
        <translation>The receiver is in use by another program.</translation>
    </message>
    <message id="IDS_VELTO_REASON_PERMISSION_DENIED">
        <source>Velto may not use the receiver (permissions).</source>
        <translation>Velto may not use the receiver (permissions).</translation>
    </message>
    <message id="IDS_HIST_RECORDING_STARTED">
        <source>Velto began recording</source>
        <translation>Velto began recording</translation>
    </message>
    <message id="IDS_HIST_RECORDED">
        <source>Recorded %1</source>
        <translation>Recorded %1</translation>
    </message>
    <message id="IDS_HIST_RECORDED_PARTLY">
        <source>Partly recorded %1</source>
        <translation>Partly recorded %1</translation>
    </message>
    <message id="IDS_HIST_NOT_RECORDED">
        <source>Not recorded</source>
        <translation>Not recorded</translation>
    </message>
    <message id="IDS_HIST_FILE">
        <source>File: %1</source>
        <translation>File: %1</translation>
    </message>
    <message id="IDS_HIST_DROPOUTS" numerus="yes">
        <source>The source dropped out %n time(s).</source>
        <translation>
            <numerusform>The source dropped out %n time.</numerusform>
            <numerusform>The source dropped out %n times.</numerusform>
        </translation>
    </message>
    <message id="IDS_HIST_SENTENCE_SEPARATOR">
        <source> </source>
        <translation> </translation>
    </message>
    <message id="IDS_HISTORY_OPEN">
        <source>Open</source>
        <translation>Open</translation>
    </message>
    <message id="IDS_HISTORY_OPEN_TIP">
        <source>Open the recording with the desktop&apos;s player</source>
        <translation>Open the recording with the desktop&apos;s player</translation>
    </message>
    <message id="IDS_HISTORY_SHOW_IN_FOLDER">
        <source>Show in Folder</source>
        <translation>Show in Folder</translation>
    </message>
    <message id="IDS_HISTORY_SHOW_IN_FOLDER_TIP">
        <source>Show the recording in its folder</source>
        <translation>Show the recording in its folder</translation>
    </message>
    <message id="IDS_HISTORY_FILE_GONE">
        <source>The recording is no longer there: %1</source>
        <translation>The recording is no longer there: %1</translation>
    </message>
    <message id="IDS_HISTORY_FILE_NOT_SOUND">
        <source>Only sound files are opened from here: %1</source>
        <translation>Only sound files are opened from here: %1</translation>
    </message>
    <message id="IDS_HISTORY_OPEN_FAILED">
        <source>No program could be found to play the recording.</source>
        <translation>No program could be found to play the recording.</translation>
    </message>
    <message id="IDS_HISTORY_FOLDER_FAILED">
        <source>The folder could not be opened: %1</source>
        <translation>The folder could not be opened: %1</translation>
    </message>
    <message id="IDS_NOTIFY_RECORDED_PARTLY">
        <source>Recorded only in part: %1</source>
        <translation>Recorded only in part: %1</translation>
    </message>
    <message id="IDS_NOTIFY_NOT_RECORDED">
        <source>Not recorded: %1</source>
        <translation>Not recorded: %1</translation>
    </message>
    <message id="IDS_HIST_RECORDED_SPAN">
        <source>recorded %1–%2</source>
        <translation>recorded %1–%2</translation>
    </message>
    <message id="IDS_CONFIG_GROUP_RECORDING">
        <source>Recording</source>
        <translation>Recording</translation>
    </message>
    <message id="IDS_CONFIG_START_EARLY">
        <source>Start recording early by:</source>
        <translation>Start recording early by:</translation>
    </message>
    <message id="IDS_CONFIG_END_LATE">
        <source>Go on recording after the end for:</source>
        <translation>Go on recording after the end for:</translation>
    </message>
    <message id="IDS_CONFIG_MARGIN_UNIT">
        <source> min</source>
        <translation> min</translation>
    </message>
    <message id="IDS_CONFIG_LATE_NIGHT_HOURS">
        <source>Show times after midnight as 24–29 h (25:00 is 1:00 the next morning)</source>
        <translation>Show times after midnight as 24–29 h (25:00 is 1:00 the next morning)</translation>
    </message>
    <message id="IDS_WARN_OVERLAP_MARGINS">
        <source>This reservation overlaps another reservation only because of the recording margins (%1 min early, %2 min late). Both are kept; where they overlap, only one of them can be recorded.</source>
        <translation>This reservation overlaps another reservation only because of the recording margins (%1 min early, %2 min late). Both are kept; where they overlap, only one of them can be recorded.</translation>
    </message>
    <message id="IDS_ERR_LONGER_THAN_A_DAY">
        <source>A recording can last at most 24 hours. Check the start and end times.</source>
        <translation>A recording can last at most 24 hours. Check the start and end times.</translation>
    </message>
    <message id="IDS_TEST_WAKE_ON_TIME">
        <source>Woke on time by the clock alarm.</source>
        <translation>Woke on time by the clock alarm.</translation>
    </message>
    <message id="IDS_TEST_WAKE_LATE" numerus="yes">
        <source>Woke by the clock alarm, but %n min late.</source>
        <translation>
            <numerusform>Woke by the clock alarm, but %n minute late.</numerusform>
            <numerusform>Woke by the clock alarm, but %n minutes late.</numerusform>
        </translation>
    </message>
    <message id="IDS_TEST_WAKE_BY_HAND" numerus="yes">
        <source>Did not wake by itself: woken by hand %n min later.</source>
        <translation>
            <numerusform>Did not wake by itself: woken by hand %n minute later.</numerusform>
            <numerusform>Did not wake by itself: woken by hand %n minutes later.</numerusform>
        </translation>
    </message>
    <message id="IDS_TEST_WAKE_NO_EVENT">
        <source>Woke at the planned time, but the clock counted no alarm: something else may have woken it.</source>
        <translation>Woke at the planned time, but the clock counted no alarm: something else may have woken it.</translation>
    </message>
    <message id="IDS_TEST_WAKE_EARLY" numerus="yes">
        <source>Woken by hand (or by another device) %n min before the alarm.</source>
        <translation>
            <numerusform>Woken by hand (or by another device) %n minute before the alarm.</numerusform>
            <numerusform>Woken by hand (or by another device) %n minutes before the alarm.</numerusform>
        </translation>
    </message>
    <message id="IDS_TEST_WAKE_NOT_SUSPENDED">
        <source>The computer did not go to sleep, so nothing was tested.</source>
        <translation>The computer did not go to sleep, so nothing was tested.</translation>
    </message>
    <message id="IDS_HIST_TEST_WAKE">
        <source>Test wake-up</source>
        <translation>Test wake-up</translation>
    </message>
    <message id="IDS_HIST_ALARM_REPLACED">
        <source>Another program&apos;s wake alarm replaced</source>
        <translation>Another program&apos;s wake alarm replaced</translation>
    </message>
    <message id="IDS_HIST_ALARM_REPLACED_AT">
        <source>The clock alarm another program had set for %1 was replaced by the wake-up at %2: that program&apos;s wake-up will not happen.</source>
        <translation>The clock alarm another program had set for %1 was replaced by the wake-up at %2: that program&apos;s wake-up will not happen.</translation>
    </message>
    <message id="IDS_HIST_ALARM_REPLACED_UNKNOWN">
        <source>The clock alarm another program had set was replaced by the wake-up at %1: that program&apos;s wake-up will not happen.</source>
        <translation>The clock alarm another program had set was replaced by the wake-up at %1: that program&apos;s wake-up will not happen.</translation>
    </message>
    <message id="IDS_CONFIG_CHECK_WAKE">
        <source>Check wake-up…</source>
        <translation>Check wake-up…</translation>
    </message>
    <message id="IDS_NOTIFY_ALARM_REPLACED">
        <source>Another program&apos;s wake alarm was replaced</source>
        <translation>Another program&apos;s wake alarm was replaced</translation>
    </message>
    <message id="IDS_WAKECHECK_SYSTEMD">
        <source>systemd and logind</source>
        <translation>systemd and logind</translation>
    </message>
    <message id="IDS_WAKECHECK_HELPER">
        <source>Wake-up helper</source>
        <translation>Wake-up helper</translation>
    </message>
    <message id="IDS_WAKECHECK_RTC">
        <source>Clock alarm (RTC)</source>
        <translation>Clock alarm (RTC)</translation>
    </message>
    <message id="IDS_WAKECHECK_RTC_UTC">
        <source>Clock kept in UTC</source>
        <translation>Clock kept in UTC</translation>
    </message>
    <message id="IDS_WAKECHECK_RANGE">
        <source>How far ahead the alarm reaches</source>
        <translation>How far ahead the alarm reaches</translation>
    </message>
    <message id="IDS_WAKECHECK_OTHER_ALARM">
        <source>Alarms of other programs</source>
        <translation>Alarms of other programs</translation>
    </message>
    <message id="IDS_WAKECHECK_AUTOSTART">
        <source>Start at login</source>
        <translation>Start at login</translation>
    </message>
    <message id="IDS_WAKECHECK_LOGIN">
        <source>Automatic login</source>
        <translation>Automatic login</translation>
    </message>
    <message id="IDS_WAKECHECK_FINE">
        <source>Fine</source>
        <translation>Fine</translation>
    </message>
    <message id="IDS_WAKECHECK_WARNING">
        <source>Warning</source>
        <translation>Warning</translation>
    </message>
    <message id="IDS_WAKECHECK_PROBLEM">
        <source>Problem</source>
        <translation>Problem</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_NO_SYSTEMD">
        <source>systemd is not the init system: wake-up timers cannot be set.</source>
        <translation>systemd is not the init system: wake-up timers cannot be set.</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_LOGIND_SILENT">
        <source>logind did not answer on the system bus.</source>
        <translation>logind did not answer on the system bus.</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_NO_BUS">
        <source>The system bus cannot be reached.</source>
        <translation>The system bus cannot be reached.</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_HELPER_MISSING">
        <source>The wake-up helper is not installed on this computer.</source>
        <translation>The wake-up helper is not installed on this computer.</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_HELPER_UNTRUSTED">
        <source>The wake-up helper is installed, but users other than the administrator may change it: it is not run.</source>
        <translation>The wake-up helper is installed, but users other than the administrator may change it: it is not run.</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_NO_RTC">
        <source>This computer has no real-time clock (RTC) the system can see.</source>
        <translation>This computer has no real-time clock (RTC) the system can see.</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_NO_WAKEALARM">
        <source>The real-time clock has no wake alarm.</source>
        <translation>The real-time clock has no wake alarm.</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_WAKE_DISABLED">
        <source>The system does not let the real-time clock wake the computer.</source>
        <translation>The system does not let the real-time clock wake the computer.</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_LOCAL">
        <source>The real-time clock keeps local time (%1 h ahead of UTC), as a computer shared with Windows does. Wake-ups are written in local time, so they land right.</source>
        <translation>The real-time clock keeps local time (%1 h ahead of UTC), as a computer shared with Windows does. Wake-ups are written in local time, so they land right.</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_LOCAL_UNNOTICED">
        <source>The real-time clock reads local time (%1 h ahead of UTC), though the system takes it for UTC. Wake-ups are written in local time, so they land right.</source>
        <translation>The real-time clock reads local time (%1 h ahead of UTC), though the system takes it for UTC. Wake-ups are written in local time, so they land right.</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_UTC_UNNOTICED">
        <source>The real-time clock reads UTC, though /etc/adjtime says it keeps local time.</source>
        <translation>The real-time clock reads UTC, though /etc/adjtime says it keeps local time.</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_CLOCK_OFF">
        <source>The real-time clock is %1 min off the system&apos;s clock.</source>
        <translation>The real-time clock is %1 min off the system&apos;s clock.</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_WITHIN_DAY">
        <source>The alarm refused a time 25 h ahead: it reaches at most 24 h. Wake-ups further ahead are relayed: the computer wakes within the day, plans again and, with shutdown on, goes off again.</source>
        <translation>The alarm refused a time 25 h ahead: it reaches at most 24 h. Wake-ups further ahead are relayed: the computer wakes within the day, plans again and, with shutdown on, goes off again.</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_NOT_PROBED_WHY">
        <source>Not found out. %1</source>
        <translation>Not found out. %1</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_NOT_PROBED">
        <source>Not found out: the wake-up helper is needed to try an alarm.</source>
        <translation>Not found out: the wake-up helper is needed to try an alarm.</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_HELPER_OUTDATED">
        <source>Not found out: the installed wake-up helper is older than this program.</source>
        <translation>Not found out: the installed wake-up helper is older than this program.</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_OTHER_ALARM">
        <source>The clock alarm is set for %1, which this program did not plan. A wake-up of this program that comes first will replace it.</source>
        <translation>The clock alarm is set for %1, which this program did not plan. A wake-up of this program that comes first will replace it.</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_REPLACED_AT">
        <source>On %1 a wake-up of this program replaced the clock alarm another program had set for %2.</source>
        <translation>On %1 a wake-up of this program replaced the clock alarm another program had set for %2.</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_REPLACED">
        <source>On %1 a wake-up of this program replaced a clock alarm another program had set.</source>
        <translation>On %1 a wake-up of this program replaced a clock alarm another program had set.</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_NO_AUTOSTART">
        <source>This program does not start at login: after a wake-up from power-off nobody plans the next wake-ups.</source>
        <translation>This program does not start at login: after a wake-up from power-off nobody plans the next wake-ups.</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_LOGIN_OFF">
        <source>The display manager does not log anyone in by itself: after a wake-up from power-off the computer waits at the login screen.</source>
        <translation>The display manager does not log anyone in by itself: after a wake-up from power-off the computer waits at the login screen.</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_LOGIN_OTHER">
        <source>The display manager logs in “%1” by itself, not you.</source>
        <translation>The display manager logs in “%1” by itself, not you.</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_LOGIN_UNKNOWN">
        <source>Whether the display manager logs you in by itself cannot be told from its files.</source>
        <translation>Whether the display manager logs you in by itself cannot be told from its files.</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_NOT_CHECKED">
        <source>Not checked: what it needs is missing (see above).</source>
        <translation>Not checked: what it needs is missing (see above).</translation>
    </message>
    <message id="IDS_WAKECHECK_OK_SYSTEMD">
        <source>systemd runs and logind answers.</source>
        <translation>systemd runs and logind answers.</translation>
    </message>
    <message id="IDS_WAKECHECK_OK_HELPER">
        <source>Installed, and only the administrator may change it.</source>
        <translation>Installed, and only the administrator may change it.</translation>
    </message>
    <message id="IDS_WAKECHECK_OK_RTC">
        <source>The real-time clock has a wake alarm.</source>
        <translation>The real-time clock has a wake alarm.</translation>
    </message>
    <message id="IDS_WAKECHECK_OK_RTC_UTC">
        <source>The real-time clock keeps UTC.</source>
        <translation>The real-time clock keeps UTC.</translation>
    </message>
    <message id="IDS_WAKECHECK_OK_RANGE">
        <source>The alarm holds a time 25 h ahead.</source>
        <translation>The alarm holds a time 25 h ahead.</translation>
    </message>
    <message id="IDS_WAKECHECK_OK_OTHER_ALARM">
        <source>No other program&apos;s alarm is set.</source>
        <translation>No other program&apos;s alarm is set.</translation>
    </message>
    <message id="IDS_WAKECHECK_OK_AUTOSTART">
        <source>This program starts at login.</source>
        <translation>This program starts at login.</translation>
    </message>
    <message id="IDS_WAKECHECK_OK_LOGIN">
        <source>The display manager logs you in by itself.</source>
        <translation>The display manager logs you in by itself.</translation>
    </message>
    <message id="IDS_WAKECHECK_DO_NO_SYSTEMD">
        <source>Waking needs a system that runs systemd.</source>
        <translation>Waking needs a system that runs systemd.</translation>
    </message>
    <message id="IDS_WAKECHECK_DO_LOGIND">
        <source>Check that systemd-logind runs (loginctl), then check again.</source>
        <translation>Check that systemd-logind runs (loginctl), then check again.</translation>
    </message>
    <message id="IDS_WAKECHECK_DO_INSTALL_HELPER">
        <source>Install it in Settings (Install the wake-up helper), or install the program&apos;s package.</source>
        <translation>Install it in Settings (Install the wake-up helper), or install the program&apos;s package.</translation>
    </message>
    <message id="IDS_WAKECHECK_DO_HELPER_OWNER">
        <source>Make its folder and files owned by root and writable by root only, or install it again.</source>
        <translation>Make its folder and files owned by root and writable by root only, or install it again.</translation>
    </message>
    <message id="IDS_WAKECHECK_DO_NO_RTC">
        <source>This computer cannot wake itself: leave it on for recordings. (A virtual machine usually has no wake alarm.)</source>
        <translation>This computer cannot wake itself: leave it on for recordings. (A virtual machine usually has no wake alarm.)</translation>
    </message>
    <message id="IDS_WAKECHECK_DO_WAKE_DISABLED">
        <source>Allow waking by the RTC: as administrator, write “enabled” to /sys/class/rtc/rtc0/device/power/wakeup, and allow it in the firmware settings (often “Resume by alarm” or “RTC wake”).</source>
        <translation>Allow waking by the RTC: as administrator, write “enabled” to /sys/class/rtc/rtc0/device/power/wakeup, and allow it in the firmware settings (often “Resume by alarm” or “RTC wake”).</translation>
    </message>
    <message id="IDS_WAKECHECK_DO_LOCAL">
        <source>Other programs may set its alarm in UTC and wake the computer at the wrong hour. Where Windows does not share this computer, keep the RTC in UTC: timedatectl set-local-rtc 0.</source>
        <translation>Other programs may set its alarm in UTC and wake the computer at the wrong hour. Where Windows does not share this computer, keep the RTC in UTC: timedatectl set-local-rtc 0.</translation>
    </message>
    <message id="IDS_WAKECHECK_DO_UTC_UNNOTICED">
        <source>Tell the system: timedatectl set-local-rtc 0.</source>
        <translation>Tell the system: timedatectl set-local-rtc 0.</translation>
    </message>
    <message id="IDS_WAKECHECK_DO_CLOCK_OFF">
        <source>Set the clock right: timedatectl set-ntp 1, or hwclock --systohc as administrator.</source>
        <translation>Set the clock right: timedatectl set-ntp 1, or hwclock --systohc as administrator.</translation>
    </message>
    <message id="IDS_WAKECHECK_DO_WITHIN_DAY">
        <source>Nothing to do; with shutdown after recordings on, the computer comes up once a day for a few minutes.</source>
        <translation>Nothing to do; with shutdown after recordings on, the computer comes up once a day for a few minutes.</translation>
    </message>
    <message id="IDS_WAKECHECK_DO_PROBE">
        <source>Check again and give the administrator password when asked.</source>
        <translation>Check again and give the administrator password when asked.</translation>
    </message>
    <message id="IDS_WAKECHECK_DO_HELPER_OUTDATED">
        <source>Install the wake-up helper again (Settings), or update the program&apos;s package.</source>
        <translation>Install the wake-up helper again (Settings), or update the program&apos;s package.</translation>
    </message>
    <message id="IDS_WAKECHECK_DO_OTHER_ALARM">
        <source>If another program&apos;s wake-up matters, give this program a reservation then, or plan it elsewhere: the clock holds one alarm.</source>
        <translation>If another program&apos;s wake-up matters, give this program a reservation then, or plan it elsewhere: the clock holds one alarm.</translation>
    </message>
    <message id="IDS_WAKECHECK_DO_AUTOSTART">
        <source>Turn on “Start at login” in Settings.</source>
        <translation>Turn on “Start at login” in Settings.</translation>
    </message>
    <message id="IDS_WAKECHECK_DO_LOGIN">
        <source>For wake-ups from power-off, turn on automatic login for your account in the system&apos;s user settings. Otherwise, suspend the computer rather than switch it off.</source>
        <translation>For wake-ups from power-off, turn on automatic login for your account in the system&apos;s user settings. Otherwise, suspend the computer rather than switch it off.</translation>
    </message>
    <message id="IDS_TEST_WAKE_PLAN_FAILED">
        <source>No test: the wake-up could not be planned. %1</source>
        <translation>No test: the wake-up could not be planned. %1</translation>
    </message>
    <message id="IDS_TEST_WAKE_SUSPEND_FAILED">
        <source>No test: the computer could not be suspended (%1). The planned wake-up stays until the program plans again.</source>
        <translation>No test: the computer could not be suspended (%1). The planned wake-up stays until the program plans again.</translation>
    </message>
    <message id="IDS_WAKECHECK_TITLE">
        <source>Check Wake-up</source>
        <translation>Check Wake-up</translation>
    </message>
    <message id="IDS_WAKECHECK_TEST_BUTTON">
        <source>Test wake-up now…</source>
        <translation>Test wake-up now…</translation>
    </message>
    <message id="IDS_WAKECHECK_AGAIN">
        <source>Check again</source>
        <translation>Check again</translation>
    </message>
    <message id="IDS_BUTTON_CLOSE">
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message id="IDS_WAKECHECK_TEST_ASLEEP">
        <source>Going to sleep. Do not touch the computer: it should wake by itself.</source>
        <translation>Going to sleep. Do not touch the computer: it should wake by itself.</translation>
    </message>
    <message id="IDS_WAKECHECK_CHECKING">
        <source>Checking… (the administrator password may be asked for, to try the clock alarm)</source>
        <translation>Checking… (the administrator password may be asked for, to try the clock alarm)</translation>
    </message>
    <message id="IDS_WAKECHECK_SUMMARY_PROBLEMS" numerus="yes">
        <source>This computer will not wake for its recordings as it is: %n problem(s) below.</source>
        <translation>
            <numerusform>This computer will not wake for its recordings as it is: %n problem below.</numerusform>
            <numerusform>This computer will not wake for its recordings as it is: %n problems below.</numerusform>
        </translation>
    </message>
    <message id="IDS_WAKECHECK_SUMMARY_WARNINGS" numerus="yes">
        <source>This computer should wake for its recordings; %n point(s) below deserve a look. A test wake-up proves it.</source>
        <translation>
            <numerusform>This computer should wake for its recordings; %n point below deserves a look. A test wake-up proves it.</numerusform>
            <numerusform>This computer should wake for its recordings; %n points below deserve a look. A test wake-up proves it.</numerusform>
        </translation>
    </message>
    <message id="IDS_WAKECHECK_SUMMARY_FINE">
        <source>This computer should wake for its recordings. A test wake-up proves it.</source>
        <translation>This computer should wake for its recordings. A test wake-up proves it.</translation>
    </message>
    <message id="IDS_WAKECHECK_TEST_TITLE">
        <source>Test wake-up</source>
        <translation>Test wake-up</translation>
    </message>
    <message id="IDS_WAKECHECK_TEST_CONFIRM">
        <source>The computer will plan a wake-up two minutes from now and then go to sleep. Leave it alone: it should wake by itself. Unsaved work in other programs stays open.

Start the test?</source>
        <translation>The computer will plan a wake-up two minutes from now and then go to sleep. Leave it alone: it should wake by itself. Unsaved work in other programs stays open.

Start the test?</translation>
    </message>
    <message id="IDS_WAKECHECK_TEST_PLANNING">
        <source>Planning the test wake-up…</source>
        <translation>Planning the test wake-up…</translation>
    </message>
    <message id="IDS_WAKECHECK_TEST_PLANNED">
        <source>Wake-up planned for %1. Going to sleep…</source>
        <translation>Wake-up planned for %1. Going to sleep…</translation>
    </message>
    <message id="IDS_WAKECHECK_TEST_RESULT">
        <source>Test wake-up: %1</source>
        <translation>Test wake-up: %1</translation>
    </message>
    <message id="IDS_CLI_HELP_CHECK_WAKE">
        <source>check whether this computer will wake for its recordings, and what to do where it will not; --test suspends it for a test wake-up two minutes ahead (exit status 0 fine, 1 a problem was found, 2 the check could not run)</source>
        <translation>check whether this computer will wake for its recordings, and what to do where it will not; --test suspends it for a test wake-up two minutes ahead (exit status 0 fine, 1 a problem was found, 2 the check could not run)</translation>
    </message>
    <message id="IDS_CLI_TEST_WAKE_ASK">
        <source>The computer will plan a wake-up two minutes from now and go to sleep; it should wake by itself. Type “yes” to start the test:</source>
        <translation>The computer will plan a wake-up two minutes from now and go to sleep; it should wake by itself. Type “yes” to start the test:</translation>
    </message>
    <message id="IDS_CLI_TEST_WAKE_PLANNED">
        <source>Wake-up planned two minutes ahead; going to sleep.</source>
        <translation>Wake-up planned two minutes ahead; going to sleep.</translation>
    </message>
    <message id="IDS_CLI_BAD_ARGUMENT_CHECK_WAKE">
        <source>check-wake: unknown argument “%1”. See “resvman --help”.</source>
        <translation>check-wake: unknown argument “%1”. See “resvman --help”.</translation>
    </message>
    <message id="IDS_CLI_TEST_WAKE_DECLINED">
        <source>No test wake-up: it was not agreed to.</source>
        <translation>No test wake-up: it was not agreed to.</translation>
    </message>
    <message id="IDS_TEST_WAKE_NO_BUS">
        <source>the system bus cannot be reached</source>
        <translation>the system bus cannot be reached</translation>
    </message>
    <message id="IDS_A11Y_WARNING">
        <source>Warning</source>
        <translation>Warning</translation>
    </message>
    <message id="IDS_A11Y_TIME_LEFT">
        <source>Time left</source>
        <translation>Time left</translation>
    </message>
    <message id="IDS_A11Y_HISTORY_FINE">
        <source>No problem</source>
        <translation>No problem</translation>
    </message>
    <message id="IDS_A11Y_HISTORY_FAILED">
        <source>Failed</source>
        <translation>Failed</translation>
    </message>
    <message id="IDS_A11Y_DATE_TIME">
        <source>%1, %2</source>
        <translation>%1, %2</translation>
    </message>
    <message id="IDS_A11Y_NO_RESERVATION">
        <source>No reservation</source>
        <translation>No reservation</translation>
    </message>
    <message id="IDS_A11Y_NO_DETAILS">
        <source>No details</source>
        <translation>No details</translation>
    </message>
    <message id="IDS_COL_STATUS">
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message id="IDS_A11Y_HISTORY_TABLE">
        <source>Recording history</source>
        <translation>Recording history</translation>
    </message>
    <message id="IDS_A11Y_RESERVATIONS">
        <source>Reservations</source>
        <translation>Reservations</translation>
    </message>
    <message id="IDS_A11Y_RESERVATIONS_KEYS">
        <source>Return edits the selected reservation; Delete deletes the selected ones.</source>
        <translation>Return edits the selected reservation; Delete deletes the selected ones.</translation>
    </message>
    <message id="IDS_A11Y_ADD">
        <source>Adds a new reservation.</source>
        <translation>Adds a new reservation.</translation>
    </message>
    <message id="IDS_A11Y_DELETE">
        <source>Deletes the selected reservations.</source>
        <translation>Deletes the selected reservations.</translation>
    </message>
    <message id="IDS_A11Y_EDIT">
        <source>Changes the selected reservation.</source>
        <translation>Changes the selected reservation.</translation>
    </message>
    <message id="IDS_A11Y_SETTINGS">
        <source>Sleep, wake-up and shutdown settings.</source>
        <translation>Sleep, wake-up and shutdown settings.</translation>
    </message>
    <message id="IDS_A11Y_HIDE">
        <source>Hides the window; the reservations are still recorded. The tray icon shows it again.</source>
        <translation>Hides the window; the reservations are still recorded. The tray icon shows it again.</translation>
    </message>
    <message id="IDS_A11Y_EXIT">
        <source>Ends the program: nothing is recorded until it is started again.</source>
        <translation>Ends the program: nothing is recorded until it is started again.</translation>
    </message>
    <message id="IDS_A11Y_QUESTION">
        <source>Question</source>
        <translation>Question</translation>
    </message>
    <message id="IDS_A11Y_INFORMATION">
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message id="IDS_A11Y_BAND">
        <source>Band</source>
        <translation>Band</translation>
    </message>
    <message id="IDS_A11Y_WEEKDAY">
        <source>Repeats the recording every %1.</source>
        <translation>Repeats the recording every %1.</translation>
    </message>
    <message id="IDS_A11Y_STATUS_MISSED">
        <source>Missed</source>
        <translation>Missed</translation>
    </message>
    <message id="IDS_A11Y_STATUS_MISSED_WHY">
        <source>Missed: %1</source>
        <translation>Missed: %1</translation>
    </message>
    <message id="IDS_A11Y_STATUS_OFF">
        <source>Switched off</source>
        <translation>Switched off</translation>
    </message>
    <message id="IDS_A11Y_STATUS_OVERLAP">
        <source>Overlaps another reservation</source>
        <translation>Overlaps another reservation</translation>
    </message>
    <message id="IDS_A11Y_STATUS_READY">
        <source>Will be recorded</source>
        <translation>Will be recorded</translation>
    </message>
    <message id="IDS_A11Y_ONCE">
        <source>Once</source>
        <translation>Once</translation>
    </message>
    <message id="IDS_A11Y_WEEKLY">
        <source>Every week on %1</source>
        <translation>Every week on %1</translation>
    </message>
    <message id="IDS_A11Y_NO_STATION">
        <source>No station name</source>
        <translation>No station name</translation>
    </message>
    <message id="IDS_A11Y_NO_TITLE">
        <source>No title</source>
        <translation>No title</translation>
    </message>
    <message id="IDS_A11Y_MONTH_1">
        <source>January</source>
        <translation>January</translation>
    </message>
    <message id="IDS_A11Y_MONTH_2">
        <source>February</source>
        <translation>February</translation>
    </message>
    <message id="IDS_A11Y_MONTH_3">
        <source>March</source>
        <translation>March</translation>
    </message>
    <message id="IDS_A11Y_MONTH_4">
        <source>April</source>
        <translation>April</translation>
    </message>
    <message id="IDS_A11Y_MONTH_5">
        <source>May</source>
        <translation>May</translation>
    </message>
    <message id="IDS_A11Y_MONTH_6">
        <source>June</source>
        <translation>June</translation>
    </message>
    <message id="IDS_A11Y_MONTH_7">
        <source>July</source>
        <translation>July</translation>
    </message>
    <message id="IDS_A11Y_MONTH_8">
        <source>August</source>
        <translation>August</translation>
    </message>
    <message id="IDS_A11Y_MONTH_9">
        <source>September</source>
        <translation>September</translation>
    </message>
    <message id="IDS_A11Y_MONTH_10">
        <source>October</source>
        <translation>October</translation>
    </message>
    <message id="IDS_A11Y_MONTH_11">
        <source>November</source>
        <translation>November</translation>
    </message>
    <message id="IDS_A11Y_MONTH_12">
        <source>December</source>
        <translation>December</translation>
    </message>
    <message id="IDS_A11Y_DATE">
        <source>%1, %2 %3 %4</source>
        <translation>%1, %2 %3 %4</translation>
    </message>
    <message id="IDS_A11Y_HOUR">
        <source>%1:00</source>
        <translation>%1:00</translation>
    </message>
    <message id="IDS_A11Y_TIME">
        <source>%1:%2</source>
        <translation>%1:%2</translation>
    </message>
    <message id="IDS_A11Y_LIST_SEPARATOR">
        <source>, </source>
        <translation>, </translation>
    </message>
    <message id="IDS_A11Y_WAKECHECK_FINDINGS">
        <source>What was checked</source>
        <translation>What was checked</translation>
    </message>
</context>
</TS>
