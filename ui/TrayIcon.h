// The program's icon in the desktop's system tray: a click brings the program back when
// it is hidden; its menu offers Show and Exit.
#pragma once

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>

#include <functional>

class QAction;
class QMenu;

class TrayIcon : public QObject {
    Q_OBJECT
public:
    // icon: the application's icon (the window icon when null). onExit runs the exit
    // command. The icon appears only when the desktop has a system tray, and once there is
    // an icon to show.
    TrayIcon(QIcon const& icon, std::function<void()> onExit, QObject* parent = nullptr);
    // Shows icon in the tray (where there is one).
    void setIcon(QIcon const& icon);
    ~TrayIcon() override;

    bool isShown() const;
    // Brings the program to the front, unhiding it first when it is hidden.
    void ShowApplication();
    void OnActivated(QSystemTrayIcon::ActivationReason reason);
    void OnMenuExit();
    // Menu texts in the current language.
    void retranslate();

    QSystemTrayIcon* m_tray = nullptr;
    QMenu* m_menu = nullptr;
    QAction* m_actShow = nullptr;
    QAction* m_actExit = nullptr;

private:
    std::function<void()> m_onExit;
};
