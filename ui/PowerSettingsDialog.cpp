#include "ui/PowerSettingsDialog.h"

#include "platform/ISettings.h"
#include "platform/linux/LoginAutostart.h"
#include "ui/BroadcastTimes.h"
#include "ui/DialogPlacement.h"
#include "ui/MessageBox.h"
#include "ui/ModalSession.h"
#include "ui/NoticeArea.h"
#include "ui/UiTexts.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr int kRestoreFirst = 3; // minutes of the list's first entry
constexpr int kRestoreLast = 9;
constexpr int kRestoreDefault = 5;
constexpr int kStartEarlyMost = 10; // minutes
constexpr int kEndLateMost = 30;

// Sets the box from its key, absent 0; answers what it shows.
long loadSpinBox(ISettings& settings, QSpinBox* box, char const* key) {
    box->setValue(settings.contains(key)
                      ? static_cast<int>(std::clamp<long>(settings.integer(key), 0, box->maximum()))
                      : 0);
    return box->value();
}

// Sets the box from its key and answers the stored value (0 when the key is absent).
long loadCheckBox(ISettings& settings, QCheckBox* box, char const* key) {
    box->setChecked(false);
    if (!settings.contains(key)) {
        return 0;
    }
    long const value = settings.integer(key);
    box->setChecked(value != 0);
    return value;
}

long stateOf(QCheckBox const* box) {
    return box->isChecked() ? 1 : 0;
}
} // namespace

PowerSettingsDialog::PowerSettingsDialog(ISettings& settings, QWidget* parent)
    // No close box: the run ends only through OK or Cancel.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_settings(settings) {
    setObjectName(QStringLiteral("PowerSettingsDialog"));
    buildControls();
}

