// The main window's hiding, companion coordination, settings and exit commands.
#include "ui/ResvManDlgController.h"

#include "ui/AlertPanel.h"
#include "ui/ApplicationVisibility.h"
#include "ui/ModalSession.h"
#include "ui/ProgressDlgController.h"
#include "ui/SaveFailure.h"
#include "ui/SuspendConfigController.h"
#include "ui/UiTexts.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMainWindow>

bool ResvManDlgController::windowShouldClose(QObject* /*sender*/) {
    // The main window is never closed while the program runs: its close box hides.
    ApplicationVisibility::instance().hide();
    return false;
}

void ResvManDlgController::OnTaskTray(QObject* /*sender*/) {
    // Not reported to the companion: only the dual close asks it to hide too.
    ApplicationVisibility::instance().hide();
}

void ResvManDlgController::OnMenuClose(QObject* /*sender*/) {
    OnTaskTray(this);
}

void ResvManDlgController::OnMenuDualClose(QObject* /*sender*/) {
    if (m_notifications != nullptr) {
        m_notifications->postNotification(kNotifySendHide, std::string("message"), {});
    }
    ApplicationVisibility::instance().hide();
}

void ResvManDlgController::dualHideOperation() {
    OnDualHide(this);
}

void ResvManDlgController::OnDualHide(QObject* /*sender*/) {
    ApplicationVisibility::instance().hide();
}

void ResvManDlgController::OnDualUnHide(QObject* /*sender*/) {
    // The application controller answers a real hidden-to-shown change (didUnhide).
    ApplicationVisibility::instance().unhide();
}

void ResvManDlgController::OnConfig(QObject* /*sender*/) {
    if (suspendCon == nullptr) {
        return;
    }
    bool const confirmed = suspendCon->DoModal(m_mainWindow);
    if (configClosed) {
        configClosed(); // whatever the answer: the wake-up helper may have been installed
    }
    if (!confirmed || !suspendCon->IsAuthorizeUpdate()) {
        return;
    }
    // Both kinds are cancelled and planned again from the new settings, by the planning
    // thread: the window does not wait for the tool.
    ReSettingScheduleAfterSettings();
}

void ResvManDlgController::OnMenuSuspendConfig(QObject* /*sender*/) {
    OnConfig(this);
}

bool ResvManDlgController::ApplicationCloseCheck() {
    int const pending = m_Schedule != nullptr ? m_Schedule->GetCountByKind(1) : 0;
    if (pending <= 0) {
        return true;
    }
    if (ProgressCon == nullptr) {
        return false; // no way to ask: keep the pending reservations
    }
    //% "Some reservations are still waiting to be recorded. If you exit now, they will "
    //% "not be recorded. Exit anyway?"
    ProgressCon->setMessage(qtTrId("IDS_WARN_ABOUT_EXIT"));
    return ProgressCon->DoModal(m_mainWindow);
}

bool ResvManDlgController::SaveForExit() {
    // A recording run holds the engine lock while it hands a reservation to the companion
    // and saves; the exit waits for that stretch (seconds at most) with the window still,
    // so that nothing else can be started meanwhile.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    WaitForRunningHandOff();
    QGuiApplication::restoreOverrideCursor();
    return m_Schedule == nullptr || m_Schedule->Save(ReservationFilePath().c_str());
}

void ResvManDlgController::OnExit(QObject* /*sender*/) {
    if (!ApplicationCloseCheck()) {
        return;
    }
    if (!SaveForExit()) {
        UpdateSaveNotice();
        SaveOutcome const outcome = m_Schedule->lastSaveOutcome();
        bool const exitAnyway =
            RunAlertPanel(m_mainWindow, AppTitle(),
                          //% "The reservations could not be saved to %1: %2. If you exit "
                          //% "now, the changes since the last save are lost. Exit anyway?"
                          qtTrId("IDS_WARN_EXIT_UNSAVED")
                              .arg(SaveFailurePath(outcome), SaveFailureReason(outcome)),
                          QStringLiteral("OK"), QStringLiteral("Cancel")) == kAlertDefaultReturn;
        if (!exitAnyway) {
            return;
        }
    }
    // The list and the engine lock stay: the watch thread and any recording thread may
    // still reach them until the process ends.
    emit terminateRequested();
    QCoreApplication::quit();
}

void ResvManDlgController::OnTerminationSignal() {
    m_terminationRequested = true;
    // The reservation, settings and countdown dialogs end their runs as if cancelled; exit()
    // ends every event loop, an alert's too, without asking the windows to close (the main
    // window would refuse: its close box only hides).
    ModalSession::abortAll();
    QCoreApplication::exit(0);
}

void ResvManDlgController::OnMenuFinish(QObject* /*sender*/) {
    OnExit(this);
}
