// The reservation table's model: one row per reservation, in list order, eight columns
// (status, date, weekly, start, end, frequency, station, title). Nothing is read ahead: a
// reload only takes the new row count, and the cells of a row are read when the view first
// shows that row, then kept until the next reload.
#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>

#include <array>

class RecordingEngine;
struct ChannelPresetTable;
struct Reservation;

class ReservationTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Status, Date, Weekly, Start, End, Frequency, Station, Title, ColumnCount };

    // presets: the companion's, for the station column. Neither is owned.
    ReservationTableModel(RecordingEngine& engine, ChannelPresetTable const& presets,
                          QObject* parent = nullptr);

    // Takes the row count anew and forgets every cell read so far. Rows are positions, as
    // in the list: the selected row numbers that still exist stay selected. Reads anew
    // whether late-night times are shown as 24:00-29:59 of the day before.
    void reload();

    int rowCount(QModelIndex const& parent = QModelIndex()) const override;
    int columnCount(QModelIndex const& parent = QModelIndex()) const override;
    QVariant data(QModelIndex const& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(QModelIndex const& index) const override;

    // Why the reservation in row was missed, as the history tells it; empty when not known.
    QString missedReason(int row) const;

private:
    using Row = std::array<QVariant, ColumnCount>;
    Row const& cachedRow(int row) const;
    QVariant cell(Reservation const& rec, int column) const;

    RecordingEngine& m_engine;
    ChannelPresetTable const& m_presets;
    int m_rowCount = 0;
    bool m_lateNight = false;
    mutable QHash<int, Row> m_cache;
};

// A named multi-size image of the application's resources (":/images/<name>").
QIcon namedIcon(QString const& name);
