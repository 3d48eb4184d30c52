// The History window: what happened to each recording, newest first, with the time, the
// reservation, the outcome and its reason; failures stand out. It reads the journal each
// time it is shown and while it is open as entries arrive.
#pragma once

#include "history/IRecordingJournal.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QTableView;
class HistoryModel;

class HistoryWindow : public QWidget {
    Q_OBJECT
public:
    // At most this many of the newest entries are shown.
    static constexpr std::size_t kShownEntries = 50000;

    explicit HistoryWindow(IRecordingJournal* journal, QWidget* parent = nullptr);

    // Reads the journal anew.
    void reload();

    QTableView* table() const { return m_table; }
    QPushButton* openButton() const { return m_open; }
    QPushButton* showInFolderButton() const { return m_showInFolder; }
    // What became of the last Open or Show in folder ("" while nothing went wrong).
    QString fileProblem() const;
    QString details() const;
    HistoryModel* model() const { return m_model; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    void sizeColumns();
    void showDetails();
    // The recording file of the selected entry, "" when it has none.
    QString selectedFile() const;
    void openFile();
    void showInFolder();
    void showFileProblem(QString const& text);

    IRecordingJournal* m_journal;
    QTableView* m_table = nullptr;
    HistoryModel* m_model = nullptr;
    QLabel* m_empty = nullptr;
    QLabel* m_details = nullptr; // the selected entry in full
    QPushButton* m_open = nullptr;
    QPushButton* m_showInFolder = nullptr;
    QLabel* m_fileProblem = nullptr;
    QPushButton* m_close = nullptr;
};
