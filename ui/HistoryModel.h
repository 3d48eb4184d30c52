// The History window's model: journal entries, newest first, one row each. Cells are worded
// when the view asks for them, so that a year of rows is taken in at once.
#pragma once

#include "history/IRecordingJournal.h"

#include <QAbstractTableModel>

#include <vector>

class HistoryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Status, Time, Title, Outcome, Reason, ColumnCount };

    explicit HistoryModel(QObject* parent = nullptr);

    void setEntries(std::vector<JournalEntry> entries);
    // Late-night times written as 24:00-29:59 of the day before; read at the next setEntries.
    void setLateNightHours(bool on) { m_lateNight = on; }
    std::vector<JournalEntry> const& entries() const { return m_entries; }
    JournalEntry const& entry(int row) const { return m_entries.at(static_cast<std::size_t>(row)); }

    int rowCount(QModelIndex const& parent = QModelIndex()) const override;
    int columnCount(QModelIndex const& parent = QModelIndex()) const override;
    QVariant data(QModelIndex const& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<JournalEntry> m_entries;
    bool m_lateNight = false;
};
