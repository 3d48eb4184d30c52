// The administrator authorization the application controller holds, on top of polkit.
// Asking for the administrator right starts, once, the privileged broker through pkexec;
// the broker is held until the authorization is freed. "Executing with privileges" hands
// the broker one argument vector for the schedule tool. Plain C++ (no Qt).
#pragma once

#include "platform/linux/BrokerChannel.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

struct AuthorizationOpaqueRef;
using AuthorizationRef = AuthorizationOpaqueRef*;
using OSStatus = std::int32_t;
using AuthorizationFlags = std::uint32_t;

enum : OSStatus {
    errAuthorizationSuccess = 0,
    errAuthorizationInvalidSet = -60001,
    errAuthorizationInvalidRef = -60002,
    errAuthorizationInvalidPointer = -60004,
    errAuthorizationDenied = -60005,
    errAuthorizationCanceled = -60006,
    errAuthorizationInteractionNotAllowed = -60007,
    errAuthorizationToolExecuteFailure = -60031,
};

enum : AuthorizationFlags {
    kAuthorizationFlagDefaults = 0,
    kAuthorizationFlagInteractionAllowed = 1 << 0,
    kAuthorizationFlagExtendRights = 1 << 1,
};

// The one right there is: running the tool named by the item's value as administrator.
inline constexpr const char* kAuthorizationRightExecute = "system.privilege.admin";

struct AuthorizationItem {
    const char* name;
    std::size_t valueLength;
    void* value;
    std::uint32_t flags;
};

struct AuthorizationRights {
    std::uint32_t count;
    AuthorizationItem* items;
};

// Makes an empty authorization into *authorization. Rights given here are not asked for.
OSStatus AuthorizationCreate(const AuthorizationRights* rights,
                             const AuthorizationRights* environment, AuthorizationFlags flags,
                             AuthorizationRef* authorization);

// Asks for kAuthorizationRightExecute on the tool path given as the item's value: starts
// the broker beside that tool (pkexec asks for the password when interaction is allowed).
// A right already held for that tool is answered at once. authorizedRights is not filled.
OSStatus AuthorizationCopyRights(AuthorizationRef authorization, const AuthorizationRights* rights,
                                 const AuthorizationRights* environment, AuthorizationFlags flags,
                                 AuthorizationRights** authorizedRights);

// Has the broker run the tool at pathToTool (the one the right was obtained for) with the
// null-terminated arguments. Success means the tool was started. communicationsPipe is not
// supported; it is set to null when given.
OSStatus AuthorizationExecuteWithPrivileges(AuthorizationRef authorization, const char* pathToTool,
                                            AuthorizationFlags options, char* const* arguments,
                                            FILE** communicationsPipe);

// As AuthorizationExecuteWithPrivileges, and waits for the tool: *answer says how it ended
// (its exit status, or why there is none). A broker that went away or was ended for not
// answering is started again first, when the right had been granted. Success means the
// request reached a broker.
OSStatus AuthorizationRunTool(AuthorizationRef authorization, const char* pathToTool,
                              char* const* arguments, BrokerChannel::Answer* answer);

// While set, every broker wait under way or to come gives up at once and no broker is
// started: the program is ending (tests set it back). Any thread.
void AuthorizationSetRunsAbandoned(bool abandoned);

// Ends the broker, if any, and releases the authorization.
OSStatus AuthorizationFree(AuthorizationRef authorization, AuthorizationFlags flags);

// How later AuthorizationCopyRights calls start the broker; Automatic unless a test says.
void AuthorizationSetBrokerLaunch(BrokerChannel::Launch launch);
