#include "ui/HistoryTexts.h"

#include "ui/BroadcastTimes.h"

#include <QStringList>
#include <QtGlobal>

#include <cmath>
#include <ctime>

namespace {

char const* const kShortDays[7] = {QT_TRID_NOOP("IDS_REGIST_SUN"), QT_TRID_NOOP("IDS_REGIST_MON"),
                                   QT_TRID_NOOP("IDS_REGIST_TUE"), QT_TRID_NOOP("IDS_REGIST_WED"),
                                   QT_TRID_NOOP("IDS_REGIST_THU"), QT_TRID_NOOP("IDS_REGIST_FRI"),
                                   QT_TRID_NOOP("IDS_REGIST_SAT")};

bool localParts(double instant, struct tm& parts) {
    // Rows from a damaged file can hold anything; only what the C library can break down.
    if (!std::isfinite(instant) || std::fabs(instant) > 1.0e12) {
        return false;
    }
    time_t const t = static_cast<time_t>(instant);
    return localtime_r(&t, &parts) != nullptr;
}

QString formatted(double instant, char const* format) {
    struct tm parts {};
    char text[64];
    if (!localParts(instant, parts) || std::strftime(text, sizeof text, format, &parts) == 0) {
        return QStringLiteral("-");
    }
    return QString::fromLatin1(text);
}

QString frequencyText(uint32_t freq) {
    uint32_t const channel = freq & 0xFFFFFFu;
    if ((freq >> 24) == 0) {
        return QStringLiteral("AM %1").arg(channel);
    }
    return QStringLiteral("FM %1").arg(static_cast<double>(channel) / 100.0, 0, 'f', 1);
}

QString appName() {
    return qtTrId("AppTitle");
}

// When the message went out, against the start.
QString leadText(double lead) {
    int const seconds = static_cast<int>(std::lround(std::fabs(lead)));
    if (lead >= 0.0) {
        //% "%1 s before the start"
        return qtTrId("IDS_HIST_LEAD_BEFORE").arg(seconds);
    }
    //% "%1 s after the start"
    return qtTrId("IDS_HIST_LEAD_AFTER").arg(seconds);
}

QString companionText(JournalEntry const& entry) {
    if (!entry.present) {
        if (entry.companion == CompanionState::NotStarted) {
            //% "Velto could not be started: nobody received the recording."
            return qtTrId("IDS_HIST_COMPANION_NOT_STARTED");
        }
        //% "Velto was not running when the recording was sent (%1): nobody received it."
        return qtTrId("IDS_HIST_COMPANION_GONE").arg(leadText(entry.lead));
    }
    if (entry.companion == CompanionState::AlreadyRunning) {
        //% "Velto was already running; sent %1."
        return qtTrId("IDS_HIST_COMPANION_RUNNING").arg(leadText(entry.lead));
    }
    //% "Velto was started; sent %1."
    return qtTrId("IDS_HIST_COMPANION_STARTED").arg(leadText(entry.lead));
}

QString wakeText(JournalEntry const& entry) {
    switch (entry.wake) {
    case WakeOutcome::OnTime:
        //% "On time for the wake-up planned at %1."
        return qtTrId("IDS_WAKE_ON_TIME").arg(formatted(entry.planned, "%H:%M"));
    case WakeOutcome::Late: {
        int const minutes = static_cast<int>(std::lround((entry.at - entry.planned) / 60.0));
        //% "%1 min after the wake-up planned at %2."
        return qtTrId("IDS_WAKE_LATE").arg(minutes).arg(historyTime(entry.planned));
    }
    case WakeOutcome::ByHand:
        break;
    }
    //% "No wake-up was planned for this moment."
    return qtTrId("IDS_WAKE_BY_HAND");
}

int minutesBetween(double from, double to) {
    return static_cast<int>(std::lround(std::fabs(to - from) / 60.0));
}

// Reports speak of a reservation handed over.
bool aboutReservation(JournalKind kind) {
    return kind == JournalKind::HandedOver || kind == JournalKind::Missed ||
           kind == JournalKind::RecordingStarted || kind == JournalKind::RecordingFinished;
}

QString sourceText(std::string const& source) {
    if (source == "receiver") {
        //% "From the receiver."
        return qtTrId("IDS_HIST_SOURCE_RECEIVER");
    }
    if (source == "stream") {
        //% "From the station's internet stream."
        return qtTrId("IDS_HIST_SOURCE_STREAM");
    }
    return QString();
}

// The companion's reason in the user's language where the key is one of the common ones;
// otherwise its own English words (plain text, as every text from the bus).
QString companionReason(JournalEntry const& entry) {
    struct Known {
        char const* key;
        char const* id;
    };
    static Known const known[] = {
        //% "No receiver was found."
        {"no-receiver", QT_TRID_NOOP("IDS_VELTO_REASON_NO_RECEIVER")},
        //% "The receiver was lost during the recording."
        {"receiver-lost", QT_TRID_NOOP("IDS_VELTO_REASON_RECEIVER_LOST")},
        //% "The sound source was lost during the recording."
        {"source-lost", QT_TRID_NOOP("IDS_VELTO_REASON_SOURCE_LOST")},
        //% "The recording began after the programme's start."
        {"started-late", QT_TRID_NOOP("IDS_VELTO_REASON_STARTED_LATE")},
        //% "The disk became full: the recording stopped and what was written is kept."
        {"disk-full", QT_TRID_NOOP("IDS_VELTO_REASON_DISK_FULL")},
        //% "The recording was stopped before its end."
        {"stopped", QT_TRID_NOOP("IDS_VELTO_REASON_STOPPED")},
        //% "Velto stopped during the recording; what was written up to then is kept."
        {"interrupted", QT_TRID_NOOP("IDS_VELTO_REASON_INTERRUPTED")},
        //% "The programme had already ended when Velto received it."
        {"already-over", QT_TRID_NOOP("IDS_VELTO_REASON_ALREADY_OVER")},
        //% "Velto cannot receive this channel."
        {"bad-channel", QT_TRID_NOOP("IDS_VELTO_REASON_BAD_CHANNEL")},
        //% "The start and end times were not usable."
        {"bad-times", QT_TRID_NOOP("IDS_VELTO_REASON_BAD_TIMES")},
        //% "Another recording covered its whole time."
        {"overlapped", QT_TRID_NOOP("IDS_VELTO_REASON_OVERLAPPED")},
        //% "The station's internet stream could not be reached."
        {"station-unreachable", QT_TRID_NOOP("IDS_VELTO_REASON_STATION_UNREACHABLE")},
        //% "The connection to the station's stream was lost."
        {"connection-lost", QT_TRID_NOOP("IDS_VELTO_REASON_CONNECTION_LOST")},
        //% "The receiver is in use by another program."
        {"device-busy", QT_TRID_NOOP("IDS_VELTO_REASON_DEVICE_BUSY")},
        //% "Velto may not use the receiver (permissions)."
        {"permission-denied", QT_TRID_NOOP("IDS_VELTO_REASON_PERMISSION_DENIED")},
    };
    for (Known const& k : known) {
        if (entry.reasonKey == k.key) {
            return qtTrId(k.id);
        }
    }
    QString text = QString::fromUtf8(entry.reasonText);
    if (text.isEmpty()) {
        text = QString::fromUtf8(entry.reasonKey);
    }
    return text;
}

} // namespace

