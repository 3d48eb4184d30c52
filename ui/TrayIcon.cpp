#include "ui/TrayIcon.h"

#include "ui/ApplicationVisibility.h"
#include "ui/UiTexts.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QWidget>

TrayIcon::TrayIcon(QIcon const& icon, QObject* parent) : QObject(parent) {
    m_menu = new QMenu;
    m_show = m_menu->addAction(QString());
    m_menu->addSeparator();
    m_exit = m_menu->addAction(QString());
    connect(m_show, &QAction::triggered, this, &TrayIcon::showApplication);
    connect(m_exit, &QAction::triggered, this, &TrayIcon::exitFromMenu);
    // Texts follow the language each time the menu opens.
    connect(m_menu, &QMenu::aboutToShow, this, [this] { retranslate(); });

    m_tray = new QSystemTrayIcon(icon.isNull() ? QApplication::windowIcon() : icon, this);
    m_tray->setContextMenu(m_menu);
    connect(m_tray, &QSystemTrayIcon::activated, this, &TrayIcon::activate);
    retranslate();
    if (!m_tray->icon().isNull() && QSystemTrayIcon::isSystemTrayAvailable()) {
        m_tray->show();
    }
}

void TrayIcon::setIcon(QIcon const& icon) {
    m_tray->setIcon(icon);
    if (!icon.isNull() && QSystemTrayIcon::isSystemTrayAvailable()) {
        m_tray->show();
    }
}

TrayIcon::~TrayIcon() {
    m_tray->hide();
    delete m_menu;
}

bool TrayIcon::isShown() const {
    return m_tray->isVisible();
}

void TrayIcon::retranslate() {
    //% "&Show"
    m_show->setText(qtTrId("IDS_TRAY_SHOW"));
    //% "E&xit"
    m_exit->setText(qtTrId("IDS_TRAY_EXIT"));
    m_tray->setToolTip(appTitle());
}

void TrayIcon::showApplication() {
    ApplicationVisibility& visibility = ApplicationVisibility::instance();
    if (visibility.isHidden()) {
        visibility.unhide();
        return;
    }
    // Already shown, perhaps behind other windows: bring it forward.
    QWidget* front = QApplication::activeModalWidget();
    if (front == nullptr) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && w->windowType() == Qt::Window) {
                front = w;
                break;
            }
        }
    }
    if (front != nullptr) {
        front->setWindowState(front->windowState() & ~Qt::WindowMinimized);
        front->raise();
        front->activateWindow();
    }
}

void TrayIcon::activate(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
        showApplication();
    }
}

void TrayIcon::exitFromMenu() {
    // A dialog already waits for an answer: point at it rather than start a second run.
    if (QApplication::activeModalWidget() != nullptr) {
        showApplication();
        return;
    }
    emit exitRequested();
}
