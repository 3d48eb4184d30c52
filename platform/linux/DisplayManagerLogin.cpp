#include "platform/linux/DisplayManagerLogin.h"

#include "posix/SafeFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <dirent.h>
#include <optional>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kMaxConfig = 64 * 1024;

std::optional<std::string> readText(std::string const& path) {
    int const fd = openRegularForReading(path);
    if (fd < 0) {
        return std::nullopt;
    }
    std::string text(kMaxConfig, '\0');
    std::size_t used = 0;
    while (used < text.size()) {
        ssize_t const n = ::read(fd, text.data() + used, text.size() - used);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        used += static_cast<std::size_t>(n);
    }
    ::close(fd);
    text.resize(used);
    return text;
}

std::string trimmed(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) {
        ++begin;
    }
    while (end > begin &&
           (text[end - 1] == ' ' || text[end - 1] == '\t' || text[end - 1] == '\r')) {
        --end;
    }
    return std::string(text.substr(begin, end - begin));
}

// The value of key in section, the last one given; nothing when absent.
std::optional<std::string> iniValue(std::string const& text, std::string const& section,
                                    std::string const& key) {
    std::optional<std::string> value;
    std::string current;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string const line = trimmed(std::string_view(text).substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == '#' || line[0] == ';') {
            continue;
        }
        if (line.front() == '[' && line.back() == ']') {
            current = line.substr(1, line.size() - 2);
            continue;
        }
        std::size_t const eq = line.find('=');
        if (eq != std::string::npos && current == section && trimmed(line.substr(0, eq)) == key) {
            value = trimmed(line.substr(eq + 1));
        }
    }
    return value;
}

// Every *.conf of a folder, in name order (the order the managers read them in).
std::vector<std::string> confFiles(std::string const& folder) {
    std::vector<std::string> files;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (dirent* entry = ::readdir(dir)) {
            std::string const name = entry->d_name;
            if (name.size() > 5 && name.compare(name.size() - 5, 5, ".conf") == 0) {
                files.push_back(folder + "/" + name);
            }
        }
        ::closedir(dir);
    }
    std::sort(files.begin(), files.end());
    return files;
}

AutoLogin::Manager managerNamed(std::string name) {
    std::size_t const slash = name.rfind('/');
    if (slash != std::string::npos) {
        name = name.substr(slash + 1);
    }
    if (name.rfind("gdm", 0) == 0) {
        return AutoLogin::Manager::Gdm;
    }
    if (name.rfind("lightdm", 0) == 0) {
        return AutoLogin::Manager::LightDm;
    }
    if (name.rfind("sddm", 0) == 0) {
        return AutoLogin::Manager::Sddm;
    }
    return AutoLogin::Manager::Unknown;
}

AutoLogin::Manager runningManager(std::string const& root) {
    char target[PATH_MAX];
    std::string const link = root + "/etc/systemd/system/display-manager.service";
    ssize_t const n = ::readlink(link.c_str(), target, sizeof target - 1);
    if (n > 0) {
        return managerNamed(std::string(target, static_cast<std::size_t>(n)));
    }
    if (std::optional<std::string> const named =
            readText(root + "/etc/X11/default-display-manager")) {
        return managerNamed(trimmed(named->substr(0, named->find('\n'))));
    }
    return AutoLogin::Manager::Unknown;
}

bool isTrue(std::string const& value) {
    return value == "true" || value == "True" || value == "TRUE" || value == "1";
}

// Whose login the files set up, reading them in order (a later one overrides).
void readLogin(AutoLogin& login, std::vector<std::string> const& files, std::string const& section,
               std::string const& userKey, std::string const& enableKey) {
    bool readAny = false;
    bool enabled = enableKey.empty();
    std::string user;
    for (std::string const& file : files) {
        std::optional<std::string> const text = readText(file);
        if (!text) {
            continue;
        }
        readAny = true;
        if (std::optional<std::string> const value = iniValue(*text, section, userKey)) {
            user = *value;
            login.file = file;
        }
        if (!enableKey.empty()) {
            if (std::optional<std::string> const value = iniValue(*text, section, enableKey)) {
                enabled = isTrue(*value);
                login.file = file;
            }
        }
    }
    login.user = user;
    if (!readAny) {
        // Nothing to read: the manager's default, which is no automatic login.
        login.state = AutoLogin::State::Off;
        return;
    }
    login.state = !enabled || user.empty() ? AutoLogin::State::Off : AutoLogin::State::On;
}

} // namespace

AutoLogin DisplayManagerLogin::read(std::string const& root, std::string const& user) {
    AutoLogin login;
    login.manager = runningManager(root);
    switch (login.manager) {
    case AutoLogin::Manager::Gdm: {
        std::vector<std::string> files;
        for (char const* path : {"/etc/gdm3/daemon.conf", "/etc/gdm/custom.conf"}) {
            if (::access((root + path).c_str(), F_OK) == 0) {
                files.push_back(root + path);
                break; // each distribution ships one of them
            }
        }
        readLogin(login, files, "daemon", "AutomaticLogin", "AutomaticLoginEnable");
        break;
    }
    case AutoLogin::Manager::LightDm: {
        std::vector<std::string> files = confFiles(root + "/usr/share/lightdm/lightdm.conf.d");
        for (std::string const& f : confFiles(root + "/etc/lightdm/lightdm.conf.d")) {
            files.push_back(f);
        }
        files.push_back(root + "/etc/lightdm/lightdm.conf");
        readLogin(login, files, "Seat:*", "autologin-user", "");
        if (login.user.empty()) {
            // Older files name the section so.
            readLogin(login, files, "SeatDefaults", "autologin-user", "");
        }
        break;
    }
    case AutoLogin::Manager::Sddm: {
        std::vector<std::string> files = confFiles(root + "/usr/lib/sddm/sddm.conf.d");
        for (std::string const& f : confFiles(root + "/etc/sddm.conf.d")) {
            files.push_back(f);
        }
        files.push_back(root + "/etc/sddm.conf");
        readLogin(login, files, "Autologin", "User", "");
        break;
    }
    case AutoLogin::Manager::Unknown:
        return login;
    }
    if (login.state == AutoLogin::State::On && login.user != user) {
        login.state = AutoLogin::State::OtherUser;
    }
    return login;
}
