// Modal messages: a title, a text, a default button and at most one alternate. Tests set a
// handler that answers instead of a person.
#pragma once

#include <QString>

#include <functional>

class QWidget;

class MessageBox {
public:
    enum class Button { Alternate, Default };

    struct Request {
        QString title;
        QString message;
        QString defaultButton;
        QString alternateButton; // empty: no alternate button
    };
    using Handler = std::function<Button(Request const&)>;

    // Shows the message over parent and answers which button ended it.
    static Button show(QWidget* parent, QString const& title, QString const& message,
                       QString const& defaultButton, QString const& alternateButton = QString());
    // A confirmation: "OK" and "Cancel"; true when confirmed.
    static bool confirm(QWidget* parent, QString const& title, QString const& message);

    // With a handler set, nothing is shown: the handler answers. Pass nullptr to restore.
    static void setHandler(Handler handler);
};
