// The reservation table's model: hands every cell request to the controller's data-source
// methods. Nothing is read ahead: a reload only takes the new row count, and the cells of
// a row are read when the view first shows that row, then kept until the next reload.
#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <QStringList>
#include <array>

class QTableView;
class ResvManDlgController;

class ResvTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumnCount = 8;
    // The column identifier ("0" to "7") as header data of this role.
    static constexpr int kIdentifierRole = Qt::UserRole + 1;

    ResvTableModel(ResvManDlgController* controller, QObject* parent = nullptr);

    void setTable(QTableView* table) { m_table = table; }

    // Takes the row count anew and forgets every cell read so far. Rows are positions, as
    // in the list: the selected row numbers that still exist stay selected.
    void reload();

    int rowCount(QModelIndex const& parent = QModelIndex()) const override;
    int columnCount(QModelIndex const& parent = QModelIndex()) const override;
    QVariant data(QModelIndex const& index, int role) const override;
    bool setData(QModelIndex const& index, QVariant const& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(QModelIndex const& index) const override;

    QString identifier(int column) const { return m_identifiers.value(column); }

private:
    using Row = std::array<QVariant, kColumnCount>;
    Row const& cachedRow(int row) const;

    ResvManDlgController* m_controller;
    QTableView* m_table = nullptr;
    QStringList m_identifiers;
    int m_rowCount = 0;
    mutable QHash<int, Row> m_cache;
};

// A named multi-size image of the application's resources (":/images/<name>").
QIcon NamedIcon(QString const& name);
