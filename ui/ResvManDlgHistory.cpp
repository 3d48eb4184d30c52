// The main window controller's part in the recording history: the History window, the
// journal's reports on the main thread, and the reason behind a missed reservation.
#include "ui/ResvManDlgController.h"

#include "ui/HistoryTexts.h"
#include "ui/HistoryWindow.h"
#include "ui/RecordingNotices.h"

#include <QMainWindow>
#include <QTimer>

namespace {
constexpr int kHistoryReloadDelayMs = 200;
}

void ResvManDlgController::OnMenuHistory(QObject* /*sender*/) {
    ShowHistory();
}

void ResvManDlgController::ShowHistory() {
    if (!m_history) {
        m_history = new HistoryWindow(m_services.journal, m_mainWindow);
    }
    m_history->reload();
    m_history->show();
    m_history->raise();
    m_history->activateWindow();
}

HistoryWindow* ResvManDlgController::historyWindow() const {
    return m_history.data();
}

void ResvManDlgController::JournalRecorded(JournalEntry const& entry) {
    if (m_recordingNotices != nullptr) {
        m_recordingNotices->EntryRecorded(entry);
    }
    // Entries come in bursts (everything missed while the program was away): one reading
    // of the journal for the lot.
    if (m_history && m_history->isVisible() && !m_historyReloadQueued) {
        m_historyReloadQueued = true;
        QTimer::singleShot(kHistoryReloadDelayMs, this, [this] {
            m_historyReloadQueued = false;
            if (m_history && m_history->isVisible()) {
                m_history->reload();
            }
        });
    }
}

void ResvManDlgController::JournalTrouble(SqliteJournal::Trouble const& trouble) {
    QString const reason = QString::fromStdString(trouble.reason);
    switch (trouble.kind) {
    case SqliteJournal::Trouble::Kind::SetAside:
        m_journalSetAside =
            //% "The recording history could not be used (%1). It was kept as %2, and a "
            //% "new history was begun."
            qtTrId("IDS_NOTICE_JOURNAL_SET_ASIDE")
                .arg(reason, QString::fromStdString(trouble.setAsidePath));
        ShowNotice(NoticeKind::Journal, m_journalSetAside);
        return;
    case SqliteJournal::Trouble::Kind::Unavailable:
        //% "The recording history cannot be written (%1). Recordings go on, but "
        //% "for now they are not kept in the history."
        ShowNotice(NoticeKind::Journal, qtTrId("IDS_NOTICE_JOURNAL_UNAVAILABLE").arg(reason));
        return;
    case SqliteJournal::Trouble::Kind::Recovered:
        if (m_journalSetAside.isEmpty()) {
            ClearNotice(NoticeKind::Journal);
        } else {
            ShowNotice(NoticeKind::Journal, m_journalSetAside);
        }
        return;
    }
}

QString ResvManDlgController::MissedReason(int row) {
    SCHEDULEITEM_TAG rec;
    if (m_Schedule == nullptr || !m_Schedule->readScheduleByIndex(row, &rec) || rec.cPending != 0) {
        return QString();
    }
    std::optional<JournalEntry> const miss = FindMiss(rec);
    return miss ? MissReasonText(miss->reason) : QString();
}
