#include "ui/RecordingNotices.h"

#include "ui/HistoryTexts.h"

#include <QPointer>
#include <QStringList>

namespace {
// Titles named in the start-up notification; the rest are counted.
constexpr int kTitlesNamed = 5;

QString Quoted(QString const& title) {
    //% "“%1”"
    return qtTrId("IDS_NOTIFY_QUOTED").arg(title);
}
} // namespace

RecordingNotices::RecordingNotices(IDesktopNotifier* notifier, std::function<void()> showHistory,
                                   QObject* parent)
    : QObject(parent), m_notifier(notifier), m_showHistory(std::move(showHistory)) {}

void RecordingNotices::Show(QString const& summary, QString const& body, bool critical) {
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
        if (self && self->m_showHistory) {
            self->m_showHistory();
        }
    };
    m_notifier->notify(notification);
}

void RecordingNotices::StartupMissed(std::vector<JournalEntry> const& passed) {
    if (passed.empty()) {
        return;
    }
    QStringList titles;
    for (JournalEntry const& entry : passed) {
        m_toldAtStartup.insert(KeyOf(entry));
        if (titles.size() < kTitlesNamed) {
            titles << Quoted(HistoryTitle(entry));
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
    Show(summary, body, true);
}

void RecordingNotices::EntryRecorded(JournalEntry const& entry) {
    switch (entry.kind) {
    case JournalKind::Missed:
        // Told already in the start-up notification.
        if (m_toldAtStartup.erase(KeyOf(entry)) != 0) {
            return;
        }
        //% "Recording missed: %1"
        Show(qtTrId("IDS_NOTIFY_MISSED").arg(Quoted(HistoryTitle(entry))),
             HistoryReservation(entry) + QLatin1Char('\n') + HistoryReason(entry), true);
        return;
    case JournalKind::HandedOver:
        if (entry.present) {
            return;
        }
        //% "Velto did not receive the recording: %1"
        Show(qtTrId("IDS_NOTIFY_NOBODY").arg(Quoted(HistoryTitle(entry))),
             HistoryReservation(entry) + QLatin1Char('\n') + HistoryReason(entry), true);
        return;
    case JournalKind::Woke:
        if (entry.wake != WakeOutcome::Late) {
            return;
        }
        //% "The computer woke up late"
        Show(qtTrId("IDS_NOTIFY_WAKE_LATE"),
             //% "The wake-up planned for %1 did not wake the computer in time: it came up at %2."
             qtTrId("IDS_NOTIFY_WAKE_LATE_BODY")
                 .arg(HistoryTime(entry.planned), HistoryTime(entry.at)),
             false);
        return;
    default:
        return;
    }
}
