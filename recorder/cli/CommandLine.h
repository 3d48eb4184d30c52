#pragma once
#include "sources/SourceFactory.h"

#include <iosfwd>
#include <optional>

namespace velto {

// Runs a command of `velto` ("record", "devices", "--help", "--version") and returns its exit
// status; none when the arguments are not a command (the program then runs its window).
// `sources` is the factory with every kind of source registered.
std::optional<int> runCommand(int argc, const char* const* argv, const SourceFactory& sources,
                              std::ostream& out, std::ostream& err);

} // namespace velto
