#include "ui/RegistReserveWindow.h"

#include <QCloseEvent>

RegistReserveWindow::RegistReserveWindow(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
}

void RegistReserveWindow::reject() {
    emit cancelRequested();
}

void RegistReserveWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
}
