// The companion's channel presets: the "Presets" entry of its preferences property list
// (XML or binary), ~/.config/Velto/Velto.plist in the login user's home folder. Plain C++
// and libplist, no Qt, so that the fuzzing build can use it.
#pragma once

#include "store/ChannelPresetTable.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace PresetFile {

// A preferences file is small; anything larger is not read at all.
inline constexpr std::size_t kMaxBytes = 1024 * 1024;
// An XML file beyond these is refused before parsing (a preferences file holds a few dozen
// elements and hardly an entity reference): see XmlPlistLimits.
inline constexpr std::size_t kMaxElements = 10000;
inline constexpr unsigned kMaxNesting = 64;
inline constexpr std::size_t kMaxEntities = 256;

// Fills presets from a property list in memory. Every failure (not a property list, the
// top is not a dictionary, "Presets" missing, not data, or shorter than 6240 bytes) leaves
// all slots empty and answers false.
bool parse(uint8_t const* data, std::size_t size, ChannelPresetTable& presets);

// The same from a file: a missing, unreadable, non-regular or oversized file leaves all
// slots empty and answers false.
bool read(std::string const& path, ChannelPresetTable& presets);

// The home folder of the user this process runs as (the password database; $HOME only
// when the database has no entry). Empty when neither is known.
std::string loginHomeDirectory();

// Where the companion keeps its preferences; empty when there is no home folder.
std::string companionPreferencesPath();

} // namespace PresetFile
