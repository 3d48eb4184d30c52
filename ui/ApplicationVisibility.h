// Hiding and showing the whole application: every top-level window at once. The "did
// unhide" signal fires only when the application really goes from hidden to shown.
#pragma once

#include <QObject>

class ApplicationVisibility : public QObject {
    Q_OBJECT
public:
    static ApplicationVisibility& instance();

    void hide();   // hides every visible top-level window and remembers them
    void unhide(); // shows them again; emits shownAgain on a hidden-to-shown change
    bool isHidden() const { return m_hidden; }

signals:
    void hidden();
    void shownAgain();

private:
    ApplicationVisibility() = default;
    bool m_hidden = false;
};
