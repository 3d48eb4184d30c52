#pragma once
#include <iosfwd>

namespace velto {

// `velto devices`: the receivers SoapySDR finds, one a line, with the spec that picks each.
// Exit status 0 (also when there are none), 1 when the search failed.
int runDevicesCommand(std::ostream& out, std::ostream& err);

} // namespace velto
