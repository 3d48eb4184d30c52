#pragma once
#include "sources/AudioSource.h"
#include "sources/Station.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velto {

// Where a station is recorded from.
enum class SourceUse {
    Receiver, // the receiver (or tuner) of the settings
    Stream,   // the station's internet stream
    Fallback, // the stream only when no receiver is found
};

// "receiver", "stream", "fallback": the settings file's and the command line's words.
const char* sourceUseName(SourceUse use);
std::optional<SourceUse> sourceUseFromName(std::string_view name);

// One station of the table: a preset's band and CH, the stream the user entered for it, and
// which of the two records it.
struct StationEntry {
    Station station;
    std::string name;      // the preset's, for showing; may be empty
    std::string streamUrl; // http or https; empty: none
    SourceUse use = SourceUse::Fallback;
};

// The stations table of Velto's settings, a plain value: the window edits and stores it,
// the session chooses each programme's source by it. A station not in it records from the
// receiver.
class StationTable {
public:
    // Adds the station's entry or replaces it, after a check: a station of its band, an
    // http(s) address (or none), and an address when the stream is to be used always.
    // False, with the reason ("bad-channel", "bad-url", "no-stream"), and the table as it was.
    bool set(const StationEntry& entry, SourceError& error);
    // Whether there was an entry to remove.
    bool remove(const Station& station);
    const StationEntry* find(const Station& station) const;
    // By band (FM first), then CH.
    const std::vector<StationEntry>& entries() const { return m_entries; }

private:
    std::vector<StationEntry> m_entries;
};

} // namespace velto
