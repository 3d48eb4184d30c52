#pragma once
#include "sources/Station.h"

#include <chrono>
#include <string>

namespace velto {

// One programme to record, as handed over: what, where on the dial, when.
struct Programme {
    std::string title;
    Station station;
    std::chrono::system_clock::time_point start;
    std::chrono::system_clock::time_point end;
    // The station's name from the presets, for the ORGANIZATION tag; empty when unknown.
    std::string stationName;
};

} // namespace velto
