#include "ui/ApplicationVisibility.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

#include <vector>

namespace {
// The windows the last hide took away, in the order they were found.
std::vector<QPointer<QWidget>>& hiddenWindows() {
    static std::vector<QPointer<QWidget>> windows;
    return windows;
}

bool isApplicationWindow(QWidget const* w) {
    // Menus, tool tips and the like close themselves; only real windows come back.
    Qt::WindowType const type = w->windowType();
    return type == Qt::Window || type == Qt::Dialog || type == Qt::Tool || type == Qt::Sheet ||
           type == Qt::Drawer;
}
} // namespace

ApplicationVisibility& ApplicationVisibility::instance() {
    static ApplicationVisibility visibility;
    return visibility;
}

void ApplicationVisibility::hide() {
    auto& windows = hiddenWindows();
    if (!m_hidden) {
        windows.clear();
    }
    // Hiding again while hidden also takes away any window opened since.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && isApplicationWindow(w)) {
            windows.emplace_back(w);
            w->hide();
        }
    }
    bool const changed = !m_hidden;
    m_hidden = true;
    if (changed) {
        emit hidden();
    }
}

void ApplicationVisibility::unhide() {
    if (!m_hidden) {
        return; // already shown: nothing changes, nothing is reported
    }
    m_hidden = false;
    auto windows = std::move(hiddenWindows());
    hiddenWindows().clear();
    QWidget* front = nullptr;
    for (QPointer<QWidget> const& w : windows) {
        if (w != nullptr && !w->isVisible()) {
            w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
            w->show();
            front = w;
        }
    }
    // A modal dialog that was open comes back in front of its parent.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        front = modal;
    }
    if (front != nullptr) {
        front->raise();
        front->activateWindow();
    }
    emit shownAgain();
}
