// A reservation's form in the reservation file: 292 bytes, little-endian, the fields at the
// byte offsets docs/reservation-file.md gives.
#pragma once

#include "store/Reservation.h"

#include <cstddef>
#include <cstdint>

namespace ReservationRecord {

inline constexpr std::size_t kSize = 292;

void write(Reservation const& rec, uint8_t out[kSize]);
Reservation read(uint8_t const in[kSize]);

} // namespace ReservationRecord
