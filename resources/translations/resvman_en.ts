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
        <source>The frequency is not valid. AM: 522 to 1602 kHz in steps of 9 kHz. FM: 76.0 to 90.0 MHz.</source>
        <translation>The frequency is not valid. AM: 522 to 1602 kHz in steps of 9 kHz. FM: 76.0 to 90.0 MHz.</translation>
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
</context>
</TS>
