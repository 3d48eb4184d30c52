// Starting the companion tuner application.
#pragma once

#include <string>

// The companion beside the bundle, and the program name it is otherwise started by.
inline constexpr char const* kCompanionBundleName = "Velto.app";
inline constexpr char const* kCompanionProgramName = "Velto";

class ICompanionLauncher {
public:
    virtual ~ICompanionLauncher() = default;
    // Opens the application at appPath ("Velto.app" beside the bundle): true when it
    // already runs or was started.
    virtual bool open(std::string const& appPath) = 0;
    // Starts the application found by name ("Velto"); the answer is advisory.
    virtual bool launch(std::string const& name) = 0;
    // Whether the companion runs now (its bus name has an owner).
    virtual bool isRunning() const = 0;
};
