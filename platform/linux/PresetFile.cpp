#include "platform/linux/PresetFile.h"

#include "platform/linux/PlistScan.h"
#include "posix/Trust.h"

#include <plist/plist.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

struct PlistFree {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistFree>;

struct FdClose {
    int fd;
    ~FdClose() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

bool isBinary(uint8_t const* data, std::size_t size) {
    return size >= 8 && std::memcmp(data, "bplist00", 8) == 0;
}

bool readSmallRegularFile(std::string const& path, std::vector<uint8_t>& content) {
    FdClose file{trust::openRegularFile(path)};
    struct stat info {};
    if (file.fd < 0 || ::fstat(file.fd, &info) != 0 || info.st_size < 0 ||
        static_cast<uint64_t>(info.st_size) > PresetFile::kMaxBytes) {
        return false;
    }
    // Read to the cap plus one byte: the file may have grown since fstat.
    content.resize(PresetFile::kMaxBytes + 1);
    std::size_t used = 0;
    while (used < content.size()) {
        ssize_t const n = ::read(file.fd, content.data() + used, content.size() - used);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            break;
        }
        used += static_cast<std::size_t>(n);
    }
    if (used > PresetFile::kMaxBytes) {
        return false;
    }
    content.resize(used);
    return true;
}

} // namespace

bool PresetFile::parse(uint8_t const* data, std::size_t size, ChannelPresetTable& presets) {
    presets.clear();
    if (data == nullptr || size == 0 || size > PresetFile::kMaxBytes) {
        return false;
    }

    if (isBinary(data, size)) {
        // Only the one entry, read in place: see PlistScan.h.
        auto const entry = binaryPlistTopData({data, size}, "Presets");
        return entry && presets.read(entry->data(), entry->size());
    }
    if (!xmlPlistWithinBounds({data, size}, {PresetFile::kMaxElements, PresetFile::kMaxNesting,
                                             PresetFile::kMaxEntities})) {
        return false;
    }
    plist_t parsed = nullptr;
    plist_from_xml(reinterpret_cast<char const*>(data), static_cast<uint32_t>(size), &parsed);
    PlistPtr root(parsed);
    if (!root || plist_get_node_type(root.get()) != PLIST_DICT) {
        return false;
    }
    plist_t item = plist_dict_get_item(root.get(), "Presets"); // borrowed from root
    if (item == nullptr || plist_get_node_type(item) != PLIST_DATA) {
        return false;
    }
    char* bytes = nullptr;
    uint64_t bytesLength = 0;
    plist_get_data_val(item, &bytes, &bytesLength);
    std::unique_ptr<char, decltype(&std::free)> copy(bytes, &std::free);
    if (copy == nullptr) {
        return false;
    }
    return presets.read(reinterpret_cast<uint8_t const*>(copy.get()),
                        static_cast<std::size_t>(bytesLength));
}

bool PresetFile::read(std::string const& path, ChannelPresetTable& presets) {
    presets.clear();
    std::vector<uint8_t> content;
    if (path.empty() || !readSmallRegularFile(path, content)) {
        return false;
    }
    return parse(content.data(), content.size(), presets);
}

std::string PresetFile::loginHomeDirectory() {
    long const suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    while (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == ERANGE &&
           buffer.size() < (1u << 20)) {
        buffer.resize(buffer.size() * 2);
    }
    if (found != nullptr && found->pw_dir != nullptr && found->pw_dir[0] == '/') {
        return found->pw_dir;
    }
    char const* home = std::getenv("HOME");
    return home != nullptr && home[0] == '/' ? std::string(home) : std::string();
}

std::string PresetFile::companionPreferencesPath() {
    std::string const home = loginHomeDirectory();
    return home.empty() ? std::string() : home + "/.config/Velto/Velto.plist";
}
