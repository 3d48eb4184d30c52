<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name></name>
    <message id="IDS_APP_TITLE">
        <source>Velto</source>
        <translation>Velto</translation>
    </message>
    <message id="IDS_NOW_GROUP">
        <source>Now recording</source>
        <translation>Now recording</translation>
    </message>
    <message id="IDS_LEVEL_NAME">
        <source>Level</source>
        <translation>Level</translation>
    </message>
    <message id="IDS_LEVEL_DESCRIPTION">
        <source>The sound level being recorded, from -60 to 0 dB</source>
        <translation>The sound level being recorded, from -60 to 0 dB</translation>
    </message>
    <message id="IDS_WAITING_GROUP">
        <source>Waiting</source>
        <translation>Waiting</translation>
    </message>
    <message id="IDS_COLUMN_START">
        <source>Start</source>
        <translation>Start</translation>
    </message>
    <message id="IDS_COLUMN_STATION">
        <source>Station</source>
        <translation>Station</translation>
    </message>
    <message id="IDS_COLUMN_TITLE">
        <source>Title</source>
        <translation>Title</translation>
    </message>
    <message id="IDS_WAITING_NAME">
        <source>Programmes waiting to be recorded</source>
        <translation>Programmes waiting to be recorded</translation>
    </message>
    <message id="IDS_RECENT_GROUP">
        <source>Last recordings</source>
        <translation>Last recordings</translation>
    </message>
    <message id="IDS_COLUMN_RESULT">
        <source>Result</source>
        <translation>Result</translation>
    </message>
    <message id="IDS_RECENT_NAME">
        <source>Last recordings; Open plays the selected one</source>
        <translation>Last recordings; Open plays the selected one</translation>
    </message>
    <message id="IDS_OPEN">
        <source>&amp;Open</source>
        <translation>&amp;Open</translation>
    </message>
    <message id="IDS_OPEN_DESCRIPTION">
        <source>Plays the selected recording</source>
        <translation>Plays the selected recording</translation>
    </message>
    <message id="IDS_SHOW_FOLDER">
        <source>Show in &amp;Folder</source>
        <translation>Show in &amp;Folder</translation>
    </message>
    <message id="IDS_SETTINGS_BUTTON">
        <source>&amp;Settings…</source>
        <translation>&amp;Settings…</translation>
    </message>
    <message id="IDS_HIDE_BUTTON">
        <source>&amp;Hide</source>
        <translation>&amp;Hide</translation>
    </message>
    <message id="IDS_HIDE_DESCRIPTION">
        <source>Hides the window; recordings go on</source>
        <translation>Hides the window; recordings go on</translation>
    </message>
    <message id="IDS_NOT_RECORDING">
        <source>Not recording</source>
        <translation>Not recording</translation>
    </message>
    <message id="IDS_ELAPSED_LEFT">
        <source>Elapsed %1 · %2 left</source>
        <translation>Elapsed %1 · %2 left</translation>
    </message>
    <message id="IDS_STEREO">
        <source>Stereo</source>
        <translation>Stereo</translation>
    </message>
    <message id="IDS_MONO">
        <source>Mono</source>
        <translation>Mono</translation>
    </message>
    <message id="IDS_FILE_GONE">
        <source>The file is no longer there: %1</source>
        <translation>The file is no longer there: %1</translation>
    </message>
    <message id="IDS_OPEN_FAILED">
        <source>No program is set up to open %1.</source>
        <translation>No program is set up to open %1.</translation>
    </message>
    <message id="IDS_SETTINGS_NOT_SAVED">
        <source>The settings could not be saved in %1.</source>
        <translation>The settings could not be saved in %1.</translation>
    </message>
    <message id="IDS_TRAY_SHOW">
        <source>Show Velto</source>
        <translation>Show Velto</translation>
    </message>
    <message id="IDS_TRAY_RECORDING">
        <source>Velto: recording</source>
        <translation>Velto: recording</translation>
    </message>
    <message id="IDS_USE_RECEIVER">
        <source>Receiver</source>
        <translation>Receiver</translation>
    </message>
    <message id="IDS_USE_STREAM">
        <source>Stream</source>
        <translation>Stream</translation>
    </message>
    <message id="IDS_USE_FALLBACK">
        <source>Stream when no receiver</source>
        <translation>Stream when no receiver</translation>
    </message>
    <message id="IDS_USE_NAME">
        <source>Record from</source>
        <translation>Record from</translation>
    </message>
    <message id="IDS_SETTINGS_TITLE">
        <source>Velto Settings</source>
        <translation>Velto Settings</translation>
    </message>
    <message id="IDS_TAB_RECEIVER">
        <source>Receiver</source>
        <translation>Receiver</translation>
    </message>
    <message id="IDS_TAB_RECORDINGS">
        <source>Recordings</source>
        <translation>Recordings</translation>
    </message>
    <message id="IDS_TAB_STATIONS">
        <source>Stations</source>
        <translation>Stations</translation>
    </message>
    <message id="IDS_SOURCE_FIRST">
        <source>The first receiver found</source>
        <translation>The first receiver found</translation>
    </message>
    <message id="IDS_REFRESH">
        <source>&amp;Look Again</source>
        <translation>&amp;Look Again</translation>
    </message>
    <message id="IDS_REFRESH_DESCRIPTION">
        <source>Looks again for SDR receivers and USB radio tuners</source>
        <translation>Looks again for SDR receivers and USB radio tuners</translation>
    </message>
    <message id="IDS_AUTO_GAIN">
        <source>&amp;Automatic gain</source>
        <translation>&amp;Automatic gain</translation>
    </message>
    <message id="IDS_DIRECT_SAMPLING">
        <source>&amp;Direct sampling</source>
        <translation>&amp;Direct sampling</translation>
    </message>
    <message id="IDS_UPCONVERTER">
        <source>&amp;Upconverter, offset</source>
        <translation>&amp;Upconverter, offset</translation>
    </message>
    <message id="IDS_DEEMPHASIS_50">
        <source>50 µs (Japan, Europe)</source>
        <translation>50 µs (Japan, Europe)</translation>
    </message>
    <message id="IDS_DEEMPHASIS_75">
        <source>75 µs (the Americas, Korea)</source>
        <translation>75 µs (the Americas, Korea)</translation>
    </message>
    <message id="IDS_SOURCE_LABEL">
        <source>&amp;Source:</source>
        <translation>&amp;Source:</translation>
    </message>
    <message id="IDS_GAIN_LABEL">
        <source>Gain:</source>
        <translation>Gain:</translation>
    </message>
    <message id="IDS_PPM_LABEL">
        <source>&amp;Frequency correction:</source>
        <translation>&amp;Frequency correction:</translation>
    </message>
    <message id="IDS_AM_LABEL">
        <source>AM reception:</source>
        <translation>AM reception:</translation>
    </message>
    <message id="IDS_DEEMPHASIS_LABEL">
        <source>FM de-&amp;emphasis:</source>
        <oldsource>FM &amp;de-emphasis:</oldsource>
        <translation>FM de-&amp;emphasis:</translation>
    </message>
    <message id="IDS_SOURCE_NAME">
        <source>Source</source>
        <translation>Source</translation>
    </message>
    <message id="IDS_GAIN_NAME">
        <source>Gain in dB</source>
        <translation>Gain in dB</translation>
    </message>
    <message id="IDS_PPM_NAME">
        <source>Frequency correction in ppm</source>
        <translation>Frequency correction in ppm</translation>
    </message>
    <message id="IDS_UPCONVERTER_NAME">
        <source>Upconverter offset in MHz</source>
        <translation>Upconverter offset in MHz</translation>
    </message>
    <message id="IDS_DEEMPHASIS_NAME">
        <source>FM de-emphasis</source>
        <translation>FM de-emphasis</translation>
    </message>
    <message id="IDS_AM_DESCRIPTION">
        <source>AM on an RTL-SDR dongle: direct sampling of its Q branch, or an upconverter ahead of the antenna input</source>
        <translation>AM on an RTL-SDR dongle: direct sampling of its Q branch, or an upconverter ahead of the antenna input</translation>
    </message>
    <message id="IDS_FOLDER_NAME">
        <source>Recordings folder</source>
        <translation>Recordings folder</translation>
    </message>
    <message id="IDS_CHOOSE_FOLDER">
        <source>&amp;Choose…</source>
        <translation>&amp;Choose…</translation>
    </message>
    <message id="IDS_CHOOSE_FOLDER_DESCRIPTION">
        <source>Chooses the recordings folder</source>
        <translation>Chooses the recordings folder</translation>
    </message>
    <message id="IDS_FOLDER_DIALOG">
        <source>Recordings Folder</source>
        <translation>Recordings Folder</translation>
    </message>
    <message id="IDS_BITRATE">
        <source>%1 kbit/s stereo, %2 kbit/s mono</source>
        <translation>%1 kbit/s stereo, %2 kbit/s mono</translation>
    </message>
    <message id="IDS_BITRATE_NAME">
        <source>Quality</source>
        <translation>Quality</translation>
    </message>
    <message id="IDS_FOLDER_LABEL">
        <source>&amp;Folder:</source>
        <translation>&amp;Folder:</translation>
    </message>
    <message id="IDS_BITRATE_LABEL">
        <source>&amp;Quality:</source>
        <translation>&amp;Quality:</translation>
    </message>
    <message id="IDS_STATIONS_INTRO">
        <source>Stations listed here can be recorded from their internet stream instead of the receiver. Type the station as &quot;FM 80.0&quot; or &quot;AM 594&quot;.</source>
        <translation>Stations listed here can be recorded from their internet stream instead of the receiver. Type the station as &quot;FM 80.0&quot; or &quot;AM 594&quot;.</translation>
    </message>
    <message id="IDS_STATIONS_STATION">
        <source>Station</source>
        <translation>Station</translation>
    </message>
    <message id="IDS_STATIONS_NAME">
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message id="IDS_STATIONS_URL">
        <source>Stream address</source>
        <translation>Stream address</translation>
    </message>
    <message id="IDS_STATIONS_USE">
        <source>Record from</source>
        <translation>Record from</translation>
    </message>
    <message id="IDS_STATIONS_TABLE_NAME">
        <source>Stations table</source>
        <translation>Stations table</translation>
    </message>
    <message id="IDS_STATION_ADD">
        <source>&amp;Add</source>
        <translation>&amp;Add</translation>
    </message>
    <message id="IDS_STATION_REMOVE">
        <source>&amp;Remove</source>
        <translation>&amp;Remove</translation>
    </message>
    <message id="IDS_SEARCHING">
        <source>Looking for receivers…</source>
        <translation>Looking for receivers…</translation>
    </message>
    <message id="IDS_SOURCE_MISSING">
        <source>%1 (not found now)</source>
        <translation>%1 (not found now)</translation>
    </message>
    <message id="IDS_SEARCH_FAILED">
        <source>The search for receivers failed: %1</source>
        <translation>The search for receivers failed: %1</translation>
    </message>
    <message id="IDS_NONE_FOUND">
        <source>No receiver found. Plug one in and look again.</source>
        <translation>No receiver found. Plug one in and look again.</translation>
    </message>
    <message id="IDS_FOUND" numerus="yes">
        <source>%n receiver(s) found.</source>
        <translation>
            <numerusform>1 receiver found.</numerusform>
            <numerusform>%n receivers found.</numerusform>
        </translation>
    </message>
    <message id="IDS_STATION_REFUSED">
        <source>Station %1 (row %2) cannot be kept: %3</source>
        <translation>Station %1 (row %2) cannot be kept: %3</translation>
    </message>
    <message id="IDS_REASON_ALREADY_OVER">
        <source>The programme had already ended when it was handed over.</source>
        <translation>The programme had already ended when it was handed over.</translation>
    </message>
    <message id="IDS_REASON_BAD_CHANNEL">
        <source>The channel lies outside its band.</source>
        <translation>The channel lies outside its band.</translation>
    </message>
    <message id="IDS_REASON_BAD_TIMES">
        <source>The programme ends before it starts.</source>
        <translation>The programme ends before it starts.</translation>
    </message>
    <message id="IDS_REASON_OVERLAPPED">
        <source>Another recording took the receiver for the whole programme.</source>
        <translation>Another recording took the receiver for the whole programme.</translation>
    </message>
    <message id="IDS_REASON_STARTED_LATE">
        <source>Started late: the receiver was busy with the programme before.</source>
        <translation>Started late: the receiver was busy with the programme before.</translation>
    </message>
    <message id="IDS_REASON_SOURCE_LOST">
        <source>The receiver was lost and did not come back.</source>
        <translation>The receiver was lost and did not come back.</translation>
    </message>
    <message id="IDS_REASON_STOPPED">
        <source>The recording was stopped.</source>
        <translation>The recording was stopped.</translation>
    </message>
    <message id="IDS_REASON_DISK_FULL">
        <source>The disk is full; the recording stopped and what was written is kept.</source>
        <translation>The disk is full; the recording stopped and what was written is kept.</translation>
    </message>
    <message id="IDS_REASON_WRITE_FAILED">
        <source>The recording could not be written.</source>
        <translation>The recording could not be written.</translation>
    </message>
    <message id="IDS_REASON_FOLDER_UNWRITABLE">
        <source>The recordings folder cannot be written to.</source>
        <translation>The recordings folder cannot be written to.</translation>
    </message>
    <message id="IDS_REASON_NO_RECEIVER">
        <source>No receiver was found. Is it plugged in?</source>
        <translation>No receiver was found. Is it plugged in?</translation>
    </message>
    <message id="IDS_REASON_DEVICE_BUSY">
        <source>The receiver is in use by another program.</source>
        <translation>The receiver is in use by another program.</translation>
    </message>
    <message id="IDS_REASON_PERMISSION_DENIED">
        <source>The receiver may not be used by this user (device permissions).</source>
        <translation>The receiver may not be used by this user (device permissions).</translation>
    </message>
    <message id="IDS_REASON_BAD_SOURCE">
        <source>The source in the settings is not one this program knows.</source>
        <translation>The source in the settings is not one this program knows.</translation>
    </message>
    <message id="IDS_REASON_CAPTURE_ENDED">
        <source>The capture ended before the programme did.</source>
        <translation>The capture ended before the programme did.</translation>
    </message>
    <message id="IDS_REASON_CONNECTION_LOST">
        <source>The connection to the stream was lost.</source>
        <translation>The connection to the stream was lost.</translation>
    </message>
    <message id="IDS_REASON_CONNECTION_FAILED">
        <source>The stream could not be reached.</source>
        <translation>The stream could not be reached.</translation>
    </message>
    <message id="IDS_REASON_LOW_SPACE">
        <source>The free space may not be enough for the whole programme.</source>
        <translation>The free space may not be enough for the whole programme.</translation>
    </message>
    <message id="IDS_REASON_NOTE_UNWRITTEN">
        <source>The programme could not be noted beside the file; a crash would go unreported.</source>
        <translation>The programme could not be noted beside the file; a crash would go unreported.</translation>
    </message>
    <message id="IDS_REASON_NO_SIGNAL">
        <source>No signal on this station: check the antenna.</source>
        <translation>No signal on this station: check the antenna.</translation>
    </message>
    <message id="IDS_REASON_STREAM_FALLBACK">
        <source>No receiver was found; recorded from the station&apos;s stream.</source>
        <translation>No receiver was found; recorded from the station&apos;s stream.</translation>
    </message>
    <message id="IDS_REASON_NO_SOUND">
        <source>Nothing was heard, so no file was kept.</source>
        <translation>Nothing was heard, so no file was kept.</translation>
    </message>
    <message id="IDS_REASON_BAD_URL">
        <source>The stream address is not an http or https address.</source>
        <translation>The stream address is not an http or https address.</translation>
    </message>
    <message id="IDS_REASON_NO_STREAM">
        <source>The station is to be recorded from its stream, but it has no stream address.</source>
        <translation>The station is to be recorded from its stream, but it has no stream address.</translation>
    </message>
    <message id="IDS_REASON_TOO_MANY_STATIONS">
        <source>The stations table is full.</source>
        <translation>The stations table is full.</translation>
    </message>
    <message id="IDS_REASON_BAD_MESSAGE">
        <source>The message from the manager could not be read.</source>
        <translation>The message from the manager could not be read.</translation>
    </message>
    <message id="IDS_REASON_RECOVERED">
        <source>The recording program stopped before the end; the file was finished at the next start.</source>
        <translation>The recording program stopped before the end; the file was finished at the next start.</translation>
    </message>
    <message id="IDS_REASON_OTHER">
        <source>%1</source>
        <translation>%1</translation>
    </message>
    <message id="IDS_RESULT_RECORDED">
        <source>Recorded %1</source>
        <translation>Recorded %1</translation>
    </message>
    <message id="IDS_RESULT_PARTIAL">
        <source>Partly recorded %1</source>
        <translation>Partly recorded %1</translation>
    </message>
    <message id="IDS_RESULT_FAILED">
        <source>Not recorded</source>
        <translation>Not recorded</translation>
    </message>
    <message id="IDS_STATION_FM">
        <source>FM %1 MHz</source>
        <translation>FM %1 MHz</translation>
    </message>
    <message id="IDS_STATION_AM">
        <source>AM %1 kHz</source>
        <translation>AM %1 kHz</translation>
    </message>
    <message id="IDS_NO_BUS">
        <source>Velto cannot reach the session bus, so the manager cannot hand it recordings.</source>
        <translation>Velto cannot reach the session bus, so the manager cannot hand it recordings.</translation>
    </message>
    <message id="IDS_FOLDER_PROBLEM">
        <source>The recordings folder cannot be used: %1</source>
        <translation>The recordings folder cannot be used: %1</translation>
    </message>
    <message id="IDS_REASON_OUTSIDE_CAPTURE">
        <source>The station lies outside the capture&apos;s band.</source>
        <translation>The station lies outside the capture&apos;s band.</translation>
    </message>
    <message id="IDS_OK">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="IDS_CANCEL">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="IDS_STATIONS_UNREADABLE">
        <source>The stations file could not be read, so it is left as it is and not used: %1</source>
        <translation>The stations file could not be read, so it is left as it is and not used: %1</translation>
    </message>
    <message id="IDS_REASON_RECEIVER_LOST">
        <source>The receiver stopped delivering sound.</source>
        <translation>The receiver stopped delivering sound.</translation>
    </message>
    <message id="IDS_REASON_RECEIVER_TIMEOUT">
        <source>The receiver did not answer in time.</source>
        <translation>The receiver did not answer in time.</translation>
    </message>
    <message id="IDS_REASON_RECEIVER_FAILED">
        <source>The receiver failed to start.</source>
        <translation>The receiver failed to start.</translation>
    </message>
    <message id="IDS_REASON_TUNING_FAILED">
        <source>The tuner could not be set to the station.</source>
        <translation>The tuner could not be set to the station.</translation>
    </message>
    <message id="IDS_REASON_DEVICE_ERROR">
        <source>The tuner reported an error.</source>
        <translation>The tuner reported an error.</translation>
    </message>
    <message id="IDS_REASON_FREQUENCY_OUT_OF_RANGE">
        <source>The station lies outside what the tuner can receive.</source>
        <translation>The station lies outside what the tuner can receive.</translation>
    </message>
    <message id="IDS_REASON_STATION_UNREACHABLE">
        <source>Direct sampling cannot reach this station.</source>
        <translation>Direct sampling cannot reach this station.</translation>
    </message>
    <message id="IDS_REASON_NOT_A_RADIO">
        <source>The device is not a radio tuner.</source>
        <translation>The device is not a radio tuner.</translation>
    </message>
    <message id="IDS_REASON_NO_SOUND_CARD">
        <source>The tuner&apos;s sound card was not found.</source>
        <translation>The tuner&apos;s sound card was not found.</translation>
    </message>
    <message id="IDS_REASON_SOUND_CARD_ERROR">
        <source>The tuner&apos;s sound card failed.</source>
        <translation>The tuner&apos;s sound card failed.</translation>
    </message>
    <message id="IDS_REASON_HTTP_ERROR">
        <source>The stream&apos;s server refused it.</source>
        <translation>The stream&apos;s server refused it.</translation>
    </message>
    <message id="IDS_REASON_UNSUPPORTED_STREAM">
        <source>The stream is in a form that cannot be recorded.</source>
        <translation>The stream is in a form that cannot be recorded.</translation>
    </message>
    <message id="IDS_REASON_SOURCE_STALLED">
        <source>The source delivered nothing for a while.</source>
        <translation>The source delivered nothing for a while.</translation>
    </message>
    <message id="IDS_REASON_SOURCE_AHEAD">
        <source>The source ran ahead of the clock; the surplus was dropped.</source>
        <translation>The source ran ahead of the clock; the surplus was dropped.</translation>
    </message>
    <message id="IDS_REASON_CAPTURE_UNREADABLE">
        <source>The capture file cannot be read.</source>
        <translation>The capture file cannot be read.</translation>
    </message>
    <message id="IDS_REASON_CAPTURE_NOT_A_FILE">
        <source>The capture is not a regular file.</source>
        <translation>The capture is not a regular file.</translation>
    </message>
    <message id="IDS_REASON_CAPTURE_EMPTY">
        <source>The capture holds no samples.</source>
        <translation>The capture holds no samples.</translation>
    </message>
    <message id="IDS_STATION_ADD_OTHER">
        <source>Another Station</source>
        <translation>Another Station</translation>
    </message>
    <message id="IDS_SETTINGS_PAGES">
        <source>Settings pages</source>
        <translation>Settings pages</translation>
    </message>
    <message id="IDS_STATION_NO_NAME">
        <source>No name</source>
        <translation>No name</translation>
    </message>
    <message id="IDS_STATION_NO_URL">
        <source>No stream address</source>
        <translation>No stream address</translation>
    </message>
</context>
</TS>
