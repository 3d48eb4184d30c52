#include "ui/RegistReserveWindow.h"

#include <QCloseEvent>
#include <QKeyEvent>

RegistReserveWindow::RegistReserveWindow(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
}

void RegistReserveWindow::reject() {
    emit cancelRequested();
}

void RegistReserveWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
}

void RegistReserveWindow::keyPressEvent(QKeyEvent* event) {
    bool const enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & Qt::ControlModifier)) {
        event->accept();
        emit registerRequested();
        return;
    }
    QDialog::keyPressEvent(event);
}
