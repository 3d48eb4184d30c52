#include "platform/linux/AccessibleTable.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTableView>

namespace {

// A view that is gone, or whose destructor runs (it is no longer a QTableView then), is null.
QTableView* aliveView(QPointer<QObject> const& object) {
    return qobject_cast<QTableView*>(object.data());
}

// The child number the view's own events give a cell: a header row first, and one row-header
// column in front of each row.
int childNumber(QTableView const* view, int row, int column) {
    return (row + 1) * (view->model()->columnCount(view->rootIndex()) + 1) + column + 1;
}

// One child of the table: a cell, a header cell, the corner, or a stand-in outside the table.
class TableCell : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    enum class Kind { Cell, ColumnHeader, RowHeader, Corner, Outside };

    // index: the cell, or any cell of the row a row header stands for. section: the column
    // of a column header or of a stand-in (-1: none).
    TableCell(QTableView* view, Kind kind, QModelIndex const& index, int section)
        : m_view(view), m_kind(kind), m_index(index), m_section(section) {}

    Kind kind() const { return m_kind; }

    // The child number now; -1 when the cell is gone or a stand-in.
    int number() const {
        QTableView const* view = aliveView(m_view);
        if (!view || !view->model()) {
            return -1;
        }
        switch (m_kind) {
        case Kind::Cell:
            return indexAlive(view) ? childNumber(view, m_index.row(), m_index.column()) : -1;
        case Kind::RowHeader:
            return indexAlive(view) ? childNumber(view, m_index.row(), -1) : -1;
        case Kind::ColumnHeader:
            return columnAlive(view) ? childNumber(view, -1, m_section) : -1;
        case Kind::Corner:
            return 0;
        case Kind::Outside:
            break;
        }
        return -1;
    }

    bool isValid() const override {
        QTableView const* view = aliveView(m_view);
        if (!view || !view->model()) {
            return false;
        }
        switch (m_kind) {
        case Kind::Cell:
        case Kind::RowHeader:
            return indexAlive(view);
        case Kind::ColumnHeader:
            return columnAlive(view);
        case Kind::Corner:
        case Kind::Outside:
            break;
        }
        return true;
    }

    QObject* object() const override { return nullptr; }

    QWindow* window() const override {
        QTableView const* view = aliveView(m_view);
        return view ? view->window()->windowHandle() : nullptr;
    }

    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(aliveView(m_view));
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(QAccessibleInterface const*) const override { return -1; }

    QString text(QAccessible::Text text) const override {
        QTableView const* view = aliveView(m_view);
        if (!isValid() || (text != QAccessible::Name && text != QAccessible::Description)) {
            return QString();
        }
        int const spoken =
            text == QAccessible::Name ? Qt::AccessibleTextRole : Qt::AccessibleDescriptionRole;
        QAbstractItemModel const* model = view->model();
        auto answer = [&](auto read) {
            QString value = read(spoken).toString();
            if (value.isEmpty() && text == QAccessible::Name) {
                value = read(Qt::DisplayRole).toString();
            }
            return value;
        };
        switch (m_kind) {
        case Kind::Cell:
            return answer([&](int role) { return model->data(m_index, role); });
        case Kind::ColumnHeader:
            return answer(
                [&](int role) { return model->headerData(m_section, Qt::Horizontal, role); });
        case Kind::RowHeader:
            return answer(
                [&](int role) { return model->headerData(m_index.row(), Qt::Vertical, role); });
        case Kind::Corner:
        case Kind::Outside:
            break;
        }
        return QString();
    }

    void setText(QAccessible::Text, QString const&) override {} // never edited in place

