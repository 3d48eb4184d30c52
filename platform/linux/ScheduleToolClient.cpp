#include "platform/linux/ScheduleToolClient.h"

#include "helper/ScheduleTool.h"

#include <vector>

namespace {

PrivilegedFailure FailureOf(OSStatus status) {
    switch (status) {
    case errAuthorizationSuccess:
        return PrivilegedFailure::None;
    case errAuthorizationDenied:
    case errAuthorizationCanceled:
    case errAuthorizationInteractionNotAllowed:
        return PrivilegedFailure::NotAuthorized;
    default:
        return PrivilegedFailure::Unavailable;
    }
}

PrivilegedFailure FailureOf(BrokerChannel::Answer const& answer) {
    using Kind = BrokerChannel::Answer::Kind;
    switch (answer.kind) {
    case Kind::Exited:
        switch (answer.status) {
        case ScheduleTool::kExitOk:
            return PrivilegedFailure::None;
        case ScheduleTool::kExitNoSystemd:
            return PrivilegedFailure::NoSystemd;
        case ScheduleTool::kExitNotWakeable:
            return PrivilegedFailure::NotWakeable;
        default:
            return PrivilegedFailure::ToolFailed;
        }
    case Kind::TimedOut:
        return PrivilegedFailure::TimedOut;
    case Kind::Refused:
        return PrivilegedFailure::ToolFailed;
    case Kind::NotStarted:
    case Kind::Lost:
        break;
    }
    return PrivilegedFailure::Unavailable;
}

} // namespace

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
        m_failure = PrivilegedFailure::Unavailable;
        return false;
    }
    char empty[] = "";
    AuthorizationItem item{kAuthorizationRightExecute, static_cast<std::size_t>(m_toolPathLength),
                           m_toolPathLength > 0 ? const_cast<char*>(m_toolPath) : empty, 0};
    AuthorizationRights rights{1, &item};
    const OSStatus status = AuthorizationCopyRights(
        *authorization, &rights, nullptr,
        kAuthorizationFlagInteractionAllowed | kAuthorizationFlagExtendRights, nullptr);
    m_failure = m_toolPathLength == 0 ? PrivilegedFailure::Unavailable : FailureOf(status);
    return status == errAuthorizationSuccess;
}

bool ScheduleToolClient::EnsureAuthorization() {
    // Made once and then kept for the life of the process, even when the right was refused
    // (a refused one then fails each run without asking again).
    return m_Authorization != nullptr || GetAuthorization(&m_Authorization);
}

template <typename Arguments> bool ScheduleToolClient::RunTool(const Arguments& arguments) {
    if (m_toolPathLength == 0) {
        m_failure = PrivilegedFailure::Unavailable;
        return false;
    }
    std::vector<char*> argv;
    for (const auto& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    BrokerChannel::Answer answer;
    const OSStatus status = AuthorizationRunTool(m_Authorization, m_toolPath, argv.data(), &answer);
    m_failure = status != errAuthorizationSuccess ? FailureOf(status) : FailureOf(answer);
    return m_failure == PrivilegedFailure::None;
}

bool ScheduleToolClient::Set(schedule::Kind kind, double instant) {
    // The instant is converted before the authorization is looked at. One that cannot be
    // written would only be refused by the tool, so it does not bring up a password request.
    const auto arguments = schedule::BuildSetArguments(kind, instant);
    if (!arguments) {
        m_failure = PrivilegedFailure::ToolFailed;
        return false;
    }
    return EnsureAuthorization() && RunTool(*arguments);
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
    if (!arguments) {
        m_failure = PrivilegedFailure::ToolFailed;
        return false;
    }
    return RunTool(*arguments);
}
