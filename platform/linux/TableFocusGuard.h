// Keeps a table view out of the states in which screen readers and Qt 6.4's accessibility
// bridge go wrong (see AccessibleTable): the view takes no focus while it has no rows, and
// hands the focus on when its last row goes; while it has the focus it always has a current
// cell; and when its window goes away with the focus on a cell, readers are told that the
// focus left the cell for the table.
#pragma once

#include <QObject>

class QTableView;

class TableFocusGuard : public QObject {
    Q_OBJECT
public:
    // Watches view, its model (set it first) and its window; owned by the view.
    static TableFocusGuard* attach(QTableView* view);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit TableFocusGuard(QTableView* view);
    void rowsChanged();
    void ensureCurrent();

    QTableView* m_view;
    Qt::FocusPolicy m_policy;
};
