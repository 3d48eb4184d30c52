#include "ui/MessageBox.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace {
MessageBox::Handler& handler() {
    static MessageBox::Handler installed;
    return installed;
}
} // namespace

void MessageBox::setHandler(Handler answer) {
    handler() = std::move(answer);
}

MessageBox::Button MessageBox::show(QWidget* parent, QString const& title, QString const& message,
                                    QString const& defaultButton, QString const& alternateButton) {
    if (handler()) {
        return handler()({title, message, defaultButton, alternateButton});
    }
    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setTextFormat(Qt::PlainText); // messages carry titles and paths
    box.setText(message);
    box.setIcon(alternateButton.isEmpty() ? QMessageBox::Information : QMessageBox::Question);
    // The icon is a picture to screen readers: it says what kind of message this is.
    if (auto* icon = box.findChild<QLabel*>(QStringLiteral("qt_msgboxex_icon_label"))) {
        //% "Question"
        QString const question = qtTrId("IDS_A11Y_QUESTION");
        icon->setAccessibleName(alternateButton.isEmpty() ? qtTrId("IDS_A11Y_INFORMATION")
                                                          : question);
    }
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
    return box.clickedButton() == ok ? Button::Default : Button::Alternate;
}

bool MessageBox::confirm(QWidget* parent, QString const& title, QString const& message) {
    // The buttons' titles are not translated.
    return show(parent, title, message, QStringLiteral("OK"), QStringLiteral("Cancel")) ==
           Button::Default;
}