QString testWakeText(JournalEntry const& entry) {
    switch (entry.test) {
    case TestWakeOutcome::OnTime:
        //% "Woke on time by the clock alarm."
        return qtTrId("IDS_TEST_WAKE_ON_TIME");
    case TestWakeOutcome::Late:
        //% "Woke by the clock alarm, but %n min late."
        return qtTrId("IDS_TEST_WAKE_LATE", minutesBetween(entry.planned, entry.at));
    case TestWakeOutcome::ByHand:
        //% "Did not wake by itself: woken by hand %n min later."
        return qtTrId("IDS_TEST_WAKE_BY_HAND", minutesBetween(entry.planned, entry.at));
    case TestWakeOutcome::NoEvent:
        //% "Woke at the planned time, but the clock counted no alarm: something else may "
        //% "have woken it."
        return qtTrId("IDS_TEST_WAKE_NO_EVENT");
    case TestWakeOutcome::Early:
        //% "Woken by hand (or by another device) %n min before the alarm."
        return qtTrId("IDS_TEST_WAKE_EARLY", minutesBetween(entry.at, entry.planned));
    case TestWakeOutcome::NotSuspended:
        break;
    }
    //% "The computer did not go to sleep, so nothing was tested."
    return qtTrId("IDS_TEST_WAKE_NOT_SUSPENDED");
}

