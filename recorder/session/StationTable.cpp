#include "session/StationTable.h"

#include "sources/stream/StreamUrl.h"

#include <algorithm>

namespace velto {

namespace {
// What the table holds beyond the presets' few hundred stations is not a user's.
constexpr std::size_t kMostStations = 1000;
// A preset's name is short; a longer one is cut, at a character's boundary.
constexpr std::size_t kLongestName = 200;

bool before(const Station& a, const Station& b) {
    return a.band != b.band ? a.band == Band::FM : a.channel < b.channel;
}

bool same(const Station& a, const Station& b) {
    return a.band == b.band && a.channel == b.channel;
}
} // namespace

const char* sourceUseName(SourceUse use) {
    switch (use) {
    case SourceUse::Receiver:
        return "receiver";
    case SourceUse::Stream:
        return "stream";
    case SourceUse::Fallback:
        break;
    }
    return "fallback";
}

std::optional<SourceUse> sourceUseFromName(std::string_view name) {
    for (SourceUse use : {SourceUse::Receiver, SourceUse::Stream, SourceUse::Fallback})
        if (name == sourceUseName(use))
            return use;
    return std::nullopt;
}

bool StationTable::set(const StationEntry& entry, SourceError& error) {
    std::string why;
    if (!entry.station.valid(why)) {
        error = {"bad-channel", why};
        return false;
    }
    if (!entry.streamUrl.empty() && !StreamUrl::check(entry.streamUrl, error))
        return false;
    if (entry.use == SourceUse::Stream && entry.streamUrl.empty()) {
        error = {"no-stream", "A station recorded from its stream needs the stream's address."};
        return false;
    }
    StationEntry kept = entry;
    if (kept.name.size() > kLongestName) {
        std::size_t cut = kLongestName;
        while (cut > 0 && (static_cast<unsigned char>(kept.name[cut]) & 0xC0) == 0x80)
            --cut;
        kept.name.resize(cut);
    }
    const auto at = std::lower_bound(
        m_entries.begin(), m_entries.end(), kept.station,
        [](const StationEntry& e, const Station& s) { return before(e.station, s); });
    if (at != m_entries.end() && same(at->station, kept.station)) {
        *at = std::move(kept);
        return true;
    }
    if (m_entries.size() >= kMostStations) {
        error = {"too-many-stations",
                 "The table holds " + std::to_string(kMostStations) + " stations at most."};
        return false;
    }
    m_entries.insert(at, std::move(kept));
    return true;
}

bool StationTable::remove(const Station& station) {
    const auto at = std::find_if(m_entries.begin(), m_entries.end(),
                                 [&](const StationEntry& e) { return same(e.station, station); });
    if (at == m_entries.end())
        return false;
    m_entries.erase(at);
    return true;
}

const StationEntry* StationTable::find(const Station& station) const {
    const auto at = std::find_if(m_entries.begin(), m_entries.end(),
                                 [&](const StationEntry& e) { return same(e.station, station); });
    return at == m_entries.end() ? nullptr : &*at;
}

} // namespace velto
