// The reservation table: a table view with a tag, whose selection and edit requests ask the
// controller first, and with the row-selection questions the commands need.
#pragma once

#include <QList>
#include <QTableView>
#include <functional>

class MyTableView : public QTableView {
    Q_OBJECT
    Q_PROPERTY(int tag READ tag WRITE setTag)
public:
    explicit MyTableView(QWidget* parent = nullptr);

    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

    // Asked before a user's click or key changes the selection to a row (-1: none); false
    // keeps the selection as it is.
    std::function<bool(int row)> shouldSelectRow;
    // Asked when the user would start editing a cell (double-click); answers whether to
    // edit in place, which the reservation table never does.
    std::function<bool(int column, int row)> shouldEditTableColumn;

    // Reads the model anew, keeping the selected row numbers that still exist.
    void reloadData();

    // The last row the user selected (the current row while it is selected), else the
    // highest selected row; -1 when none is selected.
    static int selectedRow(QTableView const* table);
    static int numberOfSelectedRows(QTableView const* table);
    // Selected rows in ascending order.
    static QList<int> selectedRowIndexes(QTableView const* table);

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(QModelIndex const& index,
                                                         QEvent const* event) const override;
    bool edit(QModelIndex const& index, EditTrigger trigger, QEvent* event) override;
    // Return or Enter on a row asks to edit it, as a double-click does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    int m_tag = 0;
};