void PowerSettingsDialog::buildControls() {
    // Why the last plan failed, while it did: a warning sign and the reason.
    m_problemRow = new QWidget(this);
    m_problemRow->setObjectName(QStringLiteral("planProblem"));
    auto* problemIcon = new QLabel(m_problemRow);
    int const iconSize = style()->pixelMetric(QStyle::PM_SmallIconSize);
    problemIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(iconSize));
    problemIcon->setAlignment(Qt::AlignTop);
    problemIcon->setAccessibleName(qtTrId("IDS_A11Y_WARNING"));
    m_planProblem = new QLabel(m_problemRow);
    m_planProblem->setObjectName(QStringLiteral("planProblemText"));
    m_planProblem->setWordWrap(true);
    m_planProblem->setTextFormat(Qt::PlainText);
    m_planProblem->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* problemLayout = new QHBoxLayout(m_problemRow);
    problemLayout->setContentsMargins(2, 0, 2, 4);
    problemLayout->addWidget(problemIcon, 0, Qt::AlignTop);
    problemLayout->addWidget(m_planProblem, 1);
    m_problemRow->hide();

    auto* wakeGroup = new QGroupBox(this);
    wakeGroup->setObjectName(QStringLiteral("wakeGroup"));
    m_allowIdleSleep = new QCheckBox(wakeGroup);
    m_allowIdleSleep->setObjectName(QStringLiteral("allowIdleSleep"));
    m_wakeBefore = new QCheckBox(wakeGroup);
    m_wakeBefore->setObjectName(QStringLiteral("wakeBefore"));
    m_wakeLeadLabel = new QLabel(wakeGroup);
    m_wakeLeadLabel->setObjectName(QStringLiteral("wakeLeadLabel"));
    m_wakeLead = new QComboBox(wakeGroup);
    m_wakeLead->setObjectName(QStringLiteral("wakeLead"));
    m_wakeLead->setEditable(false);
    m_wakeLead->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_wakeLeadLabel->setBuddy(m_wakeLead);

    auto* wakeLayout = new QGridLayout(wakeGroup);
    wakeLayout->setColumnMinimumWidth(0, 22); // the lead list sits under the wake-up box
    wakeLayout->addWidget(m_allowIdleSleep, 0, 0, 1, 4);
    wakeLayout->addWidget(m_wakeBefore, 1, 0, 1, 4);
    wakeLayout->addWidget(m_wakeLeadLabel, 2, 1);
    wakeLayout->addWidget(m_wakeLead, 2, 2);
    // Waking from power-off needs the program running again after the login.
    m_startAtLogin = new QCheckBox(wakeGroup);
    m_startAtLogin->setObjectName(QStringLiteral("startAtLogin"));
    wakeLayout->addWidget(m_startAtLogin, 3, 0, 1, 4);
    // Whether all this will wake the computer, before a recording is missed.
    m_checkWake = new QPushButton(wakeGroup);
    m_checkWake->setObjectName(QStringLiteral("checkWake"));
    m_checkWake->setAutoDefault(false);
    wakeLayout->addWidget(m_checkWake, 4, 0, 1, 4, Qt::AlignLeft);
    wakeLayout->setColumnStretch(3, 1);

    // Margins around each programme, and how late-night times are written.
    auto* recordingGroup = new QGroupBox(this);
    recordingGroup->setObjectName(QStringLiteral("recordingGroup"));
    m_startEarlyLabel = new QLabel(recordingGroup);
    m_startEarlyLabel->setObjectName(QStringLiteral("startEarlyLabel"));
    m_startEarly = new QSpinBox(recordingGroup);
    m_startEarly->setObjectName(QStringLiteral("startEarly"));
    m_startEarly->setRange(0, kStartEarlyMost);
    m_startEarlyLabel->setBuddy(m_startEarly);
    m_endLateLabel = new QLabel(recordingGroup);
    m_endLateLabel->setObjectName(QStringLiteral("endLateLabel"));
    m_endLate = new QSpinBox(recordingGroup);
    m_endLate->setObjectName(QStringLiteral("endLate"));
    m_endLate->setRange(0, kEndLateMost);
    m_endLateLabel->setBuddy(m_endLate);
    m_lateNightHours = new QCheckBox(recordingGroup);
    m_lateNightHours->setObjectName(QStringLiteral("lateNightHours"));
    auto* recordingLayout = new QGridLayout(recordingGroup);
    recordingLayout->addWidget(m_startEarlyLabel, 0, 0);
    recordingLayout->addWidget(m_startEarly, 0, 1);
    recordingLayout->addWidget(m_endLateLabel, 1, 0);
    recordingLayout->addWidget(m_endLate, 1, 1);
    recordingLayout->addWidget(m_lateNightHours, 2, 0, 1, 3);
    recordingLayout->setColumnStretch(2, 1);

    auto* afterGroup = new QGroupBox(this);
    afterGroup->setObjectName(QStringLiteral("afterGroup"));
    m_quitCompanion = new QCheckBox(afterGroup);
    m_quitCompanion->setObjectName(QStringLiteral("quitCompanion"));
    m_shutdownAfter = new QCheckBox(afterGroup);
    m_shutdownAfter->setObjectName(QStringLiteral("shutdownAfter"));
    auto* afterLayout = new QVBoxLayout(afterGroup);
    afterLayout->addWidget(m_quitCompanion);
    afterLayout->addWidget(m_shutdownAfter);

    // Waking and shutting down need the wake-up helper; while it is missing, why, and the
    // button that installs it.
    m_helperRow = new QWidget(this);
    m_helperRow->setObjectName(QStringLiteral("helperRow"));
    auto* helperIcon = new QLabel(m_helperRow);
    helperIcon->setPixmap(
        style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(iconSize, iconSize));
    helperIcon->setAlignment(Qt::AlignTop);
    //% "Information"
    helperIcon->setAccessibleName(qtTrId("IDS_A11Y_INFORMATION"));
    m_helperText = new QLabel(m_helperRow);
    m_helperText->setObjectName(QStringLiteral("helperText"));
    m_helperText->setTextFormat(Qt::PlainText); // it names folders
    m_helperText->setWordWrap(true);
    m_installHelper = new QPushButton(m_helperRow);
    m_installHelper->setObjectName(QStringLiteral("installHelper"));
    m_installHelper->setAutoDefault(false);
    auto* helperLayout = new QGridLayout(m_helperRow);
    helperLayout->setContentsMargins(4, 0, 4, 0);
    helperLayout->addWidget(helperIcon, 0, 0);
    helperLayout->addWidget(m_helperText, 0, 1);
    helperLayout->addWidget(m_installHelper, 1, 1, Qt::AlignLeft);
    helperLayout->setColumnStretch(1, 1);
    m_helperRow->hide();

    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName(QStringLiteral("ok"));
    m_cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    m_ok->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_problemRow);
    layout->addWidget(wakeGroup);
    layout->addWidget(recordingGroup);
    layout->addWidget(afterGroup);
    layout->addWidget(m_helperRow);
    layout->addSpacing(4);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_ok, &QPushButton::clicked, this, &PowerSettingsDialog::confirm);
    connect(m_cancel, &QPushButton::clicked, this, &PowerSettingsDialog::cancel);
    // clicked, not toggled: loading the boxes from the settings must not raise the alert.
    connect(m_wakeBefore, &QCheckBox::clicked, this, &PowerSettingsDialog::wakeBeforeClicked);
    connect(m_installHelper, &QPushButton::clicked, this, &PowerSettingsDialog::installHelper);
    connect(m_checkWake, &QPushButton::clicked, this, &PowerSettingsDialog::checkWakeRequested);

    retranslate();
}

