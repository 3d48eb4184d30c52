// Modal alert panels: a title, a message, a default button and at most one alternate.
// Tests install a handler that answers instead of a person.
#pragma once

#include <QString>
#include <functional>

class QWidget;

struct AlertRequest {
    QString title;
    QString message;
    QString defaultButton;
    QString alternateButton;  // empty: no alternate button
};

inline constexpr int kAlertDefaultReturn = 1;    // the default button
inline constexpr int kAlertAlternateReturn = 0;  // the alternate button

// Shows the alert and answers which button ended it.
int RunAlertPanel(QWidget* parent, QString const& title, QString const& message,
                  QString const& defaultButton, QString const& alternateButton = QString());

// With a handler set, no window is shown: the handler answers. Pass nullptr to restore.
using AlertPanelHandler = std::function<int(AlertRequest const&)>;
void SetAlertPanelHandler(AlertPanelHandler handler);
