#include "ui/SuspendConfigController.h"

#include "platform/IUserDefaults.h"
#include "platform/linux/LoginAutostart.h"
#include "ui/AlertPanel.h"
#include "ui/DialogPlacement.h"
#include "ui/ModalSession.h"
#include "ui/UiTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr int kRestoreFirst = 3; // minutes of the list's first entry
constexpr int kRestoreLast = 9;
constexpr int kRestoreDefault = 5;

// Sets the box from its key and answers the stored value (0 when the key is absent).
long loadCheckBox(IUserDefaults& defaults, QCheckBox* box, char const* key) {
    box->setChecked(false);
    if (!defaults.objectForKey(key)) {
        return 0;
    }
    long const value = defaults.integerForKey(key);
    box->setChecked(value != 0);
    return value;
}

long stateOf(QCheckBox const* box) {
    return box->isChecked() ? 1 : 0;
}
} // namespace

SuspendConfigController::SuspendConfigController(IUserDefaults* defaults, QObject* parent)
    : QObject(parent), m_defaults(defaults) {
    buildWindow();
}

SuspendConfigController::~SuspendConfigController() {
    delete configWindow;
}

void SuspendConfigController::buildWindow() {
    // No close box: the run ends only through OK or Cancel.
    configWindow = new QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    configWindow->setObjectName(QStringLiteral("SuspendConfigWindow"));
    configWindow->installEventFilter(this);

    // Why the last plan failed, while it did: a warning sign and the reason.
    m_problemRow = new QWidget(configWindow);
    m_problemRow->setObjectName(QStringLiteral("planProblem"));
    auto* problemIcon = new QLabel(m_problemRow);
    int const iconSize = configWindow->style()->pixelMetric(QStyle::PM_SmallIconSize);
    problemIcon->setPixmap(
        configWindow->style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(iconSize));
    problemIcon->setAlignment(Qt::AlignTop);
    m_txtPlanProblem = new QLabel(m_problemRow);
    m_txtPlanProblem->setWordWrap(true);
    m_txtPlanProblem->setTextFormat(Qt::PlainText);
    m_txtPlanProblem->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* problemLayout = new QHBoxLayout(m_problemRow);
    problemLayout->setContentsMargins(2, 0, 2, 4);
    problemLayout->addWidget(problemIcon, 0, Qt::AlignTop);
    problemLayout->addWidget(m_txtPlanProblem, 1);
    m_problemRow->hide();

    auto* wakeGroup = new QGroupBox(configWindow);
    wakeGroup->setObjectName(QStringLiteral("wakeGroup"));
    m_chkAllowSuspend = new QCheckBox(wakeGroup);
    m_chkUseACPI = new QCheckBox(wakeGroup);
    m_txtRestoreTime = new QLabel(wakeGroup);
    m_cmbRestoreTime = new QComboBox(wakeGroup);
    m_cmbRestoreTime->setEditable(false);
    m_cmbRestoreTime->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_txtRestoreTime->setBuddy(m_cmbRestoreTime);

    auto* wakeLayout = new QGridLayout(wakeGroup);
    wakeLayout->setColumnMinimumWidth(0, 22); // the lead list sits under the wake-up box
    wakeLayout->addWidget(m_chkAllowSuspend, 0, 0, 1, 4);
    wakeLayout->addWidget(m_chkUseACPI, 1, 0, 1, 4);
    wakeLayout->addWidget(m_txtRestoreTime, 2, 1);
    wakeLayout->addWidget(m_cmbRestoreTime, 2, 2);
    // Waking from power-off needs the program running again after the login.
    m_chkStartAtLogin = new QCheckBox(wakeGroup);
    wakeLayout->addWidget(m_chkStartAtLogin, 3, 0, 1, 4);
    wakeLayout->setColumnStretch(3, 1);

    auto* afterGroup = new QGroupBox(configWindow);
    afterGroup->setObjectName(QStringLiteral("afterGroup"));
    m_chkExitAfterRecord = new QCheckBox(afterGroup);
    m_chkShutdown = new QCheckBox(afterGroup);
    auto* afterLayout = new QVBoxLayout(afterGroup);
    afterLayout->addWidget(m_chkExitAfterRecord);
    afterLayout->addWidget(m_chkShutdown);

    // Waking and shutting down need the wake-up helper; while it is missing, why, and the
    // button that installs it.
    m_helperRow = new QWidget(configWindow);
    m_helperRow->setObjectName(QStringLiteral("helperRow"));
    auto* helperIcon = new QLabel(m_helperRow);
    helperIcon->setPixmap(configWindow->style()
                              ->standardIcon(QStyle::SP_MessageBoxInformation)
                              .pixmap(iconSize, iconSize));
    helperIcon->setAlignment(Qt::AlignTop);
    m_txtHelper = new QLabel(m_helperRow);
    m_txtHelper->setWordWrap(true);
    m_btnInstallHelper = new QPushButton(m_helperRow);
    m_btnInstallHelper->setAutoDefault(false);
    auto* helperLayout = new QGridLayout(m_helperRow);
    helperLayout->setContentsMargins(4, 0, 4, 0);
    helperLayout->addWidget(helperIcon, 0, 0);
    helperLayout->addWidget(m_txtHelper, 0, 1);
    helperLayout->addWidget(m_btnInstallHelper, 1, 1, Qt::AlignLeft);
    helperLayout->setColumnStretch(1, 1);
    m_helperRow->hide();

    auto* buttons = new QDialogButtonBox(configWindow);
    m_btnOK = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    m_btnCancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    m_btnOK->setDefault(true);

    auto* layout = new QVBoxLayout(configWindow);
    layout->addWidget(m_problemRow);
    layout->addWidget(wakeGroup);
    layout->addWidget(afterGroup);
    layout->addWidget(m_helperRow);
    layout->addSpacing(4);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_btnOK, &QPushButton::clicked, this, [this] { OnOK(m_btnOK); });
    connect(m_btnCancel, &QPushButton::clicked, this, [this] { OnCancel(m_btnCancel); });
    // clicked, not toggled: loading the boxes from the settings must not raise the alert.
    connect(m_chkUseACPI, &QCheckBox::clicked, this, [this] { OnUseAcpi(m_chkUseACPI); });
    connect(m_chkAllowSuspend, &QCheckBox::clicked, this,
            [this] { OnAllowSuspend(m_chkAllowSuspend); });
    connect(m_chkExitAfterRecord, &QCheckBox::clicked, this,
            [this] { OnCheckExit(m_chkExitAfterRecord); });
    connect(m_chkShutdown, &QCheckBox::clicked, this, [this] { OnCheckShutdown(m_chkShutdown); });
    connect(m_cmbRestoreTime, &QComboBox::activated, this,
            [this] { OnCmbSelChangeRestoreTime(m_cmbRestoreTime); });
    connect(m_btnInstallHelper, &QPushButton::clicked, this,
            [this] { OnInstallHelper(m_btnInstallHelper); });

    retranslate();
}