void PowerSettingsDialog::retranslate() {
    //% "Power Settings"
    setWindowTitle(qtTrId("IDS_CONFIG_WINDOW_TITLE"));
    auto* wakeGroup = findChild<QGroupBox*>(QStringLiteral("wakeGroup"));
    auto* afterGroup = findChild<QGroupBox*>(QStringLiteral("afterGroup"));
    //% "Sleep and Wake-up"
    wakeGroup->setTitle(qtTrId("IDS_CONFIG_GROUP_POWER"));
    //% "After Recording"
    afterGroup->setTitle(qtTrId("IDS_CONFIG_GROUP_AFTER"));
    //% "Recording"
    findChild<QGroupBox*>(QStringLiteral("recordingGroup"))
        ->setTitle(qtTrId("IDS_CONFIG_GROUP_RECORDING"));
    //% "Start recording early by:"
    m_startEarlyLabel->setText(qtTrId("IDS_CONFIG_START_EARLY"));
    //% "Go on recording after the end for:"
    m_endLateLabel->setText(qtTrId("IDS_CONFIG_END_LATE"));
    //% " min"
    QString const minutes = qtTrId("IDS_CONFIG_MARGIN_UNIT");
    m_startEarly->setSuffix(minutes);
    m_endLate->setSuffix(minutes);
    //% "Show times after midnight as 24–29 h (25:00 is 1:00 the next morning)"
    m_lateNightHours->setText(qtTrId("IDS_CONFIG_LATE_NIGHT_HOURS"));
    //% "Allow the computer to sleep when idle"
    m_allowIdleSleep->setText(qtTrId("IDS_CONFIG_ALLOW_SUSPEND"));
    //% "Wake the computer before each reservation"
    m_wakeBefore->setText(qtTrId("IDS_CONFIG_USE_ACPI"));
    //% "Wake up:"
    m_wakeLeadLabel->setText(qtTrId("IDS_CONFIG_RESTORE_CAPTION"));
    //% "Quit Velto after each recording"
    m_quitCompanion->setText(qtTrId("IDS_CONFIG_EXIT_AFTER_RECORD"));
    //% "Shut down the computer after the last reservation"
    m_shutdownAfter->setText(qtTrId("IDS_CONFIG_SHUTDOWN"));
    //% "Start at login (needed to wake from power-off)"
    m_startAtLogin->setText(qtTrId("IDS_CONFIG_START_AT_LOGIN"));
    //% "Cancel"
    m_cancel->setText(qtTrId("IDS_BUTTON_CANCEL"));
    //% "OK"
    m_ok->setText(qtTrId("IDS_BUTTON_OK"));
    //% "Install the wake-up helper"
    m_installHelper->setText(qtTrId("IDS_BUTTON_INSTALL_HELPER"));
    //% "Check wake-up…"
    m_checkWake->setText(qtTrId("IDS_CONFIG_CHECK_WAKE"));
}

void PowerSettingsDialog::setHelperProblem(QString const& problem) {
    m_helperProblem = problem;
    updateHelperRow();
}

void PowerSettingsDialog::setHelperInstallable(bool installable, QString const& whyNot) {
    m_helperInstallable = installable;
    m_helperWhyNot = installable ? QString() : whyNot;
    updateHelperRow();
}

