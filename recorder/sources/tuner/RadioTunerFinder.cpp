#include "sources/tuner/RadioTunerFinder.h"

#include "sources/tuner/LinuxRadioDevice.h"
#include "sources/tuner/RadioSourceAddress.h"

#include <algorithm>
#include <charconv>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace velto {

namespace fs = std::filesystem;

namespace {

// sysfs and /dev are read as untrusted trees: bounded listings, small reads, no throwing.
constexpr std::size_t kMostEntries = 16384;
constexpr int kDeepestWalk = 32;

std::optional<unsigned> numberAfter(const std::string& name, std::string_view prefix) {
    if (name.size() <= prefix.size() || name.size() > prefix.size() + 6 ||
        name.compare(0, prefix.size(), prefix) != 0) {
        return std::nullopt;
    }
    unsigned value = 0;
    const char* first = name.data() + prefix.size();
    const char* last = name.data() + name.size();
    auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last) {
        return std::nullopt;
    }
    return value;
}

// Non-blocking and only a regular file: a FIFO planted in the tree cannot hold the caller.
std::string readSmallFile(const fs::path& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return {};
    }
    struct stat info {};
    char buffer[64];
    ssize_t got = -1;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        got = ::read(fd, buffer, sizeof buffer);
    }
    ::close(fd);
    std::string text(buffer, got > 0 ? static_cast<std::size_t>(got) : 0);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

bool isCardId(const std::string& id) {
    return !id.empty() && id.size() <= 32 && std::all_of(id.begin(), id.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == '_' || c == '-';
    });
}

// Entries of `dir` whose names are `prefix` and a number, by number.
std::map<unsigned, fs::path> numbered(const fs::path& dir, std::string_view prefix,
                                      std::string_view suffix = {}) {
    std::map<unsigned, fs::path> found;
    std::error_code ec;
    fs::directory_iterator it(dir, ec);
    std::size_t seen = 0;
    for (; !ec && it != fs::directory_iterator() && seen < kMostEntries; it.increment(ec), ++seen) {
        std::string name = it->path().filename().string();
        if (!suffix.empty()) {
            if (name.size() <= suffix.size() ||
                name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
                continue;
            }
            name.resize(name.size() - suffix.size());
        }
        if (std::optional<unsigned> n = numberAfter(name, prefix)) {
            found.emplace(*n, it->path());
        }
    }
    return found;
}

bool isUsbDevice(const fs::path& dir) {
    std::error_code ec;
    return fs::is_regular_file(dir / "idVendor", ec) && fs::is_regular_file(dir / "idProduct", ec);
}

bool isInside(const fs::path& inner, const fs::path& outer) {
    const std::string a = inner.string();
    const std::string b = outer.string() + "/";
    return a.compare(0, b.size(), b) == 0;
}

SourceError noSoundCard(const std::string& radioPath, const std::string& why) {
    return {"no-sound-card",
            "No sound card was found for the tuner " + radioPath + " (" + why +
                "). A tuner whose sound comes out of a jack needs a cable to a line input, "
                "named in the source as ?alsa=hw:CARD=…"};
}

} // namespace

RadioTunerFinder::RadioTunerFinder(RadioTunerPaths paths, RadioDeviceFactory factory)
    : m_paths(std::move(paths)), m_factory(std::move(factory)) {
    if (!m_factory) {
        m_factory = [] { return std::make_unique<LinuxRadioDevice>(); };
    }
}

std::optional<std::string> RadioTunerFinder::soundDeviceFor(const std::string& radioPath,
                                                            SourceError& error) const {
    std::error_code ec;
    // A udev link (/dev/v4l/by-id/…) leads to the node whose name sysfs knows.
    fs::path node = fs::weakly_canonical(radioPath, ec);
    const std::string nodeName =
        ec ? fs::path(radioPath).filename().string() : node.filename().string();
    if (!numberAfter(nodeName, "radio")) {
        error = noSoundCard(radioPath, nodeName + " is not a radio node's name");
        return std::nullopt;
    }
    fs::path device = fs::canonical(m_paths.sys / "class" / "video4linux" / nodeName, ec);
    if (ec) {
        error = noSoundCard(radioPath, "the system lists no " + nodeName);
        return std::nullopt;
    }
    const fs::path sysRoot = fs::canonical(m_paths.sys, ec);
    fs::path usb;
    fs::path dir = device.parent_path();
    for (int depth = 0; depth < kDeepestWalk && !ec && isInside(dir, sysRoot); ++depth) {
        if (isUsbDevice(dir)) {
            usb = dir;
            break;
        }
        dir = dir.parent_path();
    }
    if (usb.empty()) {
        error = noSoundCard(radioPath, "it is not a USB device");
        return std::nullopt;
    }
    for (const auto& [number, link] : numbered(m_paths.sys / "class" / "sound", "card")) {
        fs::path card = fs::canonical(link, ec);
        if (ec || !isInside(card, usb)) {
            ec.clear();
            continue;
        }
        const std::string pcmPrefix = "pcmC" + std::to_string(number) + "D";
        std::map<unsigned, fs::path> captures = numbered(card, pcmPrefix, "c");
        if (captures.empty()) {
            continue; // a card that only plays
        }
        const unsigned pcm = captures.begin()->first;
        const std::string id = readSmallFile(card / "id");
        // By its id, so that the name survives the cards being numbered anew at boot.
        if (isCardId(id)) {
            return "hw:CARD=" + id + ",DEV=" + std::to_string(pcm);
        }
        return "hw:" + std::to_string(number) + "," + std::to_string(pcm);
    }
    error = noSoundCard(radioPath, "its USB device has no sound card that records");
    return std::nullopt;
}

std::vector<FoundRadioTuner> RadioTunerFinder::list() const {
    std::vector<FoundRadioTuner> tuners;
    for (const auto& [number, path] : numbered(m_paths.dev, "radio")) {
        FoundRadioTuner found;
        found.path = path.string();
        RadioTuner tuner(m_factory());
        SourceError error;
        if (tuner.open(found.path, error)) {
            found.name = tuner.info().name;
            found.driver = tuner.info().driver;
            found.bands = tuner.info().bands;
            tuner.close();
        } else if (error.key == "not-a-radio") {
            continue;
        } else {
            found.problem = error;
        }
        RadioSourceAddress address{found.path, {}, 0};
        SourceError soundError;
        if (std::optional<std::string> sound = soundDeviceFor(found.path, soundError)) {
            found.soundDevice = *sound;
            address.soundDevice = *sound;
        } else if (!found.problem) {
            found.problem = soundError;
        }
        found.address = formatRadioSourceAddress(address);
        tuners.push_back(std::move(found));
    }
    return tuners;
}

} // namespace velto
