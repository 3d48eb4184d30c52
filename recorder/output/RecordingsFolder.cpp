#include "output/RecordingsFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <unistd.h>

namespace velto {

namespace {
std::string home() {
    if (const char* h = std::getenv("HOME"); h && *h)
        return h;
    if (const passwd* pw = getpwuid(getuid()))
        return pw->pw_dir;
    return "/";
}

// XDG_MUSIC_DIR="$HOME/Music" as the user-dirs file writes it.
std::string musicFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string file =
        (config && *config ? std::string(config) : home() + "/.config") + "/user-dirs.dirs";
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        const std::string key = "XDG_MUSIC_DIR=\"";
        if (line.rfind(key, 0) != 0 || line.back() != '"')
            continue;
        std::string value = line.substr(key.size(), line.size() - key.size() - 1);
        if (value.rfind("$HOME", 0) == 0)
            value = home() + value.substr(5);
        if (!value.empty() && value.front() == '/')
            return value;
    }
    return home() + "/Music";
}
} // namespace

std::string defaultRecordingsFolder() {
    return musicFolder() + "/Radio";
}

bool makeFolder(const std::string& folder, std::string& why) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!std::filesystem::is_directory(folder)) {
        why = "The folder " + folder + " cannot be made" +
              (error ? ": " + error.message() : std::string()) + ".";
        return false;
    }
    return true;
}

} // namespace velto
