#pragma once
#include <iosfwd>
#include <string>
#include <vector>

namespace velto {

// `velto stations`: lists the stations table; `stations set --band B --ch N [--url URL]
// [--use receiver|stream|fallback] [--name NAME]` adds or replaces a station; `stations
// remove --band B --ch N` takes one out. The table lives in the file at path (StationFile).
// Exit status 0 done, 1 the file could not be read or written (nothing changed), 2 refused.
int runStationsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                       const std::string& path);

} // namespace velto
