// Start-up hygiene for the programs that run as root: they trust nothing they inherit.
#pragma once

#include <sys/types.h>

// The only search path the privileged programs and their children see.
inline constexpr const char* kSafePath = "/usr/sbin:/usr/bin:/sbin:/bin";

// The variable that names the user a privileged program runs for: pkexec sets it (whatever
// the caller's environment held), and the broker passes it on to the tool.
inline constexpr const char* kRequestingUserVariable = "PKEXEC_UID";

// The user this run is for: $PKEXEC_UID when it is a plain number, otherwise the real user.
// Read it before sanitizeProcess, which clears the environment.
uid_t requestingUser();

// Makes sure descriptors 0-2 are open (on /dev/null if need be) so that no file the program
// opens later lands on one of them, closes every other inherited descriptor, replaces the
// environment with PATH=kSafePath, sets a umask of 022, and resets the resource limits
// (resetResourceLimits). False when the limits stay too low: the program must then change
// nothing, say so and end.
[[nodiscard]] bool sanitizeProcess();

// Resource limits pass through pkexec unchanged: a caller could otherwise have the kernel
// stop a privileged program halfway (a file-size limit between the two writes of the RTC
// alarm, a CPU-time limit in the middle of a run). Sets them to what a fresh root session
// has: no limit on CPU time, file size, data, address space and locks, an 8 MiB stack, 1024
// descriptors, no core dumps. Raising a hard limit takes CAP_SYS_RESOURCE; where that is
// missing, true only when what is left cannot stop the program: CPU time and file size
// unlimited, and at least 1 MiB of stack and 256 MiB of data and address space.
[[nodiscard]] bool resetResourceLimits();
