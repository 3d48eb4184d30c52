#include "platform/linux/AdminAuthorization.h"

#include "helper/BrokerFrame.h"

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

} // namespace

void AuthorizationSetBrokerLaunch(BrokerChannel::Launch launch) {
    g_launch = launch;
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
    BrokerChannel::StartResult result;
    auto channel = BrokerChannel::Start(BrokerBeside(toolPath), g_launch, &result);
    if (!channel) {
        return result == BrokerChannel::StartResult::Dismissed ? errAuthorizationCanceled
                                                               : errAuthorizationDenied;
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
    if (authorization == nullptr) {
        return errAuthorizationInvalidRef;
    }
    if (pathToTool == nullptr || arguments == nullptr) {
        return errAuthorizationInvalidPointer;
    }
    if (!authorization->broker || authorization->broker->broken()) {
        return errAuthorizationDenied;
    }
    // The broker runs only the tool beside it; another path would not be what was asked.
    if (authorization->toolPath != pathToTool) {
        return errAuthorizationToolExecuteFailure;
    }
    std::vector<std::string> args;
    for (char* const* arg = arguments; *arg != nullptr; ++arg) {
        args.emplace_back(*arg);
    }
    return authorization->broker->Execute(args) ? errAuthorizationSuccess
                                                : errAuthorizationToolExecuteFailure;
}

OSStatus AuthorizationFree(AuthorizationRef authorization, AuthorizationFlags) {
    if (authorization == nullptr) {
        return errAuthorizationInvalidRef;
    }
    delete authorization; // closing the channel ends the broker
    return errAuthorizationSuccess;
}
