// The power settings dialog: the only writer of the five power and recording settings.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QCheckBox;
class QComboBox;
class QDialog;
class QLabel;
class QPushButton;
class QWidget;
class IUserDefaults;
class LoginAutostart;

class SuspendConfigController : public QObject {
    Q_OBJECT
public:
    // defaults: not owned, must outlive the controller. The window is built here.
    explicit SuspendConfigController(IUserDefaults* defaults, QObject* parent = nullptr);
    ~SuspendConfigController() override;

    // Runs the dialog over parent; true when the user confirmed and the settings were written.
    bool DoModal(QWidget* parent);
    // True after a confirmed run that changed what the wake-up and shutdown times depend on.
    bool IsAuthorizeUpdate();
    // Why the latest plan failed (shown at the top of the dialog); empty when it did not.
    void setPlanProblem(QString const& text);

    void OnOK(QObject* sender);
    void OnCancel(QObject* sender);
    void OnUseAcpi(QObject* sender);
    void OnAllowSuspend(QObject* sender);
    void EnableUseACPI(bool enable);
    void EnableSuspendMode(bool enable);
    void OnCheckExit(QObject* sender);
    void OnCheckShutdown(QObject* sender);
    void OnCmbSelChangeRestoreTime(QObject* sender);

    // Guarded: once shown over the main window the dialog is that window's child, and
    // may be destroyed with it before this controller.
    QPointer<QDialog> configWindow;
    QCheckBox* m_chkUseACPI = nullptr;
    QCheckBox* m_chkAllowSuspend = nullptr;
    QLabel* m_txtRestoreTime = nullptr;
    QCheckBox* m_chkExitAfterRecord = nullptr;
    QCheckBox* m_chkShutdown = nullptr;
    QComboBox* m_cmbRestoreTime = nullptr;
    QCheckBox* m_chkStartAtLogin = nullptr;
    QLabel* m_txtPlanProblem = nullptr;
    bool m_bSelfButton = false;
    bool m_bAuthorizeUpdate = false;

    // The "Start at login" entry; null: the box is not shown. Not owned.
    LoginAutostart* m_autostart = nullptr;

    // The dialog's two buttons (tests click them).
    QPushButton* m_btnOK = nullptr;
    QPushButton* m_btnCancel = nullptr;

    // The wake-up helper's row, shown while waking and shutting down cannot be done.
    // helperProblem answers why ("" when the helper is installed); installHelper starts the
    // one-time installation and calls done with its outcome, in words when it failed. Both
    // are set by the program's assembly; without them the row stays hidden.
    using InstallDone = std::function<void(bool installed, QString const& message)>;
    std::function<QString()> helperProblem;
    std::function<void(InstallDone done)> installHelper;
    QWidget* m_helperRow = nullptr;
    QLabel* m_txtHelper = nullptr;
    QPushButton* m_btnInstallHelper = nullptr;
    void OnInstallHelper(QObject* sender);
    void UpdateHelperRow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void retranslate();

    IUserDefaults* m_defaults;
    QWidget* m_problemRow = nullptr;
};