void SuspendConfigController::retranslate() {
    //% "Power Settings"
    configWindow->setWindowTitle(qtTrId("IDS_CONFIG_WINDOW_TITLE"));
    auto* wakeGroup = configWindow->findChild<QGroupBox*>(QStringLiteral("wakeGroup"));
    auto* afterGroup = configWindow->findChild<QGroupBox*>(QStringLiteral("afterGroup"));
    //% "Sleep and Wake-up"
    wakeGroup->setTitle(qtTrId("IDS_CONFIG_GROUP_POWER"));
    //% "After Recording"
    afterGroup->setTitle(qtTrId("IDS_CONFIG_GROUP_AFTER"));
    //% "Allow the computer to sleep when idle"
    m_chkAllowSuspend->setText(qtTrId("IDS_CONFIG_ALLOW_SUSPEND"));
    //% "Wake the computer before each reservation"
    m_chkUseACPI->setText(qtTrId("IDS_CONFIG_USE_ACPI"));
    //% "Wake up:"
    m_txtRestoreTime->setText(qtTrId("IDS_CONFIG_RESTORE_CAPTION"));
    //% "Quit Velto after each recording"
    m_chkExitAfterRecord->setText(qtTrId("IDS_CONFIG_EXIT_AFTER_RECORD"));
    //% "Shut down the computer after the last reservation"
    m_chkShutdown->setText(qtTrId("IDS_CONFIG_SHUTDOWN"));
    //% "Start at login (needed to wake from power-off)"
    m_chkStartAtLogin->setText(qtTrId("IDS_CONFIG_START_AT_LOGIN"));
    //% "Cancel"
    m_btnCancel->setText(qtTrId("IDS_BUTTON_CANCEL"));
    //% "OK"
    m_btnOK->setText(qtTrId("IDS_BUTTON_OK"));
    //% "Install the wake-up helper"
    m_btnInstallHelper->setText(qtTrId("IDS_BUTTON_INSTALL_HELPER"));
}

