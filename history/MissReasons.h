// Why a reservation was missed and whether the computer woke when it should have, worked
// out from what the journal recorded: when the program ran, when the computer slept and
// woke, and which wake-ups were planned. Nothing is guessed beyond those rows.
#pragma once

#include "history/JournalEntry.h"

#include <optional>
#include <vector>

// A wake-up counts as on time when the computer came up at most this long after it.
inline constexpr double kWakeOnTimeSeconds = 120.0;
// Clocks differ a little: coming up this much before the planned instant still counts.
inline constexpr double kWakeEarlySeconds = 60.0;

// context: the journal's ProgramStarted, ProgramExited, Sleep, Woke and WakeUpsPlanned rows
// from before the reservation's start (at least from the last program start before it) up
// to now, oldest first. start: the reservation's start.
MissReason deriveMissReason(std::vector<JournalEntry> const& context, double start);

struct WakeAssessment {
    WakeOutcome outcome = WakeOutcome::ByHand;
    double planned = 0.0; // the wake-up it was meant for; 0 with ByHand
};

// up: when the computer came up. down: when it went to sleep or was shut down, when known.
// planned: the wake-ups in force when it went down.
WakeAssessment assessWake(double up, std::optional<double> down,
                          std::vector<double> const& planned);
