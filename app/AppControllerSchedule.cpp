// The application controller's privileged operations: the administrator authorization and
// the runs of the schedule tool. The work is ScheduleToolClient's, on the controller's own
// authorization and tool path.
#include "app/AppController.h"

#include "platform/linux/ScheduleToolClient.h"

bool AppController::GetAuthorization(AuthorizationRef* authorization) {
    return ScheduleToolClient(m_Authorization, _pszExePath, _unExePathLength)
        .GetAuthorization(authorization);
}

bool AppController::SettingWakeTime(double instant) {
    return ScheduleToolClient(m_Authorization, _pszExePath, _unExePathLength)
        .SettingWakeTime(instant);
}

bool AppController::ForceShutDownTime(double instant) {
    return ScheduleToolClient(m_Authorization, _pszExePath, _unExePathLength)
        .ForceShutDownTime(instant);
}

bool AppController::cancelScheduleWake(int kind) {
    return ScheduleToolClient(m_Authorization, _pszExePath, _unExePathLength)
        .cancelScheduleWake(kind);
}
