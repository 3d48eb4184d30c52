#include "ui/ReservationTableView.h"

#include "platform/linux/AccessibleTable.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>

namespace {
// Rows are selected whole; the focus frame of a single cell only distracts.
class RowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, QModelIndex const& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->state &= ~QStyle::State_HasFocus;
    }
};
} // namespace

ReservationTableView::ReservationTableView(QWidget* parent) : QTableView(parent) {
    // Before a model is set: setting one already tells screen readers about the table.
    AccessibleTable::installFactory();
    // Rows, not cells: several at once, none at all allowed, never whole columns.
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    setWordWrap(false);
    setShowGrid(false);
    setAlternatingRowColors(true);
    setTabKeyNavigation(false);
    // Fixed row heights and interactive column widths: the view never measures every row,
    // which keeps a table of thousands of reservations quick.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    setItemDelegate(new RowDelegate(this));
}

int ReservationTableView::selectedRow() const {
    QItemSelectionModel const* selection = selectionModel();
    if (!selection) {
        return -1;
    }
    QModelIndex const current = selection->currentIndex();
    if (current.isValid() && selection->isRowSelected(current.row(), QModelIndex())) {
        return current.row();
    }
    QList<int> const rows = selectedRows();
    return rows.isEmpty() ? -1 : rows.last();
}

int ReservationTableView::selectedRowCount() const {
    return static_cast<int>(selectedRows().size());
}

QList<int> ReservationTableView::selectedRows() const {
    QList<int> rows;
    QItemSelectionModel const* selection = selectionModel();
    if (!selection) {
        return rows;
    }
    // Ranges, not indexes: a selection of 10,000 rows stays cheap to read.
    for (QItemSelectionRange const& range : selection->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            rows.append(row);
        }
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

QItemSelectionModel::SelectionFlags
ReservationTableView::selectionCommand(QModelIndex const& index, QEvent const* event) const {
    QItemSelectionModel::SelectionFlags const flags = QTableView::selectionCommand(index, event);
    bool const userChange =
        event && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress ||
                  (event->type() == QEvent::MouseMove &&
                   static_cast<QMouseEvent const*>(event)->buttons() != Qt::NoButton));
    if (userChange && index.isValid() && flags != QItemSelectionModel::NoUpdate) {
        emit const_cast<ReservationTableView*>(this)->rowAboutToBeSelected(index.row());
    }
    return flags;
}

void ReservationTableView::keyPressEvent(QKeyEvent* event) {
    bool const enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
        currentIndex().isValid()) {
        edit(currentIndex(), EditKeyPressed, event);
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void ReservationTableView::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    // The cells draw no focus frame (RowDelegate): while the table has the keyboard, one frame
    // goes round the whole current row, selected or not, in every theme's colours.
    QModelIndex const current = currentIndex();
    if (!hasFocus() || !current.isValid()) {
        return;
    }
    QRect row = visualRect(current);
    row.setLeft(0);
    row.setRight(viewport()->width() - 1);
    bool const selected = selectionModel()->isRowSelected(current.row(), rootIndex());
    QPainter painter(viewport());
    painter.setPen(
        QPen(palette().color(selected ? QPalette::HighlightedText : QPalette::Highlight), 2.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(row).adjusted(1.0, 1.0, -1.0, -1.0));
}

void ReservationTableView::currentChanged(QModelIndex const& current, QModelIndex const& previous) {
    QTableView::currentChanged(current, previous);
    viewport()->update(); // the row frame moves with the current row, not one cell
}

bool ReservationTableView::edit(QModelIndex const& index, EditTrigger trigger, QEvent* event) {
    if (index.isValid() && (trigger == DoubleClicked || trigger == EditKeyPressed)) {
        // Never edited in place.
        emit editRequested(index.row());
        return false;
    }
    return QTableView::edit(index, trigger, event);
}
