// The application controller's gateway to the schedule tool: obtains the administrator
// authorization and has the tool run with the exact argument vectors. It works on the
// controller's own members (the authorization and the tool path), passed by reference, so
// the controller keeps owning them. Plain C++ (no Qt), so it is tested with the helper.
#pragma once

#include "helper/ScheduleArgs.h"
#include "platform/IPrivilegedOps.h"
#include "platform/linux/AdminAuthorization.h"

#include <cstdint>

class ScheduleToolClient {
public:
    ScheduleToolClient(AuthorizationRef& authorization, const char* toolPath,
                       std::int32_t toolPathLength);

    // Makes the authorization when there is none yet (it is kept even when the right is then
    // refused) and asks for the administrator right on the tool, with interaction allowed.
    bool GetAuthorization(AuthorizationRef* authorization);

    // Instants in seconds since 1970 UTC. Each operation is true only when the tool ran and
    // succeeded.
    bool SettingWakeTime(double instant);
    bool ForceShutDownTime(double instant);
    // kind 1: every wake-up, kind 2: every shutdown; other kinds answer false.
    bool cancelScheduleWake(int kind);
    // Why the last operation answered false (None after a success).
    PrivilegedFailure failure() const { return m_failure; }

private:
    bool Set(schedule::Kind kind, double instant);
    bool EnsureAuthorization();
    template <typename Arguments> bool RunTool(const Arguments& arguments);

    AuthorizationRef& m_Authorization;
    const char* m_toolPath;
    std::int32_t m_toolPathLength;
    PrivilegedFailure m_failure = PrivilegedFailure::None;
};
