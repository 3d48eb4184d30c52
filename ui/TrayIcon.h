// The program's icon in the desktop's system tray: a click brings the program back when
// it is hidden; its menu offers Show and Exit.
#pragma once

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>

class QAction;
class QMenu;

class TrayIcon : public QObject {
    Q_OBJECT
public:
    // icon: the application's icon (the window icon when null). The icon appears only when
    // the desktop has a system tray, and once there is an icon to show.
    explicit TrayIcon(QIcon const& icon, QObject* parent = nullptr);
    ~TrayIcon() override;

    // Shows icon in the tray (where there is one).
    void setIcon(QIcon const& icon);
    bool isShown() const;
    // The menu's items, by what they do (tests trigger them).
    QAction* showAction() const { return m_show; }
    QAction* exitAction() const { return m_exit; }

public slots:
    // Brings the program to the front, unhiding it first when it is hidden.
    void showApplication();
    void activate(QSystemTrayIcon::ActivationReason reason);

signals:
    // The menu's Exit: the exit command is to run.
    void exitRequested();

private:
    void exitFromMenu();
    // Menu texts in the current language.
    void retranslate();

    QSystemTrayIcon* m_tray = nullptr;
    QMenu* m_menu = nullptr;
    QAction* m_show = nullptr;
    QAction* m_exit = nullptr;
};
