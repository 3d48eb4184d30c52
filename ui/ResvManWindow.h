// The main window: the reservation table, the six command buttons and the menu bar, built
// in code and connected to the main window controller.
#pragma once

#include <QIcon>
#include <QMainWindow>

class QAction;
class QMenu;
class ImageBtnCtrl;
class MyTableView;
class NoticeArea;
class ResvManDlgController;

// The application's icon, at every size it is drawn for.
QIcon ApplicationIcon();

class ResvManWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit ResvManWindow(QWidget* parent = nullptr);

    // Hands the window, its table and buttons to the controller (before its awakeFromNib)
    // and aims the menus at it.
    void connectController(ResvManDlgController* controller);

    MyTableView* table() const { return m_table; }
    NoticeArea* notices() const { return m_notices; }
    ImageBtnCtrl* m_btnAdd = nullptr;
    ImageBtnCtrl* m_btnDelete = nullptr;
    ImageBtnCtrl* m_btnEdit = nullptr;
    ImageBtnCtrl* m_btnConfig = nullptr;
    ImageBtnCtrl* m_btnTaskTray = nullptr;
    ImageBtnCtrl* m_btnExit = nullptr;

    // The menu items, by what they do (tests trigger them).
    QAction* m_actNew = nullptr;
    QAction* m_actEdit = nullptr;       // tag 21
    QAction* m_actDelete = nullptr;     // tag 20
    QAction* m_actDeleteOver = nullptr; // tag 22
    QAction* m_actDeleteAll = nullptr;  // tag 23
    QAction* m_actSwitchOn = nullptr;   // tag 24
    QAction* m_actSwitchOff = nullptr;  // tag 25
    QAction* m_actHistory = nullptr;
    QAction* m_actSettings = nullptr;
    QAction* m_actClose = nullptr;
    QAction* m_actDualClose = nullptr;
    QAction* m_actQuit = nullptr;

    // Sets the enabled state of every item of menu from the controller's answers.
    void validateMenu(QMenu* menu);

signals:
    // The table has been drawn for the first time: what the start-up left for later (the
    // application's icon, which takes a while to load) may follow.
    void firstPainted();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Widths that fit the texts of the current language; the title takes the rest.
    void sizeColumns();
    QAction* addItem(QMenu* menu, QString const& text, QKeySequence const& shortcut, int tag,
                     void (ResvManDlgController::*handler)(QObject*));

    ResvManDlgController* m_controller = nullptr;
    MyTableView* m_table = nullptr;
    NoticeArea* m_notices = nullptr;
    QMenu* m_fileMenu = nullptr;
    QMenu* m_reservationMenu = nullptr;
    bool m_painted = false;
};
