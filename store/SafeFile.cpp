#include "store/SafeFile.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool WriteAll(int fd, uint8_t const* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string FolderOf(std::string const& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// Makes a rename or a new name in folder durable. Some file systems cannot sync a folder;
// the file's own data is already synced by then, so a failure here is not reported.
void SyncFolder(std::string const& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

bool WriteFileAtomically(std::string const& path, uint8_t const* data, std::size_t size) {
    if (path.empty())
        return false;

    // Write through a symbolic link rather than replace the link by a plain file.
    std::string target = path;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            target = resolved;
            std::free(resolved);
        }
    }
    bool const exists = ::stat(target.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode))
        return false;

    std::string const folder = FolderOf(target);
    std::string temp = folder + "/.resvman-save-XXXXXX";
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return false;

    bool ok = ::fchmod(fd, exists ? (st.st_mode & 0666) : 0600) == 0;
    if (ok && exists && ::fchown(fd, st.st_uid, st.st_gid) != 0) {
        // Only root may hand a file to another owner; the file is still ours to write.
    }
    ok = ok && WriteAll(fd, data, size) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}

std::string CopyFileBeside(int fd, std::string const& path) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    char stamp[32] = "00000000-000000";
    if (::localtime_r(&now, &local) != nullptr)
        std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::string const base = path + ".damaged-" + stamp;

    std::string copy;
    int out = -1;
    for (int n = 1; n < 1000 && out < 0; ++n) {
        copy = n == 1 ? base : base + "-" + std::to_string(n);
        out = ::open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (out < 0 && errno != EEXIST)
            return {};
    }
    if (out < 0)
        return {};

    std::vector<uint8_t> buffer(1 << 16);
    off_t offset = 0;
    bool ok = true;
    for (;;) {
        ssize_t n = ::pread(fd, buffer.data(), buffer.size(), offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0)
            break;
        if (!WriteAll(out, buffer.data(), static_cast<std::size_t>(n))) {
            ok = false;
            break;
        }
        offset += n;
    }
    ok = ok && ::fsync(out) == 0;
    ok = (::close(out) == 0) && ok;
    if (!ok) {
        ::unlink(copy.c_str());
        return {};
    }
    SyncFolder(FolderOf(copy));
    return copy;
}

int OpenRegularForReading(std::string const& path, int extraFlags) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | extraFlags);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = ENXIO;
        return -1;
    }
    // Reads of a regular file never wait anyway; the flag goes, so that nobody who inherits
    // the descriptor is surprised by it.
    int const flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}