void PowerSettingsDialog::updateHelperRow() {
    bool const wasShown = !m_helperRow->isHidden();
    // A Japanese sentence ends in "。" and takes no space after it.
    QString const gap = m_helperProblem.endsWith(QChar(0x3002)) ? QString() : QStringLiteral(" ");
    QString const text =
        m_helperWhyNot.isEmpty() ? m_helperProblem : m_helperProblem + gap + m_helperWhyNot;
    m_helperText->setText(text);
    markAsNotice(m_helperRow, text);
    m_installHelper->setVisible(m_helperInstallable);
    m_helperRow->setVisible(!m_helperProblem.isEmpty());
    // As wide as the groups above, so the text wraps within the dialog.
    m_helperText->setMinimumWidth(m_helperProblem.isEmpty() ? 0 : 320);
    if (wasShown != !m_helperProblem.isEmpty()) {
        adjustSize();
    }
}

void PowerSettingsDialog::installHelper() {
    m_installHelper->setEnabled(false);
    //% "Installing the wake-up helper. Enter an administrator's password when asked."
    m_helperText->setText(qtTrId("IDS_HELPER_INSTALLING"));
    markAsNotice(m_helperRow, m_helperText->text());
    emit installHelperRequested();
}

void PowerSettingsDialog::helperInstallFinished(bool installed, QString const& message) {
    m_installHelper->setEnabled(true);
    updateHelperRow();
    QWidget* const over = isVisible() ? this : nullptr;
    //% "The wake-up helper is installed. Waking and shutting down are available."
    MessageBox::show(over, appTitle(), installed ? qtTrId("IDS_MSG_HELPER_INSTALLED") : message,
                     QStringLiteral("OK"));
}

int PowerSettingsDialog::exec() {
    m_changed = false;
    m_ownButton = false;

    // Texts are read on each run so that a language loaded after start-up shows.
    retranslate();

    long const openWakeBefore = loadCheckBox(m_settings, m_wakeBefore, kWakeBeforeKey);
    loadCheckBox(m_settings, m_allowIdleSleep, kAllowIdleSleepKey);
    long const openShutdown = loadCheckBox(m_settings, m_shutdownAfter, kShutdownAfterKey);
    loadCheckBox(m_settings, m_quitCompanion, kQuitCompanionKey);
    m_startAtLogin->setVisible(m_autostart != nullptr);
    bool const openStartAtLogin = m_autostart != nullptr && m_autostart->enabled();
    m_startAtLogin->setChecked(openStartAtLogin);

    long const openLead =
        m_settings.contains(kWakeLeadKey) ? m_settings.integer(kWakeLeadKey) : kRestoreDefault;
    bool const startEarlyStored = m_settings.contains(kStartEarlyKey);
    bool const endLateStored = m_settings.contains(kEndLateKey);
    long const openStartEarly = loadSpinBox(m_settings, m_startEarly, kStartEarlyKey);
    long const openEndLate = loadSpinBox(m_settings, m_endLate, kEndLateKey);
    bool const lateNightStored = m_settings.contains(kLateNightHoursKey);
    bool const openLateNight = lateNightHours(m_settings);
    m_lateNightHours->setChecked(openLateNight);

    //% " minutes before"
    QString const unit = qtTrId("IDS_CONFIG_RESTORE");
    m_wakeLead->clear();
    for (int n = kRestoreFirst; n <= kRestoreLast; ++n) {
        m_wakeLead->addItem(QString::number(n) + unit);
    }
    // A stored lead outside the list shows the nearest entry; the stored value itself stays
    // the opening value, so confirming the nearest one counts as a change.
    m_wakeLead->setCurrentIndex(
        int(std::clamp<long>(openLead, kRestoreFirst, kRestoreLast) - kRestoreFirst));

    // The lead only matters while waking is on; open with the list in step with the box.
    enableWakeLead(m_wakeBefore->isChecked());
    updateHelperRow();

    placeDialogOverParent(this, parentWidget());

    int result = ModalSession::kContinues;
    {
        ModalSession session(this);
        m_ok->setFocus();
        do {
            result = session.poll(50);
        } while (result != ModalSession::kAborted &&
                 (result == ModalSession::kContinues || !m_ownButton));
    }

    if (result == Accepted) {
        long const wakeBefore = stateOf(m_wakeBefore);
        long const shutdown = stateOf(m_shutdownAfter);
        long const lead = m_wakeLead->currentIndex() + kRestoreFirst;
        m_settings.setInteger(kWakeBeforeKey, wakeBefore);
        m_settings.setInteger(kAllowIdleSleepKey, stateOf(m_allowIdleSleep));
        m_settings.setInteger(kShutdownAfterKey, shutdown);
        m_settings.setInteger(kQuitCompanionKey, stateOf(m_quitCompanion));
        m_settings.setInteger(kWakeLeadKey, lead);
        // The margins, like the late-night hours, are written once they were set: an absent
        // key keeps a settings file that never had them as it was.
        long const startEarly = m_startEarly->value();
        long const endLate = m_endLate->value();
        if (startEarlyStored || startEarly != 0) {
            m_settings.setInteger(kStartEarlyKey, startEarly);
        }
        if (endLateStored || endLate != 0) {
            m_settings.setInteger(kEndLateKey, endLate);
        }
        // Absent, it follows the language: written only once the user chose.
        bool const lateNight = m_lateNightHours->isChecked();
        if (lateNightStored || lateNight != openLateNight) {
            m_settings.setInteger(kLateNightHoursKey, lateNight ? 1 : 0);
        }

        // Compared as on/off: any non-zero stored value means on to every reader. The
        // margins move the wake-ups and the shutdown, when there are any.
        bool const marginsMoved = startEarly != openStartEarly || endLate != openEndLate;
        m_changed = (wakeBefore != 0) != (openWakeBefore != 0) ||
                    (shutdown != 0) != (openShutdown != 0) ||
                    (wakeBefore != 0 && lead != openLead) ||
                    ((wakeBefore != 0 || shutdown != 0) && marginsMoved);

        bool const startAtLogin = m_startAtLogin->isChecked();
        QString why;
        if (m_autostart != nullptr && startAtLogin && !openStartAtLogin &&
            LoginAutostart::hasControlCharacters(m_autostart->command())) {
            //% "The program cannot be started at login from here: the path of its folder, %1, "
            //% "contains a line break or another control character. Move the program to a "
            //% "folder with a plain name."
            MessageBox::show(this, appTitle(),
                             qtTrId("IDS_ERR_START_AT_LOGIN_PATH").arg(m_autostart->command()),
                             QStringLiteral("OK"));
        } else if (m_autostart != nullptr && startAtLogin != openStartAtLogin &&
                   !m_autostart->setEnabled(startAtLogin, &why)) {
            //% "Could not change the start at login (%1): %2"
            MessageBox::show(this, appTitle(),
                             qtTrId("IDS_ERR_START_AT_LOGIN").arg(m_autostart->entryPath(), why),
                             QStringLiteral("OK"));
        }
    }

    hide();
    int const answer = result == Accepted ? Accepted : Rejected;
    setResult(answer);
    return answer;
}