QString recordedLength(double seconds) {
    long long const whole =
        std::isfinite(seconds) && seconds > 0.0 ? static_cast<long long>(std::floor(seconds)) : 0;
    long long const h = whole / 3600;
    long long const m = (whole / 60) % 60;
    long long const sec = whole % 60;
    if (h > 0) {
        return QStringLiteral("%1:%2:%3")
            .arg(h)
            .arg(m, 2, 10, QLatin1Char('0'))
            .arg(sec, 2, 10, QLatin1Char('0'));
    }
    return QStringLiteral("%1:%2").arg(m).arg(sec, 2, 10, QLatin1Char('0'));
}

QString historyTime(double instant) {
    struct tm parts {};
    if (!localParts(instant, parts)) {
        return QStringLiteral("-");
    }
    return formatted(instant, "%Y/%m/%d (") + qtTrId(kShortDays[parts.tm_wday % 7]) +
           formatted(instant, ") %H:%M");
}

QString historyTitle(JournalEntry const& entry) {
    if (!aboutReservation(entry.kind)) {
        return QString();
    }
    return QString::fromUtf8(entry.title);
}

QString historyReservation(JournalEntry const& entry, bool lateNight) {
    if (!aboutReservation(entry.kind)) {
        return QString();
    }
    BroadcastTimes const times = broadcastTimes(entry.start, entry.end, 0, lateNight);
    // The recorded span, kept where the margins made it differ from the programme.
    bool const margins = entry.kind == JournalKind::HandedOver && entry.instants.size() == 2;
    if (!times.valid) {
        return QStringLiteral("%1–%2, %3")
            .arg(formatted(entry.start, "%m/%d %H:%M"), formatted(entry.end, "%H:%M"),
                 frequencyText(entry.freq));
    }
    QString text = QStringLiteral("%1 %2–%3, %4")
                       .arg(times.day.toString(QStringLiteral("MM/dd")), minuteText(times.start),
                            minuteText(times.end), frequencyText(entry.freq));
    if (margins) {
        //% "recorded %1–%2"
        text += QStringLiteral(", ") +
                qtTrId("IDS_HIST_RECORDED_SPAN")
                    .arg(minuteText(writtenMinute(entry.instants[0], times.day, lateNight)),
                         minuteText(writtenMinute(entry.instants[1], times.day, lateNight)));
    }
    return text;
}

QString historyOutcome(JournalEntry const& entry) {
    switch (entry.kind) {
    case JournalKind::HandedOver:
        if (!entry.present) {
            //% "Handed over, but Velto did not receive it"
            return qtTrId("IDS_HIST_HANDED_OVER_NOBODY");
        }
        //% "Handed over to Velto"
        return qtTrId("IDS_HIST_HANDED_OVER");
    case JournalKind::Missed:
        //% "Missed"
        return qtTrId("IDS_HIST_MISSED");
    case JournalKind::RecordingStarted:
        //% "Velto began recording"
        return qtTrId("IDS_HIST_RECORDING_STARTED");
    case JournalKind::RecordingFinished:
        switch (entry.result) {
        case RecordingOutcome::Recorded:
            //% "Recorded %1"
            return qtTrId("IDS_HIST_RECORDED").arg(recordedLength(entry.seconds));
        case RecordingOutcome::Partial:
            //% "Partly recorded %1"
            return qtTrId("IDS_HIST_RECORDED_PARTLY").arg(recordedLength(entry.seconds));
        case RecordingOutcome::Failed:
            break;
        }
        //% "Not recorded"
        return qtTrId("IDS_HIST_NOT_RECORDED");
    case JournalKind::Woke:
        if (entry.boot) {
            //% "Computer started"
            return qtTrId("IDS_HIST_BOOTED");
        }
        //% "Computer woke from sleep"
        return qtTrId("IDS_HIST_WOKE");
    case JournalKind::Sleep:
        //% "Computer went to sleep"
        return qtTrId("IDS_HIST_SLEEP");
    case JournalKind::ProgramStarted:
        //% "%1 started"
        return qtTrId("IDS_HIST_PROGRAM_STARTED").arg(appName());
    case JournalKind::ProgramExited:
        //% "%1 ended"
        return qtTrId("IDS_HIST_PROGRAM_EXITED").arg(appName());
    case JournalKind::WakeUpsPlanned:
        if (entry.instants.empty()) {
            //% "No wake-ups planned"
            return qtTrId("IDS_HIST_WAKEUPS_NONE");
        }
        //% "%n wake-up(s) planned"
        return qtTrId("IDS_HIST_WAKEUPS", static_cast<int>(entry.instants.size()));
    case JournalKind::ShutdownPlanned:
        //% "Shutdown planned"
        return qtTrId("IDS_HIST_SHUTDOWN");
    case JournalKind::ShutdownCancelled:
        //% "Planned shutdown cancelled"
        return qtTrId("IDS_HIST_SHUTDOWN_CANCELLED");
    case JournalKind::TestWakeUp:
        //% "Test wake-up"
        return qtTrId("IDS_HIST_TEST_WAKE");
    case JournalKind::AlarmReplaced:
        //% "Another program's wake alarm replaced"
        return qtTrId("IDS_HIST_ALARM_REPLACED");
    }
    return QString();
}

