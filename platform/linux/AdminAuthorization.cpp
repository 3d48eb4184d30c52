#include "platform/linux/AdminAuthorization.h"

#include "helper/BrokerFrame.h"

#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

struct AuthorizationOpaqueRef {
    std::string toolPath; // the tool the right was obtained for
    std::unique_ptr<BrokerChannel> broker;
};

namespace {

BrokerChannel::Launch g_launch = BrokerChannel::Launch::Automatic;
std::atomic<bool> g_abandoned{false};

// The one acceptable right set: a single execute item naming an absolute tool path.
bool ToolPathOf(const AuthorizationRights* rights, std::string* toolPath) {
    if (rights == nullptr || rights->count != 1 || rights->items == nullptr) {
        return false;
    }
    const AuthorizationItem& item = rights->items[0];
    if (item.name == nullptr || std::strcmp(item.name, kAuthorizationRightExecute) != 0 ||
        item.value == nullptr || item.valueLength == 0) {
        return false;
    }
    const std::string_view path(static_cast<const char*>(item.value), item.valueLength);
    if (path[0] != '/' || path.find('\0') != std::string_view::npos) {
        return false;
    }
    *toolPath = std::string(path);
    return true;
}

std::string BrokerBeside(const std::string& toolPath) {
    return toolPath.substr(0, toolPath.rfind('/') + 1) + broker::kBrokerFileName;
}

OSStatus StatusOf(BrokerChannel::StartResult result) {
    switch (result) {
    case BrokerChannel::StartResult::Started:
        return errAuthorizationSuccess;
    case BrokerChannel::StartResult::Dismissed:
        return errAuthorizationCanceled;
    case BrokerChannel::StartResult::Refused:
        return errAuthorizationDenied;
    case BrokerChannel::StartResult::Failed:
        break;
    }
    return errAuthorizationToolExecuteFailure;
}

} // namespace

void AuthorizationSetBrokerLaunch(BrokerChannel::Launch launch) {
    g_launch = launch;
}

void AuthorizationSetRunsAbandoned(bool abandoned) {
    g_abandoned.store(abandoned);
    BrokerChannel::SetAbandoned(abandoned);
}

OSStatus AuthorizationCreate(const AuthorizationRights*, const AuthorizationRights*,
                             AuthorizationFlags, AuthorizationRef* authorization) {
    if (authorization == nullptr) {
        return errAuthorizationInvalidPointer;
    }
    *authorization = new AuthorizationOpaqueRef;
    return errAuthorizationSuccess;
}

OSStatus AuthorizationCopyRights(AuthorizationRef authorization, const AuthorizationRights* rights,
                                 const AuthorizationRights*, AuthorizationFlags flags,
                                 AuthorizationRights** authorizedRights) {
    if (authorizedRights != nullptr) {
        *authorizedRights = nullptr;
    }
    if (authorization == nullptr) {
        return errAuthorizationInvalidRef;
    }
    std::string toolPath;
    if (!ToolPathOf(rights, &toolPath)) {
        return errAuthorizationInvalidSet;
    }
    if (authorization->broker && !authorization->broker->broken()) {
        return authorization->toolPath == toolPath ? errAuthorizationSuccess
                                                   : errAuthorizationDenied;
    }
    if ((flags & kAuthorizationFlagInteractionAllowed) == 0 && geteuid() != 0) {
        return errAuthorizationInteractionNotAllowed;
    }
    if (g_abandoned.load()) {
        return errAuthorizationCanceled;
    }
    BrokerChannel::StartResult result;
    auto channel = BrokerChannel::Start(BrokerBeside(toolPath), g_launch, &result);
    if (!channel) {
        return StatusOf(result);
    }
    authorization->toolPath = toolPath;
    authorization->broker = std::move(channel);
    return errAuthorizationSuccess;
}

OSStatus AuthorizationExecuteWithPrivileges(AuthorizationRef authorization, const char* pathToTool,
                                            AuthorizationFlags, char* const* arguments,
                                            FILE** communicationsPipe) {
    if (communicationsPipe != nullptr) {
        *communicationsPipe = nullptr;
    }
    BrokerChannel::Answer answer;
    const OSStatus status = AuthorizationRunTool(authorization, pathToTool, arguments, &answer);
    if (status != errAuthorizationSuccess) {
        return status;
    }
    return answer.kind == BrokerChannel::Answer::Kind::Exited ? errAuthorizationSuccess
                                                              : errAuthorizationToolExecuteFailure;
}

OSStatus AuthorizationRunTool(AuthorizationRef authorization, const char* pathToTool,
                              char* const* arguments, BrokerChannel::Answer* answer) {
    *answer = BrokerChannel::Answer{};
    if (authorization == nullptr) {
        return errAuthorizationInvalidRef;
    }
    if (pathToTool == nullptr || arguments == nullptr) {
        return errAuthorizationInvalidPointer;
    }
    // Never granted (refused, or not asked): no broker, and no new password request here.
    if (authorization->toolPath.empty()) {
        return errAuthorizationDenied;
    }
    // The broker runs only the tool beside it; another path would not be what was asked.
    if (authorization->toolPath != pathToTool) {
        return errAuthorizationToolExecuteFailure;
    }
    if (!authorization->broker || authorization->broker->broken()) {
        // It died, or was ended for not answering: the right was granted, so a new broker
        // is started (pkexec may ask again once its grace time has passed).
        authorization->broker.reset();
        if (g_abandoned.load()) {
            return errAuthorizationCanceled;
        }
        BrokerChannel::StartResult result;
        authorization->broker =
            BrokerChannel::Start(BrokerBeside(authorization->toolPath), g_launch, &result);
        if (!authorization->broker) {
            return StatusOf(result);
        }
    }
    std::vector<std::string> args;
    for (char* const* arg = arguments; *arg != nullptr; ++arg) {
        args.emplace_back(*arg);
    }
    *answer = authorization->broker->Execute(args);
    return errAuthorizationSuccess;
}

OSStatus AuthorizationFree(AuthorizationRef authorization, AuthorizationFlags) {
    if (authorization == nullptr) {
        return errAuthorizationInvalidRef;
    }
    delete authorization; // closing the channel ends the broker
    return errAuthorizationSuccess;
}
