#include "ui/AlertPanel.h"

#include <QMessageBox>
#include <QPushButton>

namespace {
AlertPanelHandler& handlerSlot() {
    static AlertPanelHandler handler;
    return handler;
}
} // namespace

void SetAlertPanelHandler(AlertPanelHandler handler) {
    handlerSlot() = std::move(handler);
}

int RunAlertPanel(QWidget* parent, QString const& title, QString const& message,
                  QString const& defaultButton, QString const& alternateButton) {
    if (handlerSlot()) {
        return handlerSlot()({title, message, defaultButton, alternateButton});
    }
    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setText(message);
    box.setIcon(alternateButton.isEmpty() ? QMessageBox::Information : QMessageBox::Question);
    QPushButton* ok = box.addButton(defaultButton, QMessageBox::AcceptRole);
    QPushButton* alternate = nullptr;
    if (!alternateButton.isEmpty()) {
        alternate = box.addButton(alternateButton, QMessageBox::RejectRole);
        box.setEscapeButton(alternate);
    } else {
        box.setEscapeButton(ok);
    }
    box.setDefaultButton(ok);
    box.exec();
    return box.clickedButton() == ok ? kAlertDefaultReturn : kAlertAlternateReturn;
}