QString missReasonText(MissReason reason) {
    switch (reason) {
    case MissReason::NotRunning:
        //% "%1 was not running at its start time."
        return qtTrId("IDS_REASON_NOT_RUNNING").arg(appName());
    case MissReason::AsleepOrOff:
        //% "The computer was asleep or switched off at its start time."
        return qtTrId("IDS_REASON_ASLEEP_OR_OFF");
    case MissReason::WokeLate:
        //% "The computer woke up too late: a wake-up was planned, but it came up "
        //% "after the start time."
        return qtTrId("IDS_REASON_WOKE_LATE");
    case MissReason::SwitchedOff:
        //% "The reservation was switched off at its start time."
        return qtTrId("IDS_REASON_SWITCHED_OFF");
    case MissReason::Unknown:
        break;
    }
    //% "The reason is not known: the history holds nothing about that time."
    return qtTrId("IDS_REASON_UNKNOWN");
}

QString alarmReplacedText(JournalEntry const& entry) {
    QString const ours =
        entry.instants.empty() ? QStringLiteral("-") : historyTime(entry.instants.front());
    if (entry.planned > 0.0) {
        //% "The clock alarm another program had set for %1 was replaced by the wake-up at %2: "
        //% "that program's wake-up will not happen."
        return qtTrId("IDS_HIST_ALARM_REPLACED_AT").arg(historyTime(entry.planned), ours);
    }
    //% "The clock alarm another program had set was replaced by the wake-up at %1: that "
    //% "program's wake-up will not happen."
    return qtTrId("IDS_HIST_ALARM_REPLACED_UNKNOWN").arg(ours);
}

QString historyReason(JournalEntry const& entry) {
    switch (entry.kind) {
    case JournalKind::HandedOver:
        return companionText(entry);
    case JournalKind::Missed:
        return missReasonText(entry.reason);
    case JournalKind::RecordingStarted:
        return sourceText(entry.source);
    case JournalKind::RecordingFinished: {
        QStringList parts;
        if (entry.result != RecordingOutcome::Recorded) {
            parts << companionReason(entry);
        }
        if (entry.dropouts > 0) {
            //% "The source dropped out %n time(s)."
            parts << qtTrId("IDS_HIST_DROPOUTS", entry.dropouts);
        }
        // Where it came from, when anything came.
        if (entry.result != RecordingOutcome::Failed) {
            parts << sourceText(entry.source);
        }
        // The path last: it may be long, and a column cuts it rather than the reason.
        if (!entry.file.empty()) {
            //% "File: %1"
            parts << qtTrId("IDS_HIST_FILE").arg(QString::fromUtf8(entry.file));
        }
        parts.removeAll(QString());
        //% " "
        return parts.join(qtTrId("IDS_HIST_SENTENCE_SEPARATOR"));
    }
    case JournalKind::Woke:
        return wakeText(entry);
    case JournalKind::ProgramExited:
        if (entry.exitCause == ExitCause::ExitCommand) {
            //% "Ended with the Exit command."
            return qtTrId("IDS_HIST_EXIT_COMMAND");
        }
        //% "Ended with the session or by the system."
        return qtTrId("IDS_HIST_EXIT_ENDED");
    case JournalKind::WakeUpsPlanned:
        // The first still ahead when they were planned (a past start gets one too).
        for (double const instant : entry.instants) {
            if (instant > entry.at) {
                //% "Next: %1"
                return qtTrId("IDS_HIST_NEXT").arg(historyTime(instant));
            }
        }
        return QString();
    case JournalKind::ShutdownPlanned:
        //% "At %1"
        return qtTrId("IDS_HIST_AT")
            .arg(entry.instants.empty() ? QStringLiteral("-")
                                        : historyTime(entry.instants.front()));
    case JournalKind::TestWakeUp:
        return testWakeText(entry);
    case JournalKind::AlarmReplaced:
        return alarmReplacedText(entry);
    default:
        return QString();
    }
}
