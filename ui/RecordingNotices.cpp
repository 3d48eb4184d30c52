#include "ui/RecordingNotices.h"

#include "ui/HistoryTexts.h"

#include <QPointer>
#include <QStringList>

namespace {
// Titles named in the start-up notification; the rest are counted.
constexpr int kTitlesNamed = 5;

QString quoted(QString const& title) {
    //% "“%1”"
    return qtTrId("IDS_NOTIFY_QUOTED").arg(title);
}
} // namespace

RecordingNotices::RecordingNotices(IDesktopNotifier* notifier, QObject* parent)
    : QObject(parent), m_notifier(notifier) {}

void RecordingNotices::notify(QString const& summary, QString const& body, bool critical) {
    if (m_notifier == nullptr) {
        return;
    }
    DesktopNotification notification;
    notification.summary = summary.toStdString();
    notification.body = body.toStdString();
    //% "Show History"
    notification.actions = {{"default", qtTrId("IDS_NOTIFY_SHOW_HISTORY").toStdString()}};
    notification.critical = critical;
    QPointer<RecordingNotices> self(this);
    notification.onAction = [self](std::string const&) {
        if (self) {
            emit self->historyRequested();
        }
    };
    m_notifier->notify(notification);
}

void RecordingNotices::startupMissed(std::vector<JournalEntry> const& passed) {
    if (passed.empty()) {
        return;
    }
    QStringList titles;
    for (JournalEntry const& entry : passed) {
        m_toldAtStartup.insert(keyOf(entry));
        if (titles.size() < kTitlesNamed) {
            titles << quoted(historyTitle(entry));
        }
    }
    int const count = static_cast<int>(passed.size());
    //% ", "
    QString list = titles.join(qtTrId("IDS_NOTIFY_LIST_SEPARATOR"));
    if (count > kTitlesNamed) {
        //% " and %n more"
        list += qtTrId("IDS_NOTIFY_AND_MORE", count - kTitlesNamed);
    }
    //% "Recordings were missed"
    QString const summary = qtTrId("IDS_NOTIFY_STARTUP_TITLE");
    //% "%n recording(s) were missed while %1 was not running: %2"
    QString const body = qtTrId("IDS_NOTIFY_STARTUP_MISSED", count).arg(qtTrId("AppTitle"), list);
    notify(summary, body, true);
}

void RecordingNotices::entryRecorded(JournalEntry const& entry) {
    switch (entry.kind) {
    case JournalKind::Missed:
        // Told already in the start-up notification.
        if (m_toldAtStartup.erase(keyOf(entry)) != 0) {
            return;
        }
        //% "Recording missed: %1"
        notify(qtTrId("IDS_NOTIFY_MISSED").arg(quoted(historyTitle(entry))),
               historyReservation(entry, m_lateNight) + QLatin1Char('\n') + historyReason(entry),
               true);
        return;
    case JournalKind::HandedOver:
        if (entry.present) {
            return;
        }
        //% "Velto did not receive the recording: %1"
        notify(qtTrId("IDS_NOTIFY_NOBODY").arg(quoted(historyTitle(entry))),
               historyReservation(entry, m_lateNight) + QLatin1Char('\n') + historyReason(entry),
               true);
        return;
    case JournalKind::Woke:
        if (entry.wake != WakeOutcome::Late) {
            return;
        }
        //% "The computer woke up late"
        notify(qtTrId("IDS_NOTIFY_WAKE_LATE"),
               //% "The wake-up planned for %1 did not wake the computer in time: it came up at %2."
               qtTrId("IDS_NOTIFY_WAKE_LATE_BODY")
                   .arg(historyTime(entry.planned), historyTime(entry.at)),
               false);
        return;
    case JournalKind::AlarmReplaced:
        //% "Another program's wake alarm was replaced"
        notify(qtTrId("IDS_NOTIFY_ALARM_REPLACED"), alarmReplacedText(entry), false);
        return;
    default:
        return;
    }
}
