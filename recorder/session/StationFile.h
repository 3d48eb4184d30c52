#pragma once
#include "session/StationTable.h"

#include <string>

namespace velto {

// The stations table kept in Velto's settings folder as plain text (docs/velto-stations.md):
//
//   # comment
//   FM<TAB>8000<TAB>fallback<TAB>https://example.jp/live.m3u8<TAB>Station name
//
// one station a line: band, CH, which source records it, the stream's address and the
// station's name (the last two may be empty).
class StationFile {
public:
    // $XDG_CONFIG_HOME/velto/stations.conf, else ~/.config/velto/stations.conf; empty when
    // neither variable gives an absolute folder.
    static std::string defaultPath();

    // Reads the table. A missing file is an empty table. Anything else that is not a regular
    // file of this user's, writable by no one else, of at most 1 MiB, whose every line is a
    // station the table takes, is refused whole, with the reason (and the line) in why.
    static bool load(const std::string& path, StationTable& table, std::string& why);

    // Writes the table: a new file beside the old one, flushed, then renamed over it, so that
    // a crash leaves the old table or the new one. The folder is made (mode 0700) if needed.
    static bool save(const std::string& path, const StationTable& table, std::string& why);
};

} // namespace velto
