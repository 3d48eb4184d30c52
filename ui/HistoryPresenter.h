// The recording history as the main window shows it: the History window, and what the
// journal reports, on the main thread (desktop notifications of failures, the History window
// read anew, a line above the table while the history cannot be kept).
#pragma once

#include "history/SqliteJournal.h"
#include "ui/HistoryWindow.h"

#include <QObject>
#include <QPointer>
#include <QString>

class IRecordingJournal;
class MainWindow;
class RecordingNotices;

class HistoryPresenter : public QObject {
    Q_OBJECT
public:
    // journal: may be null (nothing is kept). Not owned.
    HistoryPresenter(IRecordingJournal* journal, MainWindow& window, QObject* parent = nullptr);

    // May be null: no desktop notifications.
    void setRecordingNotices(RecordingNotices* notices) { m_notices = notices; }
    // The History window, once it was opened.
    HistoryWindow* window() const { return m_history.data(); }

public slots:
    void showHistory();
    // An entry the journal has handled.
    void journalRecorded(JournalEntry const& entry);
    // What the journal had to do about its file.
    void journalTrouble(SqliteJournal::Trouble const& trouble);

private:
    IRecordingJournal* m_journal;
    MainWindow& m_window;
    RecordingNotices* m_notices = nullptr;
    QPointer<HistoryWindow> m_history;
    bool m_reloadQueued = false;
    QString m_setAside; // the notice after the history was begun afresh
};