    QRect rect() const override {
        QTableView const* view = aliveView(m_view);
        if (!isValid()) {
            return QRect();
        }
        switch (m_kind) {
        case Kind::Cell: {
            QRect const shown = view->visualRect(m_index);
            return shown.isNull() ? QRect()
                                  : shown.translated(view->viewport()->mapToGlobal(QPoint(0, 0)));
        }
        case Kind::ColumnHeader: {
            QHeaderView const* header = view->horizontalHeader();
            QPoint const at =
                header->mapToGlobal(QPoint(header->sectionViewportPosition(m_section), 0));
            return QRect(at, QSize(header->sectionSize(m_section), header->height()));
        }
        case Kind::RowHeader: {
            QHeaderView const* header = view->verticalHeader();
            QPoint const at =
                header->mapToGlobal(QPoint(0, header->sectionViewportPosition(m_index.row())));
            return QRect(at, QSize(header->width(), header->sectionSize(m_index.row())));
        }
        case Kind::Corner:
        case Kind::Outside:
            break;
        }
        return QRect();
    }

    QAccessible::Role role() const override {
        switch (m_kind) {
        case Kind::ColumnHeader:
            return QAccessible::ColumnHeader;
        case Kind::RowHeader:
            return QAccessible::RowHeader;
        case Kind::Corner:
            return QAccessible::Pane;
        case Kind::Cell:
        case Kind::Outside:
            break;
        }
        return QAccessible::Cell;
    }

    QAccessible::State state() const override {
        QAccessible::State state;
        QTableView const* view = aliveView(m_view);
        if (!isValid() || m_kind == Kind::Outside || m_kind == Kind::Corner) {
            state.invisible = true;
            return state;
        }
        if (m_kind != Kind::Cell) {
            QHeaderView const* header =
                m_kind == Kind::ColumnHeader ? view->horizontalHeader() : view->verticalHeader();
            state.invisible = header->isHidden() || !view->isVisible();
            return state;
        }
        QRect const shown =
            view->viewport()->rect().translated(view->viewport()->mapToGlobal(QPoint(0, 0)));
        state.invisible = !view->isVisible() || !shown.intersects(rect());
        Qt::ItemFlags const flags = m_index.flags();
        state.disabled = !(flags & Qt::ItemIsEnabled) || !view->isEnabled();
        if (flags & Qt::ItemIsSelectable) {
            state.selectable = true;
            state.focusable = true;
            state.multiSelectable = view->selectionMode() == QAbstractItemView::MultiSelection;
            state.extSelectable = view->selectionMode() == QAbstractItemView::ExtendedSelection;
        }
        QItemSelectionModel const* selection = view->selectionModel();
        state.selected = selection && selection->isSelected(m_index);
        state.focused = selection && selection->currentIndex() == m_index && view->hasFocus();
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableCellInterface
                   ? static_cast<QAccessibleTableCellInterface*>(this)
                   : nullptr;
    }

    bool isSelected() const override {
        QTableView const* view = aliveView(m_view);
        return m_kind == Kind::Cell && isValid() && view->selectionModel() &&
               view->selectionModel()->isSelected(m_index);
    }

    QList<QAccessibleInterface*> columnHeaderCells() const override {
        AccessibleTable const* const holder = owner();
        QAccessibleInterface* header = holder ? holder->columnHeader(columnIndex()) : nullptr;
        if (!header && m_kind == Kind::Outside && holder) {
            header = holder->columnHeader(m_section);
        }
        return header ? QList<QAccessibleInterface*>{header} : QList<QAccessibleInterface*>{};
    }

    QList<QAccessibleInterface*> rowHeaderCells() const override {
        AccessibleTable const* const holder = owner();
        QAccessibleInterface* header =
            holder && m_kind == Kind::Cell ? holder->rowHeader(rowIndex()) : nullptr;
        return header ? QList<QAccessibleInterface*>{header} : QList<QAccessibleInterface*>{};
    }

    int columnIndex() const override {
        if (!isValid()) {
            return -1;
        }
        return m_kind == Kind::Cell ? m_index.column()
                                    : (m_kind == Kind::ColumnHeader ? m_section : -1);
    }

