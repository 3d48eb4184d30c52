#include "ui/RegistReserveWindow.h"

#include <QCloseEvent>
#include <QShortcut>

RegistReserveWindow::RegistReserveWindow(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    // Shortcuts come before the focused control, so Ctrl+Return registers on a focused
    // button as well (plain Return on Cancel cancels).
    for (QKeyCombination const keys : {Qt::CTRL | Qt::Key_Return, Qt::CTRL | Qt::Key_Enter}) {
        connect(new QShortcut(QKeySequence(keys), this), &QShortcut::activated, this,
                &RegistReserveWindow::registerRequested);
    }
}

void RegistReserveWindow::reject() {
    emit cancelRequested();
}

void RegistReserveWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
}