void SuspendConfigController::UpdateHelperRow() {
    QString const problem = helperProblem ? helperProblem() : QString();
    bool const wasShown = !m_helperRow->isHidden();
    m_txtHelper->setText(problem);
    m_btnInstallHelper->setVisible(static_cast<bool>(installHelper));
    m_helperRow->setVisible(!problem.isEmpty());
    // As wide as the groups above, so the text wraps within the dialog.
    m_txtHelper->setMinimumWidth(problem.isEmpty() ? 0 : 320);
    if (wasShown != !problem.isEmpty()) {
        configWindow->adjustSize();
    }
}

void SuspendConfigController::OnInstallHelper(QObject* /*sender*/) {
    if (!installHelper) {
        return;
    }
    m_btnInstallHelper->setEnabled(false);
    //% "Installing the wake-up helper. Enter an administrator's password when asked."
    m_txtHelper->setText(qtTrId("IDS_HELPER_INSTALLING"));
    QPointer<SuspendConfigController> self(this);
    installHelper([self](bool installed, QString const& message) {
        if (!self) {
            return;
        }
        self->m_btnInstallHelper->setEnabled(true);
        self->UpdateHelperRow();
        QWidget* parent = self->configWindow && self->configWindow->isVisible()
                              ? static_cast<QWidget*>(self->configWindow)
                              : nullptr;
        //% "The wake-up helper is installed. Waking and shutting down are available."
        RunAlertPanel(parent, AppTitle(), installed ? qtTrId("IDS_MSG_HELPER_INSTALLED") : message,
                      QStringLiteral("OK"));
    });
}

bool SuspendConfigController::DoModal(QWidget* parent) {
    m_bAuthorizeUpdate = false;
    m_bSelfButton = false;

    // Texts are read on each run so that a language loaded after start-up shows.
    retranslate();
    if (parent != nullptr && configWindow->parentWidget() != parent) {
        // A window of the main window's: the desktop keeps it above its parent.
        configWindow->setParent(parent, configWindow->windowFlags());
    }

    long const openUseAcpi = loadCheckBox(*m_defaults, m_chkUseACPI, kDefaultsUseAcpi);
    loadCheckBox(*m_defaults, m_chkAllowSuspend, kDefaultsSuspendFlag);
    long const openShutdown = loadCheckBox(*m_defaults, m_chkShutdown, kDefaultsShutdown);
    loadCheckBox(*m_defaults, m_chkExitAfterRecord, kDefaultsExitAfterRecord);
    m_chkStartAtLogin->setVisible(m_autostart != nullptr);
    bool const openStartAtLogin = m_autostart != nullptr && m_autostart->enabled();
    m_chkStartAtLogin->setChecked(openStartAtLogin);

    long const openRestore = m_defaults->objectForKey(kDefaultsRestoreTime)
                                 ? m_defaults->integerForKey(kDefaultsRestoreTime)
                                 : kRestoreDefault;

    //% " minutes before"
    QString const unit = qtTrId("IDS_CONFIG_RESTORE");
    m_cmbRestoreTime->clear();
    for (int n = kRestoreFirst; n <= kRestoreLast; ++n) {
        m_cmbRestoreTime->addItem(QString::number(n) + unit);
    }
    // A stored lead outside the list shows the nearest entry; the stored value itself stays
    // the opening value, so confirming the nearest one counts as a change.
    m_cmbRestoreTime->setCurrentIndex(
        int(std::clamp<long>(openRestore, kRestoreFirst, kRestoreLast) - kRestoreFirst));

    // The lead only matters while waking is on; open with the list in step with the box.
    EnableUseACPI(m_chkUseACPI->isChecked());
    UpdateHelperRow();

    PlaceDialogOverParent(configWindow, parent);

    int result = ModalSession::kRunContinuesResponse;
    {
        ModalSession session(configWindow);
        m_btnOK->setFocus();
        do {
            result = session.runModalSession(50);
        } while (result != ModalSession::kRunAbortedResponse &&
                 (result == ModalSession::kRunContinuesResponse || !m_bSelfButton));
    }

    if (result == 1) {
        long const useAcpi = stateOf(m_chkUseACPI);
        long const shutdown = stateOf(m_chkShutdown);
        long const restore = m_cmbRestoreTime->currentIndex() + kRestoreFirst;
        m_defaults->setInteger(kDefaultsUseAcpi, useAcpi);
        m_defaults->setInteger(kDefaultsSuspendFlag, stateOf(m_chkAllowSuspend));
        m_defaults->setInteger(kDefaultsShutdown, shutdown);
        m_defaults->setInteger(kDefaultsExitAfterRecord, stateOf(m_chkExitAfterRecord));
        m_defaults->setInteger(kDefaultsRestoreTime, restore);

        // Compared as on/off: any non-zero stored value means on to every reader.
        m_bAuthorizeUpdate = (useAcpi != 0) != (openUseAcpi != 0) ||
                             (shutdown != 0) != (openShutdown != 0) ||
                             (useAcpi != 0 && restore != openRestore);

        bool const startAtLogin = m_chkStartAtLogin->isChecked();
        QString why;
        if (m_autostart != nullptr && startAtLogin != openStartAtLogin &&
            !m_autostart->setEnabled(startAtLogin, &why)) {
            //% "Could not change the start at login (%1): %2"
            RunAlertPanel(configWindow, AppTitle(),
                          qtTrId("IDS_ERR_START_AT_LOGIN").arg(m_autostart->entryPath(), why),
                          QStringLiteral("OK"));
        }
    }

    configWindow->hide();
    return result == 1;
}

