#pragma once
#include "sources/tuner/RadioTunerFinder.h"

#include <iosfwd>

namespace velto {

// `velto devices`: the receivers SoapySDR finds and the USB radio tuners (with their bands
// and sound card, or why one cannot record), one a line, with the address that picks each.
// Exit status 0 (also when there are none), 1 when a search failed or ran out of time.
int runDevicesCommand(std::ostream& out, std::ostream& err,
                      const RadioTunerFinder& tuners = RadioTunerFinder());

} // namespace velto
