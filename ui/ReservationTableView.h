// The reservation table: rows selected whole, several at once or none; an edit (a
// double-click, Return) opens the reservation dialog instead of editing a cell. It answers
// the row-selection questions the commands need.
#pragma once

#include <QList>
#include <QTableView>

class ReservationTableView : public QTableView {
    Q_OBJECT
public:
    explicit ReservationTableView(QWidget* parent = nullptr);

    // The last row the user selected (the current row while it is selected), else the
    // highest selected row; -1 when none is selected.
    int selectedRow() const;
    int selectedRowCount() const;
    // Selected rows in ascending order.
    QList<int> selectedRows() const;

signals:
    // A user's click or key is about to change the selection to this row.
    void rowAboutToBeSelected(int row);
    // The user asked to edit the row (double-click, Return).
    void editRequested(int row);

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(QModelIndex const& index,
                                                         QEvent const* event) const override;
    bool edit(QModelIndex const& index, EditTrigger trigger, QEvent* event) override;
    // Return or Enter on a row asks to edit it, as a double-click does.
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void currentChanged(QModelIndex const& current, QModelIndex const& previous) override;
};
