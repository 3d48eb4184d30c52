// Starting the companion tuner application.
#pragma once

#include <string>

class ICompanionLauncher {
public:
    virtual ~ICompanionLauncher() = default;
    // Opens the application at appPath ("Velto.app" next to the bundle): true when it
    // already runs or was started.
    virtual bool openURL(std::string const& appPath) = 0;
    // Starts the application found by name ("Velto"); the answer is advisory.
    virtual bool launchApplication(std::string const& name) = 0;
    // Whether the companion runs now (its bus name has an owner).
    virtual bool isRunning() const = 0;
};
