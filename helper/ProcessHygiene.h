// Start-up hygiene for the programs that run as root: they trust nothing they inherit.
#pragma once

// The only search path the privileged programs and their children see.
inline constexpr const char* kSafePath = "/usr/sbin:/usr/bin:/sbin:/bin";

// Makes sure descriptors 0-2 are open (on /dev/null if need be) so that no file the program
// opens later lands on one of them, closes every other inherited descriptor, replaces the
// environment with PATH=kSafePath, and sets a umask of 022.
void SanitizeProcess();
