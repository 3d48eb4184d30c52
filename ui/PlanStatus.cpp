#include "ui/PlanStatus.h"

#include "ui/MainWindow.h"
#include "ui/PowerSettingsDialog.h"
#include "ui/ShutdownWarning.h"

#include <cstdio>

namespace {

// For the terminal: a plain line, whatever the desktop's language.
char const* failureWords(PrivilegedFailure failure) {
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

QString PlanStatus::failureText(PrivilegedFailure failure) {
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

PlanStatus::PlanStatus(MainWindow& window, PowerSettingsDialog& settings, QObject* parent)
    : QObject(parent), m_window(window), m_settings(settings) {}

void PlanStatus::show(PlanOutcome const& outcome) {
    if (outcome.failure != PrivilegedFailure::None) {
        if (m_problem.isEmpty() || m_lastFailure != outcome.failure) {
            std::fprintf(stderr, "resvman: wake-ups and shutdowns are not planned: %s\n",
                         failureWords(outcome.failure));
        }
        m_lastFailure = outcome.failure;
        // Without the wake-up helper its own line says why; the plan's would only repeat it.
        bool const repeats = outcome.failure == PrivilegedFailure::Unavailable && m_helperMissing;
        setProblem(repeats ? QString() : failureText(outcome.failure));
    } else if (!outcome.abandoned &&
               (outcome.toolRuns > 0 || (!outcome.wakeOn && !outcome.shutdownOn))) {
        // A run that worked, or nothing left to plan.
        m_lastFailure = PrivilegedFailure::None;
        setProblem(QString());
    }
    if (m_shutdownWarning != nullptr && !outcome.abandoned) {
        m_shutdownWarning->arm(outcome.shutdownPlanned ? std::optional(outcome.shutdownAt)
                                                       : std::nullopt);
    }
    emit planFinished(outcome);
}

void PlanStatus::setProblem(QString const& text) {
    m_problem = text;
    if (text.isEmpty()) {
        m_window.clearNotice(NoticeKind::WakePlan);
    } else {
        m_window.showNotice(NoticeKind::WakePlan, text);
    }
    m_settings.setPlanProblem(text);
}
