// The title field as text: one reading for everything that shows or sends a title (the
// engine's message and history, the table, the reservation dialog, the command line, the
// calendar export). The field is read up to its zero and never past its 256 bytes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct Reservation;

namespace ReservationTitle {

// The text, when the field holds valid UTF-8; none otherwise (shown as no title at all).
std::optional<std::string> text(Reservation const& rec);
// The text with every sequence that is not UTF-8 replaced by U+FFFD: for what goes out
// whatever a damaged record holds, so that it stays a valid string on any transport.
std::string lossyText(Reservation const& rec);
// Strict UTF-8: no overlong forms, surrogates or values past U+10FFFF.
bool isValidUtf8(std::string_view bytes);

} // namespace ReservationTitle
