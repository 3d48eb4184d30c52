// The main window controller's side of planning: the outcome of each run, shown where the
// user looks (the main window, the settings dialog), and the warning before a shutdown.
#include "ui/ResvManDlgController.h"

#include "ui/ShutdownWarning.h"
#include "ui/SuspendConfigController.h"

#include <QMetaObject>

#include <cstdio>

namespace {

// For the terminal: a plain line, whatever the desktop's language.
char const* FailureWords(PrivilegedFailure failure) {
    switch (failure) {
    case PrivilegedFailure::None:
        return "no failure";
    case PrivilegedFailure::NotAuthorized:
        return "no administrator authorization";
    case PrivilegedFailure::Unavailable:
        return "the wake-up helper is not available";
    case PrivilegedFailure::NoSystemd:
        return "systemd is not running";
    case PrivilegedFailure::NotWakeable:
        return "no alarm clock can wake this computer";
    case PrivilegedFailure::TimedOut:
        return "the wake-up helper did not answer in time";
    case PrivilegedFailure::ToolFailed:
        return "the wake-up helper reported an error";
    }
    return "unknown failure";
}

} // namespace

QString ResvManDlgController::PlanFailureText(PrivilegedFailure failure) {
    QString reason;
    switch (failure) {
    case PrivilegedFailure::None:
        return QString();
    case PrivilegedFailure::NotAuthorized:
        //% "the administrator password was not given."
        reason = qtTrId("IDS_PLAN_WHY_NOT_AUTHORIZED");
        break;
    case PrivilegedFailure::Unavailable:
        //% "the wake-up helper could not be started."
        reason = qtTrId("IDS_PLAN_WHY_UNAVAILABLE");
        break;
    case PrivilegedFailure::NoSystemd:
        //% "this computer does not run systemd."
        reason = qtTrId("IDS_PLAN_WHY_NO_SYSTEMD");
        break;
    case PrivilegedFailure::NotWakeable:
        //% "this computer has no clock alarm that can wake it."
        reason = qtTrId("IDS_PLAN_WHY_NOT_WAKEABLE");
        break;
    case PrivilegedFailure::TimedOut:
        //% "the wake-up helper did not answer in time."
        reason = qtTrId("IDS_PLAN_WHY_TIMED_OUT");
        break;
    case PrivilegedFailure::ToolFailed:
        //% "the wake-up helper reported an error."
        reason = qtTrId("IDS_PLAN_WHY_TOOL_FAILED");
        break;
    }
    //% "Wake-ups are not planned: %1"
    return qtTrId("IDS_PLAN_FAILED").arg(reason);
}

void ResvManDlgController::PlanFinished(PlanOutcome const& outcome) {
    // The planning thread ends before this object goes, and a queued call to an object that
    // is gone is dropped.
    QMetaObject::invokeMethod(
        this, [this, outcome] { ShowPlanOutcome(outcome); }, Qt::QueuedConnection);
}

void ResvManDlgController::ShowPlanOutcome(PlanOutcome const& outcome) {
    if (outcome.failure != PrivilegedFailure::None) {
        if (m_planProblem.isEmpty() || m_lastFailure != outcome.failure) {
            std::fprintf(stderr, "resvman: wake-ups and shutdowns are not planned: %s\n",
                         FailureWords(outcome.failure));
        }
        m_lastFailure = outcome.failure;
        // Without the wake-up helper its own line says why; the plan's would only repeat it.
        bool const repeats =
            outcome.failure == PrivilegedFailure::Unavailable && helperMissing && helperMissing();
        setPlanProblem(repeats ? QString() : PlanFailureText(outcome.failure));
    } else if (!outcome.abandoned &&
               (outcome.toolRuns > 0 || (!outcome.wakeOn && !outcome.shutdownOn))) {
        // A run that worked, or nothing left to plan.
        m_lastFailure = PrivilegedFailure::None;
        setPlanProblem(QString());
    }
    if (m_shutdownWarning != nullptr && !outcome.abandoned) {
        m_shutdownWarning->Arm(outcome.shutdownPlanned ? std::optional(outcome.shutdownAt)
                                                       : std::nullopt);
    }
    emit planFinished(outcome);
}

void ResvManDlgController::setPlanProblem(QString const& text) {
    m_planProblem = text;
    if (text.isEmpty()) {
        ClearNotice(NoticeKind::WakePlan);
    } else {
        ShowNotice(NoticeKind::WakePlan, text);
    }
    if (suspendCon != nullptr) {
        suspendCon->setPlanProblem(text);
    }
}
