#include "session/StationFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace velto {

namespace {
constexpr off_t kLargestFile = 1 << 20;
constexpr char kHeader[] = "# Velto's stations, one a line: BAND<TAB>CH<TAB>USE<TAB>URL<TAB>NAME\n"
                           "# USE is receiver, stream or fallback; URL and NAME may be empty.\n";

std::string systemError(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t from = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', from);
        fields.push_back(line.substr(from, tab == std::string::npos ? tab : tab - from));
        if (tab == std::string::npos)
            return fields;
        from = tab + 1;
    }
}

bool hasControl(const std::string& text) {
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7f)
            return true;
    return false;
}

bool parseLine(const std::string& line, StationTable& table, std::string& why) {
    const std::vector<std::string> fields = splitTabs(line);
    if (fields.size() < 3 || fields.size() > 5) {
        why = "expected BAND, CH, USE, URL and NAME separated by tabs";
        return false;
    }
    StationEntry entry;
    const std::optional<Band> band = bandFromName(fields[0]);
    if (!band) {
        why = "the band is neither FM nor AM";
        return false;
    }
    entry.station.band = *band;
    const std::string& ch = fields[1];
    char* end = nullptr;
    errno = 0;
    const long channel = std::strtol(ch.c_str(), &end, 10);
    if (ch.empty() || *end != '\0' || errno != 0 || channel <= 0 || channel > 1000000) {
        why = "CH is not a whole number";
        return false;
    }
    entry.station.channel = static_cast<int>(channel);
    const std::optional<SourceUse> use = sourceUseFromName(fields[2]);
    if (!use) {
        why = "the use is none of receiver, stream, fallback";
        return false;
    }
    entry.use = *use;
    if (fields.size() > 3)
        entry.streamUrl = fields[3];
    if (fields.size() > 4)
        entry.name = fields[4];
    if (hasControl(entry.name)) {
        why = "the name holds control characters";
        return false;
    }
    SourceError error;
    if (!table.set(entry, error)) {
        why = error.text;
        return false;
    }
    return true;
}

bool writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}
} // namespace

std::string StationFile::defaultPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/')
        return std::string(config) + "/velto/stations.conf";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/')
        return std::string(home) + "/.config/velto/stations.conf";
    return std::string();
}

bool StationFile::load(const std::string& path, StationTable& table, std::string& why) {
    table = StationTable();
    // Not followed through a link, and never waited on (a FIFO put in its place).
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT)
            return true;
        why = systemError("cannot open", path);
        return false;
    }
    struct stat st {};
    std::string text;
    bool ok = ::fstat(fd, &st) == 0;
    if (!ok) {
        why = systemError("cannot read", path);
    } else if (!S_ISREG(st.st_mode)) {
        why = path + " is not a regular file";
        ok = false;
    } else if (st.st_uid != ::geteuid() || (st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        why = path + " may be changed by another user: not used";
        ok = false;
    } else if (st.st_size > kLargestFile) {
        why = path + " is larger than 1 MiB";
        ok = false;
    } else {
        char buffer[8192];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                why = systemError("cannot read", path);
                ok = false;
                break;
            }
            if (n == 0)
                break;
            text.append(buffer, static_cast<std::size_t>(n));
            if (text.size() > static_cast<std::size_t>(kLargestFile)) {
                why = path + " is larger than 1 MiB";
                ok = false;
                break;
            }
        }
    }
    ::close(fd);
    if (!ok)
        return false;

    std::istringstream lines(text);
    std::string line;
    StationTable read;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        std::string reason;
        if (!parseLine(line, read, reason)) {
            why = path + ", line " + std::to_string(number) + ": " + reason;
            return false;
        }
    }
    table = std::move(read);
    return true;
}

bool StationFile::save(const std::string& path, const StationTable& table, std::string& why) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0) {
        why = "not an absolute path: " + path;
        return false;
    }
    const std::string folder = path.substr(0, slash);
    // The folder and its parents as mkdir -p would make them, private to the user.
    for (std::size_t at = folder.find('/', 1);; at = folder.find('/', at + 1)) {
        const std::string part = folder.substr(0, at);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            why = systemError("cannot make the folder", part);
            return false;
        }
        if (at == std::string::npos)
            break;
    }

    std::string text = kHeader;
    for (const StationEntry& e : table.entries()) {
        text += std::string(bandName(e.station.band)) + '\t' + std::to_string(e.station.channel) +
                '\t' + sourceUseName(e.use) + '\t' + e.streamUrl + '\t' + e.name + '\n';
    }

    std::string temp = path + ".XXXXXX";
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        why = systemError("cannot write in", folder);
        return false;
    }
    temp = name.data();
    bool ok = ::fchmod(fd, 0600) == 0 && writeAll(fd, text) && ::fsync(fd) == 0;
    if (!ok)
        why = systemError("cannot write", temp);
    if (::close(fd) != 0 && ok) {
        why = systemError("cannot write", temp);
        ok = false;
    }
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
        why = systemError("cannot replace", path);
        ok = false;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    // The rename itself is kept once the folder is flushed.
    if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

} // namespace velto
