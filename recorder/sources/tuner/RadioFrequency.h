// Stations as the companion protocol gives them (band and CH) and frequencies in the units a
// Video4Linux tuner counts in.
#pragma once

#include "sources/Station.h"

#include <cstdint>
#include <optional>
#include <string>

namespace velto {

// The step of a tuner's frequency numbers: 62.5 kHz unless the tuner says
// V4L2_TUNER_CAP_LOW (62.5 Hz) or V4L2_TUNER_CAP_1HZ.
enum class TunerUnit { Coarse, Fine, Hertz };

TunerUnit tunerUnitFor(uint32_t capability);
double unitsToHz(uint32_t units, TunerUnit unit);
// The nearest number of units; none when it does not fit the 32 bits the ioctls carry.
std::optional<uint32_t> hzToUnits(double hz, TunerUnit unit);
const char* unitName(TunerUnit unit);

// None for a CH that is no frequency at all (zero, negative, beyond 300 MHz).
std::optional<uint64_t> stationHz(const Station& station);
// "87.5 MHz", "520 kHz", for ranges and read-backs.
std::string formatHz(double hz);
// How far a tuned frequency may lie from the station: the tuner's own step rounds it.
double toleranceHz(Band band);

} // namespace velto