    int rowIndex() const override {
        if (!isValid()) {
            return -1;
        }
        return m_kind == Kind::Cell || m_kind == Kind::RowHeader ? m_index.row() : -1;
    }

    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

private:
    AccessibleTable const* owner() const {
        return dynamic_cast<AccessibleTable const*>(
            QAccessible::queryAccessibleInterface(aliveView(m_view)));
    }
    bool indexAlive(QTableView const* view) const {
        return m_index.isValid() && m_index.model() == view->model();
    }
    bool columnAlive(QTableView const* view) const {
        return m_section >= 0 && m_section < view->model()->columnCount(view->rootIndex());
    }

    QPointer<QObject> m_view;
    Kind m_kind;
    QPersistentModelIndex m_index;
    int m_section;
};

QAccessibleInterface* tableFactory(QString const& className, QObject* object) {
    // Asked first with the object's own class: one answer for every kind of table view.
    auto* view = qobject_cast<QTableView*>(object);
    if (!view || className != QLatin1String(object->metaObject()->className())) {
        return nullptr;
    }
    return new AccessibleTable(view);
}

} // namespace

AccessibleTable::AccessibleTable(QTableView* view) : QAccessibleWidget(view, QAccessible::Table) {}

AccessibleTable::~AccessibleTable() {
    for (QAccessible::Id const id : std::as_const(m_children)) {
        QAccessible::deleteAccessibleInterface(id);
    }
    for (QAccessible::Id const id : std::as_const(m_outside)) {
        QAccessible::deleteAccessibleInterface(id);
    }
}

