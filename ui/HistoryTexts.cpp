#include "ui/HistoryTexts.h"

#include <QtGlobal>

#include <cmath>
#include <ctime>

namespace {

char const* const kShortDays[7] = {QT_TRID_NOOP("IDS_REGIST_SUN"), QT_TRID_NOOP("IDS_REGIST_MON"),
                                   QT_TRID_NOOP("IDS_REGIST_TUE"), QT_TRID_NOOP("IDS_REGIST_WED"),
                                   QT_TRID_NOOP("IDS_REGIST_THU"), QT_TRID_NOOP("IDS_REGIST_FRI"),
                                   QT_TRID_NOOP("IDS_REGIST_SAT")};

bool LocalParts(double instant, struct tm& parts) {
    // Rows from a damaged file can hold anything; only what the C library can break down.
    if (!std::isfinite(instant) || std::fabs(instant) > 1.0e12) {
        return false;
    }
    time_t const t = static_cast<time_t>(instant);
    return localtime_r(&t, &parts) != nullptr;
}

QString Format(double instant, char const* format) {
    struct tm parts {};
    char text[64];
    if (!LocalParts(instant, parts) || std::strftime(text, sizeof text, format, &parts) == 0) {
        return QStringLiteral("-");
    }
    return QString::fromLatin1(text);
}

QString FrequencyText(uint32_t freq) {
    uint32_t const channel = freq & 0xFFFFFFu;
    if ((freq >> 24) == 0) {
        return QStringLiteral("AM %1").arg(channel);
    }
    return QStringLiteral("FM %1").arg(static_cast<double>(channel) / 100.0, 0, 'f', 1);
}

QString AppName() {
    return qtTrId("AppTitle");
}

// When the message went out, against the start.
QString LeadText(double lead) {
    int const seconds = static_cast<int>(std::lround(std::fabs(lead)));
    if (lead >= 0.0) {
        //% "%1 s before the start"
        return qtTrId("IDS_HIST_LEAD_BEFORE").arg(seconds);
    }
    //% "%1 s after the start"
    return qtTrId("IDS_HIST_LEAD_AFTER").arg(seconds);
}

QString CompanionText(JournalEntry const& entry) {
    if (!entry.present) {
        if (entry.companion == CompanionState::NotStarted) {
            //% "Velto could not be started: nobody received the recording."
            return qtTrId("IDS_HIST_COMPANION_NOT_STARTED");
        }
        //% "Velto was not running when the recording was sent (%1): nobody received it."
        return qtTrId("IDS_HIST_COMPANION_GONE").arg(LeadText(entry.lead));
    }
    if (entry.companion == CompanionState::AlreadyRunning) {
        //% "Velto was already running; sent %1."
        return qtTrId("IDS_HIST_COMPANION_RUNNING").arg(LeadText(entry.lead));
    }
    //% "Velto was started; sent %1."
    return qtTrId("IDS_HIST_COMPANION_STARTED").arg(LeadText(entry.lead));
}

QString WakeText(JournalEntry const& entry) {
    switch (entry.wake) {
    case WakeOutcome::OnTime:
        //% "On time for the wake-up planned at %1."
        return qtTrId("IDS_WAKE_ON_TIME").arg(Format(entry.planned, "%H:%M"));
    case WakeOutcome::Late: {
        int const minutes = static_cast<int>(std::lround((entry.at - entry.planned) / 60.0));
        //% "%1 min after the wake-up planned at %2."
        return qtTrId("IDS_WAKE_LATE").arg(minutes).arg(HistoryTime(entry.planned));
    }
    case WakeOutcome::ByHand:
        break;
    }
    //% "No wake-up was planned for this moment."
    return qtTrId("IDS_WAKE_BY_HAND");
}

} // namespace

QString HistoryTime(double instant) {
    struct tm parts {};
    if (!LocalParts(instant, parts)) {
        return QStringLiteral("-");
    }
    return Format(instant, "%Y/%m/%d (") + qtTrId(kShortDays[parts.tm_wday % 7]) +
           Format(instant, ") %H:%M");
}

QString HistoryTitle(JournalEntry const& entry) {
    if (entry.kind != JournalKind::HandedOver && entry.kind != JournalKind::Missed) {
        return QString();
    }
    return QString::fromUtf8(entry.title);
}

QString HistoryReservation(JournalEntry const& entry) {
    if (entry.kind != JournalKind::HandedOver && entry.kind != JournalKind::Missed) {
        return QString();
    }
    return QStringLiteral("%1–%2, %3")
        .arg(Format(entry.start, "%m/%d %H:%M"), Format(entry.end, "%H:%M"),
             FrequencyText(entry.freq));
}

QString HistoryOutcome(JournalEntry const& entry) {
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
        return qtTrId("IDS_HIST_PROGRAM_STARTED").arg(AppName());
    case JournalKind::ProgramExited:
        //% "%1 ended"
        return qtTrId("IDS_HIST_PROGRAM_EXITED").arg(AppName());
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
    }
    return QString();
}

QString MissReasonText(MissReason reason) {
    switch (reason) {
    case MissReason::NotRunning:
        //% "%1 was not running at its start time."
        return qtTrId("IDS_REASON_NOT_RUNNING").arg(AppName());
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

QString HistoryReason(JournalEntry const& entry) {
    switch (entry.kind) {
    case JournalKind::HandedOver:
        return CompanionText(entry);
    case JournalKind::Missed:
        return MissReasonText(entry.reason);
    case JournalKind::Woke:
        return WakeText(entry);
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
                return qtTrId("IDS_HIST_NEXT").arg(HistoryTime(instant));
            }
        }
        return QString();
    case JournalKind::ShutdownPlanned:
        //% "At %1"
        return qtTrId("IDS_HIST_AT")
            .arg(entry.instants.empty() ? QStringLiteral("-")
                                        : HistoryTime(entry.instants.front()));
    default:
        return QString();
    }
}