bool SuspendConfigController::IsAuthorizeUpdate() {
    return m_bAuthorizeUpdate;
}

void SuspendConfigController::setPlanProblem(QString const& text) {
    m_txtPlanProblem->setText(text);
    m_problemRow->setVisible(!text.isEmpty());
}

void SuspendConfigController::OnOK(QObject* /*sender*/) {
    m_bSelfButton = true;
    ModalSession::stopModalWithCode(1);
}

void SuspendConfigController::OnCancel(QObject* /*sender*/) {
    m_bSelfButton = true;
    ModalSession::stopModalWithCode(0);
}

void SuspendConfigController::OnUseAcpi(QObject* /*sender*/) {
    bool const on = m_chkUseACPI->isChecked();
    if (on) {
        RunAlertPanel(configWindow, AppTitle(),
                      //% "To wake the computer for recordings, you will be asked for an "
                      //% "administrator password, and the computer must be able to wake from "
                      //% "its real-time clock alarm. Leave it suspended or powered off (not "
                      //% "unplugged)."
                      qtTrId("IDS_WARN_USE_ACPI"), QStringLiteral("OK"));
    }
    EnableUseACPI(on);
}

void SuspendConfigController::OnAllowSuspend(QObject* /*sender*/) {
    EnableSuspendMode(m_chkAllowSuspend->isChecked());
}

void SuspendConfigController::EnableUseACPI(bool enable) {
    m_txtRestoreTime->setEnabled(enable);
    m_cmbRestoreTime->setEnabled(enable);
}

void SuspendConfigController::EnableSuspendMode(bool /*enable*/) {}

void SuspendConfigController::OnCheckExit(QObject* /*sender*/) {}

void SuspendConfigController::OnCheckShutdown(QObject* /*sender*/) {}

void SuspendConfigController::OnCmbSelChangeRestoreTime(QObject* /*sender*/) {}

bool SuspendConfigController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == configWindow) {
        // A close request and Esc both mean Cancel; the dialog itself would otherwise just
        // hide, leaving the run waiting for a button. The run itself ends with hide().
        if (event->type() == QEvent::Close) {
            event->ignore();
            if (configWindow->isVisible() && !m_bSelfButton) {
                OnCancel(configWindow);
            }
            return true;
        }
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            OnCancel(configWindow);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
