#include "platform/linux/ScheduleToolClient.h"

#include <vector>

ScheduleToolClient::ScheduleToolClient(AuthorizationRef& authorization, const char* toolPath,
                                       std::int32_t toolPathLength)
    : m_Authorization(authorization), m_toolPath(toolPath),
      m_toolPathLength(toolPath != nullptr && toolPathLength > 0 ? toolPathLength : 0) {}

bool ScheduleToolClient::GetAuthorization(AuthorizationRef* authorization) {
    if (authorization == nullptr) {
        return false;
    }
    // An authorization that exists is asked again rather than replaced, so neither it nor
    // its broker is leaked.
    if (*authorization == nullptr &&
        AuthorizationCreate(nullptr, nullptr, kAuthorizationFlagDefaults, authorization) !=
            errAuthorizationSuccess) {
        return false;
    }
    char empty[] = "";
    AuthorizationItem item{kAuthorizationRightExecute, static_cast<std::size_t>(m_toolPathLength),
                           m_toolPathLength > 0 ? const_cast<char*>(m_toolPath) : empty, 0};
    AuthorizationRights rights{1, &item};
    return AuthorizationCopyRights(*authorization, &rights, nullptr,
                                   kAuthorizationFlagInteractionAllowed |
                                       kAuthorizationFlagExtendRights,
                                   nullptr) == errAuthorizationSuccess;
}

bool ScheduleToolClient::EnsureAuthorization() {
    // Made once and then kept for the life of the process, even when the right was refused.
    return m_Authorization != nullptr || GetAuthorization(&m_Authorization);
}

template <typename Arguments> bool ScheduleToolClient::RunTool(const Arguments& arguments) {
    if (m_toolPathLength == 0) {
        return false;
    }
    std::vector<char*> argv;
    for (const auto& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    return AuthorizationExecuteWithPrivileges(m_Authorization, m_toolPath,
                                              kAuthorizationFlagDefaults, argv.data(),
                                              nullptr) == errAuthorizationSuccess;
}

bool ScheduleToolClient::Set(schedule::Kind kind, double instant) {
    // The instant is converted before the authorization is looked at. One that cannot be
    // written would only be refused by the tool, so it does not bring up a password request.
    const auto arguments = schedule::BuildSetArguments(kind, instant);
    if (!arguments || !EnsureAuthorization()) {
        return false;
    }
    return RunTool(*arguments);
}

bool ScheduleToolClient::SettingWakeTime(double instant) {
    return Set(schedule::Kind::Wake, instant);
}

bool ScheduleToolClient::ForceShutDownTime(double instant) {
    return Set(schedule::Kind::Shutdown, instant);
}

bool ScheduleToolClient::cancelScheduleWake(int kind) {
    // The authorization comes first, so even an unknown kind may bring up the request.
    if (!EnsureAuthorization()) {
        return false;
    }
    const auto arguments = schedule::BuildCancelArguments(kind);
    return arguments && RunTool(*arguments);
}
