// What a recording keeps beside its ".part": the programme as handed over and the kind of
// source, so that a file finished after a crash can still be reported to the manager.
#pragma once
#include "session/Programme.h"

#include <string>

namespace velto {

std::string programmeNoteText(const Programme& programme, const std::string& sourceKind);

// Reads a note back; false with the reason in why when it is not exactly one (it comes from
// a file and is trusted no further than it is checked).
bool readProgrammeNote(const std::string& text, Programme& programme, std::string& sourceKind,
                       std::string& why);

} // namespace velto
