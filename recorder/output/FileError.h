#pragma once
#include <string>

namespace velto {

// Why a recording file could not be made, written or finished: a short English key
// ("disk-full", "folder-unwritable", "write-failed", …) and an English sentence.
struct FileError {
    std::string key;
    std::string text;
};

} // namespace velto
