#include "ui/HistoryPresenter.h"

#include "ui/BroadcastTimes.h"
#include "ui/HistoryModel.h"
#include "ui/HistoryWindow.h"
#include "ui/MainWindow.h"
#include "ui/RecordingNotices.h"

#include <QTimer>

namespace {
constexpr int kHistoryReloadDelayMs = 200;
}

HistoryPresenter::HistoryPresenter(IRecordingJournal* journal, MainWindow& window, QObject* parent)
    : QObject(parent), m_journal(journal), m_window(window) {}

void HistoryPresenter::showHistory() {
    if (!m_history) {
        m_history = new HistoryWindow(m_journal, &m_window);
    }
    m_history->model()->setLateNightHours(lateNightHours(m_window.engine().settings()));
    m_history->reload();
    m_history->show();
    m_history->raise();
    m_history->activateWindow();
}

void HistoryPresenter::journalRecorded(JournalEntry const& entry) {
    if (m_notices != nullptr) {
        m_notices->setLateNightHours(lateNightHours(m_window.engine().settings()));
        m_notices->entryRecorded(entry);
    }
    // Entries come in bursts (everything missed while the program was away): one reading
    // of the journal for the lot.
    if (m_history && m_history->isVisible() && !m_reloadQueued) {
        m_reloadQueued = true;
        QTimer::singleShot(kHistoryReloadDelayMs, this, [this] {
            m_reloadQueued = false;
            if (m_history && m_history->isVisible()) {
                m_history->reload();
            }
        });
    }
}

void HistoryPresenter::journalTrouble(SqliteJournal::Trouble const& trouble) {
    QString const reason = QString::fromStdString(trouble.reason);
    switch (trouble.kind) {
    case SqliteJournal::Trouble::Kind::SetAside:
        m_setAside =
            //% "The recording history could not be used (%1). It was kept as %2, and a "
            //% "new history was begun."
            qtTrId("IDS_NOTICE_JOURNAL_SET_ASIDE")
                .arg(reason, QString::fromStdString(trouble.setAsidePath));
        m_window.showNotice(NoticeKind::Journal, m_setAside);
        return;
    case SqliteJournal::Trouble::Kind::Unavailable:
        //% "The recording history cannot be written (%1). Recordings go on, but "
        //% "for now they are not kept in the history."
        m_window.showNotice(NoticeKind::Journal,
                            qtTrId("IDS_NOTICE_JOURNAL_UNAVAILABLE").arg(reason));
        return;
    case SqliteJournal::Trouble::Kind::Recovered:
        if (m_setAside.isEmpty()) {
            m_window.clearNotice(NoticeKind::Journal);
        } else {
            m_window.showNotice(NoticeKind::Journal, m_setAside);
        }
        return;
    }
}
