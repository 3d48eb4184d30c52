// The application controller's privileged operations: the administrator authorization and
// the runs of the schedule tool. The work is ScheduleToolClient's, on the controller's own
// authorization and tool path, one run at a time.
#include "app/AppController.h"

#include "platform/linux/ScheduleToolClient.h"

template <typename Operation> bool AppController::RunPrivileged(Operation operation) {
    std::lock_guard lock(m_toolMutex);
    ScheduleToolClient client(m_Authorization, _pszExePath, _unExePathLength);
    bool const done = operation(client);
    m_lastFailure = done ? PrivilegedFailure::None : client.failure();
    return done;
}

bool AppController::GetAuthorization(AuthorizationRef* authorization) {
    return RunPrivileged([authorization](ScheduleToolClient& client) {
        return client.GetAuthorization(authorization);
    });
}

bool AppController::SettingWakeTime(double instant) {
    return RunPrivileged(
        [instant](ScheduleToolClient& client) { return client.SettingWakeTime(instant); });
}

bool AppController::ForceShutDownTime(double instant) {
    return RunPrivileged(
        [instant](ScheduleToolClient& client) { return client.ForceShutDownTime(instant); });
}

bool AppController::cancelScheduleWake(int kind) {
    return RunPrivileged(
        [kind](ScheduleToolClient& client) { return client.cancelScheduleWake(kind); });
}

PrivilegedFailure AppController::lastFailure() {
    std::lock_guard lock(m_toolMutex);
    return m_lastFailure;
}