void PowerSettingsDialog::setPlanProblem(QString const& text) {
    m_planProblem->setText(text);
    // Read out when it appears or changes, wherever the focus is in the dialog.
    markAsNotice(m_problemRow, text);
    m_problemRow->setVisible(!text.isEmpty());
}

void PowerSettingsDialog::confirm() {
    m_ownButton = true;
    ModalSession::stopWithCode(Accepted);
}

void PowerSettingsDialog::cancel() {
    m_ownButton = true;
    ModalSession::stopWithCode(Rejected);
}

void PowerSettingsDialog::reject() {
    cancel();
}

void PowerSettingsDialog::closeEvent(QCloseEvent* event) {
    // A close request means Cancel; the dialog itself would otherwise just hide, leaving the
    // run waiting for a button. The run itself ends with hide().
    event->ignore();
    if (isVisible() && !m_ownButton) {
        cancel();
    }
}

void PowerSettingsDialog::wakeBeforeClicked() {
    bool const on = m_wakeBefore->isChecked();
    if (on) {
        MessageBox::show(this, appTitle(),
                         //% "To wake the computer for recordings, you will be asked for an "
                         //% "administrator password, and the computer must be able to wake from "
                         //% "its real-time clock alarm. Leave it suspended or powered off (not "
                         //% "unplugged)."
                         qtTrId("IDS_WARN_USE_ACPI"), QStringLiteral("OK"));
    }
    enableWakeLead(on);
}

void PowerSettingsDialog::enableWakeLead(bool enable) {
    m_wakeLeadLabel->setEnabled(enable);
    m_wakeLead->setEnabled(enable);
}
