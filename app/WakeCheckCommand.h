// "resvman check-wake [--json] [--test]": whether this computer will wake for its recordings,
// the same checks as the check window, and on request a test wake-up. Exit status: 0 nothing
// is a problem, 1 something is, 2 the check itself could not run.
#pragma once

#include "platform/linux/WakeFactsReader.h"

#include <QStringList>

#include <string>

class IPrivilegedOps;
class ISettings;

namespace WakeCheckCommand {

// The reader for this program: its history in dataFolder, its autostart entry, the helper as
// installed; privileged (the probe) and settings may be null.
WakeFactsReader readerFor(std::string const& dataFolder, IPrivilegedOps* privileged,
                          ISettings* settings);

// Runs the command; output: what it prints on standard output (said: on standard error).
int run(QStringList const& arguments, std::string const& dataFolder);

} // namespace WakeCheckCommand
