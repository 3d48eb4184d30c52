#include "platform/linux/TableFocusGuard.h"

#include <QAbstractItemModel>
#include <QAccessible>
#include <QEvent>
#include <QFocusEvent>
#include <QItemSelectionModel>
#include <QTableView>
#include <QTimer>

TableFocusGuard* TableFocusGuard::attach(QTableView* view) {
    return new TableFocusGuard(view);
}

TableFocusGuard::TableFocusGuard(QTableView* view)
    : QObject(view), m_view(view), m_policy(view->focusPolicy()) {
    view->installEventFilter(this);
    view->window()->installEventFilter(this);
    if (QAbstractItemModel* model = view->model()) {
        connect(model, &QAbstractItemModel::rowsInserted, this, &TableFocusGuard::rowsChanged);
        connect(model, &QAbstractItemModel::rowsRemoved, this, &TableFocusGuard::rowsChanged);
        connect(model, &QAbstractItemModel::modelReset, this, &TableFocusGuard::rowsChanged);
        connect(model, &QAbstractItemModel::layoutChanged, this, &TableFocusGuard::rowsChanged);
    }
    rowsChanged();
}

void TableFocusGuard::rowsChanged() {
    QAbstractItemModel const* model = m_view->model();
    bool const empty = !model || model->rowCount(m_view->rootIndex()) == 0;
    if (!empty) {
        m_view->setFocusPolicy(m_policy);
        if (m_view->hasFocus()) {
            ensureCurrent();
        }
        return;
    }
    if (m_view->hasFocus()) {
        // The next control of the window that takes the keyboard, else none.
        QWidget* next = m_view->nextInFocusChain();
        while (next != m_view &&
               (!(next->focusPolicy() & Qt::TabFocus) || !next->isVisible() || !next->isEnabled() ||
                m_view->isAncestorOf(next) || next->window() != m_view->window())) {
            next = next->nextInFocusChain();
        }
        if (next != m_view) {
            next->setFocus(Qt::TabFocusReason);
        } else {
            m_view->clearFocus();
        }
    }
    m_view->setFocusPolicy(Qt::NoFocus);
}

void TableFocusGuard::ensureCurrent() {
    QAbstractItemModel const* model = m_view->model();
    QItemSelectionModel* selection = m_view->selectionModel();
    if (!model || !selection || selection->currentIndex().isValid()) {
        return;
    }
    int const rows = model->rowCount(m_view->rootIndex());
    if (rows == 0) {
        return;
    }
    // The first selected row, else the first row; the selection itself stays as it is.
    int row = 0;
    QModelIndexList const selected = selection->selectedRows();
    if (!selected.isEmpty()) {
        row = selected.first().row();
    }
    selection->setCurrentIndex(model->index(row, 0, m_view->rootIndex()),
                               QItemSelectionModel::NoUpdate);
}

bool TableFocusGuard::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_view && event->type() == QEvent::FocusIn) {
        // A click chooses its own cell: look once it has (a row picked before would anchor a
        // Shift+click).
        if (static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason) {
            QTimer::singleShot(0, this, [this] {
                if (m_view->hasFocus()) {
                    ensureCurrent();
                }
            });
        } else {
            ensureCurrent();
        }
    } else if (watched == m_view->window() && event->type() == QEvent::Hide &&
               m_view->window()->focusWidget() == m_view && QAccessible::isActive()) {
        QAccessibleEvent left(m_view, QAccessible::Focus);
        QAccessible::updateAccessibility(&left);
    }
    return QObject::eventFilter(watched, event);
}
