// The main window's hiding, companion coordination, settings and exit commands.
#include "ui/ResvManDlgController.h"

#include "ui/ApplicationVisibility.h"
#include "ui/ProgressDlgController.h"
#include "ui/SuspendConfigController.h"

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
    if (suspendCon == nullptr || !suspendCon->DoModal(m_mainWindow)) {
        return;
    }
    if (!suspendCon->IsAuthorizeUpdate()) {
        return;
    }
    if (m_services.privileged != nullptr) {
        ReSettingScheduleAfterSettings(); // both kinds cancelled, then planned again
    }
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

void ResvManDlgController::OnExit(QObject* /*sender*/) {
    if (!ApplicationCloseCheck()) {
        return;
    }
    // A recording run holds the engine lock while it hands a reservation to the companion
    // and saves; the exit waits for that stretch (seconds at most) with the window still,
    // so that nothing else can be started meanwhile.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    WaitForRunningHandOff();
    QGuiApplication::restoreOverrideCursor();

    if (m_Schedule != nullptr) {
        m_Schedule->Save(ReservationFilePath().c_str());
    }
    // The list and the engine lock stay: the watch thread and any recording thread may
    // still reach them until the process ends.
    emit terminateRequested();
    QCoreApplication::quit();
}

void ResvManDlgController::OnMenuFinish(QObject* /*sender*/) {
    OnExit(this);
}
