// Where the program finds the privileged schedule tool.
#pragma once

#include <string>

// The tool in the program's own folder (the bundle) when the broker lies beside it too,
// otherwise the installed tool; empty when neither is there, so every tool run fails.
std::string ScheduleToolPath();

// The same choice for a given program folder and installed path.
std::string ScheduleToolPathFor(const std::string& programFolder, const std::string& installedPath);
