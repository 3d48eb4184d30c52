#pragma once
#include <string>

namespace velto {

// Where recordings go unless the user chose otherwise: the "Radio" folder in the XDG music
// folder (XDG_MUSIC_DIR of ~/.config/user-dirs.dirs, else ~/Music).
std::string defaultRecordingsFolder();

// Makes `folder` and the folders above it; false, with the reason, when it cannot be made
// or is not a folder.
bool makeFolder(const std::string& folder, std::string& why);

} // namespace velto
