// A failed save of the reservation file in words: for the notice above the table and for
// the exit command's question.
#pragma once

#include "store/ReservationFile.h"

#include <QString>

// Why the save failed ("the disk is full", ...).
QString saveFailureReason(SaveOutcome const& outcome);
// The file the save was for, as the user knows it.
QString saveFailurePath(SaveOutcome const& outcome);
