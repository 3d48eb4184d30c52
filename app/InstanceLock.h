// The advisory lock on ".ResvInfo.dat.lock" beside the reservation file: processes that do
// not share a session bus (another login session) never run two watch loops on one file.
#pragma once

#include <string>

// The advisory lock beside the reservation file, held until the process ends.
class InstanceLock {
public:
    enum class Result { Acquired, HeldByOther, Unavailable };

    // Locks folder/.ResvInfo.dat.lock without waiting.
    static Result acquire(std::string const& folder, int* fdOut = nullptr);
    // The same, waiting up to timeoutMs while another process holds it (a command of the
    // command line holds it for moments only).
    static Result acquireWithin(std::string const& folder, int timeoutMs, int* fdOut = nullptr);
    static std::string lockPath(std::string const& folder);
    // Whether the process pid holds the lock of folder now (one of its open files is the lock
    // file, locked). Reads /proc: only the user's own processes can be looked at.
    static bool heldBy(std::string const& folder, long pid);
};
