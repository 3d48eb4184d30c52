#include "gui/VeltoTexts.h"

#include <QCoreApplication>

#include <map>

namespace velto {

QString reasonText(const std::string& key, const std::string& englishText) {
    // qtTrId needs each id written out for the translation tools to see it.
    static const std::map<std::string, const char*> ids = {
        //% "The programme had already ended when it was handed over."
        {"already-over", QT_TRID_NOOP("IDS_REASON_ALREADY_OVER")},
        //% "The channel lies outside its band."
        {"bad-channel", QT_TRID_NOOP("IDS_REASON_BAD_CHANNEL")},
        //% "The programme ends before it starts."
        {"bad-times", QT_TRID_NOOP("IDS_REASON_BAD_TIMES")},
        //% "Another recording took the receiver for the whole programme."
        {"overlapped", QT_TRID_NOOP("IDS_REASON_OVERLAPPED")},
        //% "Started late: the receiver was busy with the programme before."
        {"started-late", QT_TRID_NOOP("IDS_REASON_STARTED_LATE")},
        //% "The receiver was lost and did not come back."
        {"source-lost", QT_TRID_NOOP("IDS_REASON_SOURCE_LOST")},
        //% "The recording was stopped."
        {"stopped", QT_TRID_NOOP("IDS_REASON_STOPPED")},
        //% "The disk is full; the recording stopped and what was written is kept."
        {"disk-full", QT_TRID_NOOP("IDS_REASON_DISK_FULL")},
        //% "The recording could not be written."
        {"write-failed", QT_TRID_NOOP("IDS_REASON_WRITE_FAILED")},
        //% "The recordings folder cannot be written to."
        {"folder-unwritable", QT_TRID_NOOP("IDS_REASON_FOLDER_UNWRITABLE")},
        //% "No receiver was found. Is it plugged in?"
        {"no-receiver", QT_TRID_NOOP("IDS_REASON_NO_RECEIVER")},
        //% "The receiver is in use by another program."
        {"device-busy", QT_TRID_NOOP("IDS_REASON_DEVICE_BUSY")},
        //% "The receiver may not be used by this user (device permissions)."
        {"permission-denied", QT_TRID_NOOP("IDS_REASON_PERMISSION_DENIED")},
        //% "The source in the settings is not one this program knows."
        {"bad-source", QT_TRID_NOOP("IDS_REASON_BAD_SOURCE")},
        //% "The capture ended before the programme did."
        {"capture-ended", QT_TRID_NOOP("IDS_REASON_CAPTURE_ENDED")},
        //% "The connection to the stream was lost."
        {"connection-lost", QT_TRID_NOOP("IDS_REASON_CONNECTION_LOST")},
        //% "The stream could not be reached."
        {"connection-failed", QT_TRID_NOOP("IDS_REASON_CONNECTION_FAILED")},
        //% "The free space may not be enough for the whole programme."
        {"low-space", QT_TRID_NOOP("IDS_REASON_LOW_SPACE")},
        //% "The programme could not be noted beside the file; a crash would go unreported."
        {"note-unwritten", QT_TRID_NOOP("IDS_REASON_NOTE_UNWRITTEN")},
        //% "No signal on this station: check the antenna."
        {"no-signal", QT_TRID_NOOP("IDS_REASON_NO_SIGNAL")},
        //% "No receiver was found; recorded from the station's stream."
        {"stream-fallback", QT_TRID_NOOP("IDS_REASON_STREAM_FALLBACK")},
        //% "Nothing was heard, so no file was kept."
        {"no-sound", QT_TRID_NOOP("IDS_REASON_NO_SOUND")},
        //% "The stream address is not an http or https address."
        {"bad-url", QT_TRID_NOOP("IDS_REASON_BAD_URL")},
        //% "The station is to be recorded from its stream, but it has no stream address."
        {"no-stream", QT_TRID_NOOP("IDS_REASON_NO_STREAM")},
        //% "The stations table is full."
        {"too-many-stations", QT_TRID_NOOP("IDS_REASON_TOO_MANY_STATIONS")},
        //% "The station lies outside the capture's band."
        {"station-outside-capture", QT_TRID_NOOP("IDS_REASON_OUTSIDE_CAPTURE")},
        //% "The receiver stopped delivering sound."
        {"receiver-lost", QT_TRID_NOOP("IDS_REASON_RECEIVER_LOST")},
        //% "The receiver did not answer in time."
        {"receiver-timeout", QT_TRID_NOOP("IDS_REASON_RECEIVER_TIMEOUT")},
        //% "The receiver failed to start."
        {"receiver-failed", QT_TRID_NOOP("IDS_REASON_RECEIVER_FAILED")},
        //% "The tuner could not be set to the station."
        {"tuning-failed", QT_TRID_NOOP("IDS_REASON_TUNING_FAILED")},
        //% "The tuner reported an error."
        {"device-error", QT_TRID_NOOP("IDS_REASON_DEVICE_ERROR")},
        //% "The station lies outside what the tuner can receive."
        {"frequency-out-of-range", QT_TRID_NOOP("IDS_REASON_FREQUENCY_OUT_OF_RANGE")},
        //% "Direct sampling cannot reach this station."
        {"station-unreachable", QT_TRID_NOOP("IDS_REASON_STATION_UNREACHABLE")},
        //% "The device is not a radio tuner."
        {"not-a-radio", QT_TRID_NOOP("IDS_REASON_NOT_A_RADIO")},
        //% "The tuner's sound card was not found."
        {"no-sound-card", QT_TRID_NOOP("IDS_REASON_NO_SOUND_CARD")},
        //% "The tuner's sound card failed."
        {"sound-card-error", QT_TRID_NOOP("IDS_REASON_SOUND_CARD_ERROR")},
        //% "The stream's server refused it."
        {"http-error", QT_TRID_NOOP("IDS_REASON_HTTP_ERROR")},
        //% "The stream is in a form that cannot be recorded."
        {"unsupported-stream", QT_TRID_NOOP("IDS_REASON_UNSUPPORTED_STREAM")},
        //% "The source delivered nothing for a while."
        {"source-stalled", QT_TRID_NOOP("IDS_REASON_SOURCE_STALLED")},
        //% "The source ran ahead of the clock; the surplus was dropped."
        {"source-ahead", QT_TRID_NOOP("IDS_REASON_SOURCE_AHEAD")},
        //% "The capture file cannot be read."
        {"capture-unreadable", QT_TRID_NOOP("IDS_REASON_CAPTURE_UNREADABLE")},
        //% "The capture is not a regular file."
        {"capture-not-a-file", QT_TRID_NOOP("IDS_REASON_CAPTURE_NOT_A_FILE")},
        //% "The capture holds no samples."
        {"capture-empty", QT_TRID_NOOP("IDS_REASON_CAPTURE_EMPTY")},
        //% "The message from the manager could not be read."
        {"bad-message", QT_TRID_NOOP("IDS_REASON_BAD_MESSAGE")},
        //% "The recording program stopped before the end; the file was finished at the next start."
        {"recovered", QT_TRID_NOOP("IDS_REASON_RECOVERED")},
    };
    const auto found = ids.find(key);
    if (found != ids.end())
        return qtTrId(found->second);
    //% "%1"
    return qtTrId("IDS_REASON_OTHER").arg(QString::fromStdString(englishText));
}

QString clockText(double seconds) {
    const auto whole = qint64(seconds < 0 ? 0 : seconds + 0.5);
    if (whole >= 3600)
        return QStringLiteral("%1:%2:%3")
            .arg(whole / 3600)
            .arg(whole / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(whole % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

QString resultText(const RecordingReport& report) {
    switch (report.result) {
    case RecordingResult::Recorded:
        //% "Recorded %1"
        return qtTrId("IDS_RESULT_RECORDED").arg(clockText(report.seconds));
    case RecordingResult::Partial:
        //% "Partly recorded %1"
        return qtTrId("IDS_RESULT_PARTIAL").arg(clockText(report.seconds));
    case RecordingResult::Failed:
        break;
    }
    //% "Not recorded"
    return qtTrId("IDS_RESULT_FAILED");
}

QString stationText(const Programme& programme) {
    const Station& station = programme.station;
    QString frequency;
    if (station.band == Band::FM) {
        //% "FM %1 MHz"
        frequency = qtTrId("IDS_STATION_FM").arg(station.channel / 100.0, 0, 'f', 1);
    } else {
        //% "AM %1 kHz"
        frequency = qtTrId("IDS_STATION_AM").arg(station.channel);
    }
    if (programme.stationName.empty())
        return frequency;
    return QStringLiteral("%1 (%2)").arg(QString::fromStdString(programme.stationName), frequency);
}

} // namespace velto
