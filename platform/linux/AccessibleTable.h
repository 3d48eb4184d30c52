// What a screen reader sees of a table view: the table, its column headers and its cells,
// in place of the toolkit's own. Qt 6.4's AT-SPI bridge takes the toolkit's answer "there is
// no such cell" (a cell of an empty table, the cell -1,-1 a reader asks for while nothing is
// current) and calls on it (IsSelected, GetRowColumnExtentsAtIndex, GetRowExtentAt,
// GetColumnExtentAt): the program dies. Here every cell asked for exists; outside the table
// it is an empty, unselected, invisible stand-in that still names its column. The children
// keep the toolkit's numbering (a header row, then a row-header column), which the view's own
// focus and selection events use. Every answer checks that the view still exists, so a reader
// that holds a cell of a closed or destroyed window gets nothing instead of a crash.
#pragma once

#include <QAccessibleWidget>
#include <QHash>

class QTableView;

class AccessibleTable : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit AccessibleTable(QTableView* view);
    ~AccessibleTable() override;

    // Every table view made from now on is described by this class. Needs the application
    // object; later calls do nothing.
    static void installFactory();

    // The column's header cell; null outside the columns.
    QAccessibleInterface* columnHeader(int column) const;
    // The row's header cell while the view shows row headers; null otherwise.
    QAccessibleInterface* rowHeader(int row) const;

    QAccessible::Role role() const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(QAccessibleInterface const* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface*> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int row) const override;
    int selectedColumnCount() const override;
    int selectedRowCount() const override;
    int columnCount() const override;
    int rowCount() const override;
    QList<int> selectedColumns() const override;
    QList<int> selectedRows() const override;
    bool isColumnSelected(int column) const override;
    bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    bool selectColumn(int column) override;
    bool unselectRow(int row) override;
    bool unselectColumn(int column) override;
    void modelChange(QAccessibleTableModelChangeEvent* event) override;

private:
    // Null once the view is gone or being destroyed.
    QTableView* view() const;
    QAccessibleInterface* outside(int column) const;
    // Forgets the children that no longer exist and numbers the others anew.
    void renumber(bool columnsChanged);

    mutable QHash<int, QAccessible::Id> m_children; // by the toolkit's child number
    mutable QHash<int, QAccessible::Id> m_outside;  // stand-ins by column (-1: none)
};