void AccessibleTable::installFactory() {
    // Factories installed later are asked first, before the toolkit's own.
    static bool const installed = [] {
        QAccessible::installFactory(tableFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

QTableView* AccessibleTable::view() const {
    return qobject_cast<QTableView*>(object());
}

QAccessible::Role AccessibleTable::role() const {
    return QAccessible::Table;
}

int AccessibleTable::rowCount() const {
    QTableView const* table = view();
    return table && table->model() ? table->model()->rowCount(table->rootIndex()) : 0;
}

int AccessibleTable::columnCount() const {
    QTableView const* table = view();
    return table && table->model() ? table->model()->columnCount(table->rootIndex()) : 0;
}

int AccessibleTable::childCount() const {
    return view() ? (rowCount() + 1) * (columnCount() + 1) : 0;
}

QAccessibleInterface* AccessibleTable::child(int index) const {
    QTableView* table = view();
    if (!table || !table->model() || index < 0 || index >= childCount()) {
        return nullptr;
    }
    if (auto const known = m_children.constFind(index); known != m_children.constEnd()) {
        if (QAccessibleInterface* found = QAccessible::accessibleInterface(*known)) {
            return found;
        }
    }
    int const columns = columnCount() + 1;
    int const row = index / columns - 1;
    int const column = index % columns - 1;
    QAbstractItemModel const* model = table->model();
    TableCell* made = nullptr;
    if (row < 0 && column < 0) {
        made = new TableCell(table, TableCell::Kind::Corner, QModelIndex(), -1);
    } else if (row < 0) {
        made = new TableCell(table, TableCell::Kind::ColumnHeader, QModelIndex(), column);
    } else if (column < 0) {
        made = new TableCell(table, TableCell::Kind::RowHeader,
                             model->index(row, 0, table->rootIndex()), -1);
    } else {
        made = new TableCell(table, TableCell::Kind::Cell,
                             model->index(row, column, table->rootIndex()), column);
    }
    m_children.insert(index, QAccessible::registerAccessibleInterface(made));
    return made;
}

QAccessibleInterface* AccessibleTable::outside(int column) const {
    if (column < 0 || column >= columnCount()) {
        column = -1;
    }
    if (auto const known = m_outside.constFind(column); known != m_outside.constEnd()) {
        if (QAccessibleInterface* found = QAccessible::accessibleInterface(*known)) {
            return found;
        }
    }
    auto* made = new TableCell(view(), TableCell::Kind::Outside, QModelIndex(), column);
    m_outside.insert(column, QAccessible::registerAccessibleInterface(made));
    return made;
}

int AccessibleTable::indexOfChild(QAccessibleInterface const* child) const {
    auto const* cell = dynamic_cast<TableCell const*>(child);
    if (!cell || !view() || cell->parent() != this) {
        return -1;
    }
    return cell->number();
}

QAccessibleInterface* AccessibleTable::childAt(int x, int y) const {
    QTableView const* table = view();
    if (!table || !table->model()) {
        return nullptr;
    }
    QModelIndex const index = table->indexAt(table->viewport()->mapFromGlobal(QPoint(x, y)));
    return index.isValid() ? child(childNumber(table, index.row(), index.column())) : nullptr;
}

QAccessibleInterface* AccessibleTable::focusChild() const {
    QTableView const* table = view();
    if (!table || !table->model()) {
        return nullptr;
    }
    QModelIndex const current = table->currentIndex();
    return current.isValid() ? child(childNumber(table, current.row(), current.column())) : nullptr;
}

void* AccessibleTable::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TableInterface) {
        return static_cast<QAccessibleTableInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
}

QAccessibleInterface* AccessibleTable::columnHeader(int column) const {
    QTableView const* table = view();
    if (!table || column < 0 || column >= columnCount()) {
        return nullptr;
    }
    return child(column + 1);
}

QAccessibleInterface* AccessibleTable::rowHeader(int row) const {
    QTableView const* table = view();
    if (!table || row < 0 || row >= rowCount() || table->verticalHeader()->isHidden()) {
        return nullptr;
    }
    return child(childNumber(table, row, -1));
}

QAccessibleInterface* AccessibleTable::cellAt(int row, int column) const {
    QTableView const* table = view();
    if (table && row >= 0 && row < rowCount() && column >= 0 && column < columnCount()) {
        if (QAccessibleInterface* cell = child(childNumber(table, row, column))) {
            return cell;
        }
    }
    return view() ? outside(column) : nullptr;
}

int AccessibleTable::selectedCellCount() const {
    QTableView const* table = view();
    return table && table->selectionModel()
               ? static_cast<int>(table->selectionModel()->selectedIndexes().size())
               : 0;
}

QList<QAccessibleInterface*> AccessibleTable::selectedCells() const {
    QList<QAccessibleInterface*> cells;
    QTableView const* table = view();
    if (!table || !table->selectionModel()) {
        return cells;
    }
    for (QModelIndex const& index : table->selectionModel()->selectedIndexes()) {
        if (QAccessibleInterface* cell = cellAt(index.row(), index.column())) {
            cells.append(cell);
        }
    }
    return cells;
}

QString AccessibleTable::columnDescription(int column) const {
    QAccessibleInterface const* header = columnHeader(column);
    return header ? header->text(QAccessible::Name) : QString();
}

QString AccessibleTable::rowDescription(int row) const {
    QAccessibleInterface const* header = rowHeader(row);
    return header ? header->text(QAccessible::Name) : QString();
}

int AccessibleTable::selectedColumnCount() const {
    return static_cast<int>(selectedColumns().size());
}

int AccessibleTable::selectedRowCount() const {
    return static_cast<int>(selectedRows().size());
}

QList<int> AccessibleTable::selectedColumns() const {
    QList<int> columns;
    QTableView const* table = view();
    if (table && table->selectionModel()) {
        for (QModelIndex const& index : table->selectionModel()->selectedColumns()) {
            columns.append(index.column());
        }
    }
    return columns;
}

QList<int> AccessibleTable::selectedRows() const {
    QList<int> rows;
    QTableView const* table = view();
    if (table && table->selectionModel()) {
        for (QModelIndex const& index : table->selectionModel()->selectedRows()) {
            rows.append(index.row());
        }
    }
    return rows;
}

bool AccessibleTable::isColumnSelected(int column) const {
    QTableView const* table = view();
    return table && table->selectionModel() &&
           table->selectionModel()->isColumnSelected(column, table->rootIndex());
}

bool AccessibleTable::isRowSelected(int row) const {
    QTableView const* table = view();
    return table && table->selectionModel() &&
           table->selectionModel()->isRowSelected(row, table->rootIndex());
}

bool AccessibleTable::selectRow(int row) {
    QTableView* table = view();
    if (!table || !table->selectionModel() || row < 0 || row >= rowCount() ||
        table->selectionMode() == QAbstractItemView::NoSelection ||
        table->selectionBehavior() == QAbstractItemView::SelectColumns) {
        return false;
    }
    if (table->selectionMode() == QAbstractItemView::SingleSelection) {
        table->clearSelection();
    }
    table->selectionModel()->select(table->model()->index(row, 0, table->rootIndex()),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    return true;
}

bool AccessibleTable::selectColumn(int column) {
    QTableView* table = view();
    if (!table || !table->selectionModel() || column < 0 || column >= columnCount() ||
        table->selectionMode() == QAbstractItemView::NoSelection ||
        table->selectionBehavior() == QAbstractItemView::SelectRows) {
        return false;
    }
    if (table->selectionMode() == QAbstractItemView::SingleSelection) {
        table->clearSelection();
    }
    table->selectionModel()->select(table->model()->index(0, column, table->rootIndex()),
                                    QItemSelectionModel::Select | QItemSelectionModel::Columns);
    return true;
}

bool AccessibleTable::unselectRow(int row) {
    QTableView* table = view();
    if (!table || !table->selectionModel() || row < 0 || row >= rowCount()) {
        return false;
    }
    table->selectionModel()->select(table->model()->index(row, 0, table->rootIndex()),
                                    QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    return true;
}

bool AccessibleTable::unselectColumn(int column) {
    QTableView* table = view();
    if (!table || !table->selectionModel() || column < 0 || column >= columnCount()) {
        return false;
    }
    table->selectionModel()->select(table->model()->index(0, column, table->rootIndex()),
                                    QItemSelectionModel::Deselect | QItemSelectionModel::Columns);
    return true;
}

void AccessibleTable::modelChange(QAccessibleTableModelChangeEvent* event) {
    switch (event->modelChangeType()) {
    case QAccessibleTableModelChangeEvent::DataChanged:
        return; // the same cells, read anew when asked
    case QAccessibleTableModelChangeEvent::ColumnsInserted:
    case QAccessibleTableModelChangeEvent::ColumnsRemoved:
    case QAccessibleTableModelChangeEvent::ModelReset:
        renumber(true);
        return;
    case QAccessibleTableModelChangeEvent::RowsInserted:
    case QAccessibleTableModelChangeEvent::RowsRemoved:
        renumber(false);
        return;
    }
}

void AccessibleTable::renumber(bool columnsChanged) {
    QHash<int, QAccessible::Id> kept;
    for (QAccessible::Id const id : std::as_const(m_children)) {
        auto* cell = dynamic_cast<TableCell*>(QAccessible::accessibleInterface(id));
        // Header cells stand for a column number: after columns moved, for another column.
        bool const stale = !cell || (columnsChanged && cell->kind() != TableCell::Kind::Cell &&
                                     cell->kind() != TableCell::Kind::RowHeader);
        int const number = stale ? -1 : cell->number();
        if (number < 0 || kept.contains(number)) {
            if (cell) {
                QAccessible::deleteAccessibleInterface(id);
            }
            continue;
        }
        kept.insert(number, id);
    }
    m_children = kept;
    if (columnsChanged) {
        for (QAccessible::Id const id : std::as_const(m_outside)) {
            QAccessible::deleteAccessibleInterface(id);
        }
        m_outside.clear();
    }
}
