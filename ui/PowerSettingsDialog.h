// The power settings dialog: the only writer of the power and recording settings. A run ends
// only through OK or Cancel (Escape and a close request mean Cancel).
#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class ISettings;
class LoginAutostart;

class PowerSettingsDialog : public QDialog {
    Q_OBJECT
public:
    // settings: not owned, must outlive the dialog.
    explicit PowerSettingsDialog(ISettings& settings, QWidget* parent = nullptr);

    // Runs the dialog: Accepted when the user confirmed and the settings were written.
    int exec() override;
    // True after a confirmed run that changed what the wake-up and shutdown times depend on
    // (the margins among them).
    bool changed() const { return m_changed; }

    // Why the latest plan failed (shown at the top of the dialog); empty when it did not.
    void setPlanProblem(QString const& text);
    // The "Start at login" entry; null: the box is not shown. Not owned.
    void setAutostart(LoginAutostart* autostart) { m_autostart = autostart; }
    // Why waking and shutting down cannot be done ("" when the wake-up helper is installed):
    // its row is shown while there is a reason, with the button that installs the helper
    // when installable.
    void setHelperProblem(QString const& problem);
    // whyNot: said after the problem when the helper cannot be installed from here.
    void setHelperInstallable(bool installable, QString const& whyNot = QString());

public slots:
    // Escape, and anything else that rejects the dialog, means Cancel.
    void reject() override;
    // How the installation that installHelperRequested started ended: message says why it
    // failed.
    void helperInstallFinished(bool installed, QString const& message);

signals:
    // The user asked for the wake-up helper's installation.
    void installHelperRequested();
    // The user asked whether this computer will wake (Check wake-up…).
    void checkWakeRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void confirm();
    void cancel();
    void wakeBeforeClicked();
    void installHelper();

private:
    void buildControls();
    void retranslate();
    void enableWakeLead(bool enable);
    void updateHelperRow();

    ISettings& m_settings;
    LoginAutostart* m_autostart = nullptr;
    QString m_helperProblem;
    bool m_helperInstallable = false;
    QString m_helperWhyNot;
    bool m_ownButton = false;
    bool m_changed = false;

    QWidget* m_problemRow = nullptr;
    QLabel* m_planProblem = nullptr;
    QCheckBox* m_wakeBefore = nullptr;
    QCheckBox* m_allowIdleSleep = nullptr;
    QLabel* m_wakeLeadLabel = nullptr;
    QComboBox* m_wakeLead = nullptr;
    QCheckBox* m_quitCompanion = nullptr;
    QCheckBox* m_shutdownAfter = nullptr;
    QCheckBox* m_startAtLogin = nullptr;
    QPushButton* m_checkWake = nullptr;
    QLabel* m_startEarlyLabel = nullptr;
    QSpinBox* m_startEarly = nullptr;
    QLabel* m_endLateLabel = nullptr;
    QSpinBox* m_endLate = nullptr;
    QCheckBox* m_lateNightHours = nullptr;
    QWidget* m_helperRow = nullptr;
    QLabel* m_helperText = nullptr;
    QPushButton* m_installHelper = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};
