#include "posix/SafeFile.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iterator>
#include <random>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool writeAll(int fd, uint8_t const* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            errno = EIO;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string folderOf(std::string const& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// Makes a rename or a new name in folder durable. Some file systems cannot sync a folder;
// the file's own data is already synced by then, so a failure here is not reported.
void syncFolder(std::string const& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// Temporary files of a save are named this prefix and six letters or digits.
constexpr char kSaveLeftoverPrefix[] = ".resvman-save-";
constexpr std::size_t kSaveLeftoverSuffix = 6;

bool isSaveLeftoverName(char const* name) {
    std::size_t const prefix = sizeof kSaveLeftoverPrefix - 1;
    if (std::strncmp(name, kSaveLeftoverPrefix, prefix) != 0 ||
        std::strlen(name) != prefix + kSaveLeftoverSuffix) {
        return false;
    }
    for (std::size_t i = prefix; name[i] != '\0'; ++i) {
        if (!std::isalnum(static_cast<unsigned char>(name[i]))) {
            return false;
        }
    }
    return true;
}

// The file a symbolic link at path points to, or path itself: a save writes through a link
// rather than replace the link by a plain file.
std::string resolvedPath(std::string const& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            std::string target = resolved;
            std::free(resolved);
            return target;
        }
    }
    return path;
}

// The folder refuses new files, so a save may only rewrite the file itself.
bool folderRefused(int error) {
    return error == EACCES || error == EPERM;
}

// Rewrites the file itself, for a folder that refuses new files. Not atomic: a crash
// during the write can leave the file short.
bool writeInPlace(std::string const& target, uint8_t const* data, std::size_t size,
                  int extraFlags) {
    int fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NONBLOCK | extraFlags);
    if (fd < 0) {
        return false;
    }
    bool ok = writeAll(fd, data, size) && ::fsync(fd) == 0;
    int const error = errno;
    ok = (::close(fd) == 0 || !ok) && ok;
    if (!ok) {
        errno = error;
    }
    return ok;
}

// Gives the temporary file its permission bits and owner, its data, and syncs it.
bool fillTemporary(int fd, struct stat const* replaced, uint8_t const* data, std::size_t size) {
    if (::fchmod(fd, replaced != nullptr ? (replaced->st_mode & 0666) : 0600) != 0) {
        return false;
    }
    if (replaced != nullptr && ::fchown(fd, replaced->st_uid, replaced->st_gid) != 0) {
        // Only root may hand a file to another owner; the file is still ours to write.
    }
    return writeAll(fd, data, size) && ::fsync(fd) == 0;
}

// Closes fd; on failure keeps errno from before the close.
bool closeAfter(int fd, bool ok) {
    int const error = errno;
    bool const closed = ::close(fd) == 0;
    if (!ok) {
        errno = error;
    }
    return ok && closed;
}

// Gives the unnamed file open as fd a fresh temporary name in folder, for the rename.
bool nameUnnamedFile(int fd, std::string const& folder, std::string& name) {
    static char const kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string const link = "/proc/self/fd/" + std::to_string(fd);
    std::random_device entropy;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + "/" + kSaveLeftoverPrefix;
        for (std::size_t i = 0; i < kSaveLeftoverSuffix; ++i) {
            name += kLetters[entropy() % (sizeof kLetters - 1)];
        }
        if (::linkat(AT_FDCWD, link.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            return true;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    name.clear();
    return false;
}

} // namespace

bool writeFileAtomically(std::string const& path, uint8_t const* data, std::size_t size,
                         FinalLink link) {
    if (path.empty()) {
        errno = EINVAL;
        return false;
    }

    bool const follow = link == FinalLink::Follow;
    std::string const target = follow ? resolvedPath(path) : path;
    // A link put in place after this look is replaced by the rename, not followed.
    int const inPlaceFlags = follow ? 0 : O_NOFOLLOW;
    struct stat st {};
    bool const exists = (follow ? ::stat(target.c_str(), &st) : ::lstat(target.c_str(), &st)) == 0;
    if (exists && S_ISLNK(st.st_mode)) {
        errno = ELOOP;
        return false;
    }
    if (exists && !S_ISREG(st.st_mode)) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    struct stat const* const replaced = exists ? &st : nullptr;
    std::string const folder = folderOf(target);

    // An unnamed file, named only for the rename: a crash before that leaves nothing.
    std::string temp;
    int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0) {
        if (!fillTemporary(fd, replaced, data, size)) {
            closeAfter(fd, false);
            return false;
        }
        if (!nameUnnamedFile(fd, folder, temp)) {
            ::close(fd); // no /proc to name it by: a named file instead
        } else if (!closeAfter(fd, true)) {
            int const error = errno;
            ::unlink(temp.c_str());
            errno = error;
            return false;
        }
    } else if (folderRefused(errno)) {
        return exists && writeInPlace(target, data, size, inPlaceFlags);
    }

    if (temp.empty()) {
        // No unnamed files on this file system.
        temp = folder + "/" + kSaveLeftoverPrefix + "XXXXXX";
        fd = ::mkostemp(temp.data(), O_CLOEXEC);
        if (fd < 0) {
            return exists && folderRefused(errno) && writeInPlace(target, data, size, inPlaceFlags);
        }
        if (!closeAfter(fd, fillTemporary(fd, replaced, data, size))) {
            int const error = errno;
            ::unlink(temp.c_str());
            errno = error;
            return false;
        }
    }

    if (::rename(temp.c_str(), target.c_str()) != 0) {
        int const error = errno;
        ::unlink(temp.c_str());
        errno = error;
        return false;
    }
    syncFolder(folder);
    return true;
}

int removeSaveLeftovers(std::string const& path) {
    int removed = 0;
    std::string const folders[] = {folderOf(path), folderOf(resolvedPath(path))};
    for (std::size_t i = 0; i < std::size(folders); ++i) {
        if (i > 0 && folders[i] == folders[0]) {
            continue;
        }
        DIR* dir = ::opendir(folders[i].c_str());
        if (dir == nullptr) {
            continue;
        }
        while (dirent* entry = ::readdir(dir)) {
            if (!isSaveLeftoverName(entry->d_name)) {
                continue;
            }
            struct stat st {};
            if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
                ::unlinkat(::dirfd(dir), entry->d_name, 0) == 0) {
                ++removed;
            }
        }
        ::closedir(dir);
    }
    return removed;
}

std::string copyFileBeside(int fd, std::string const& path) {
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
        if (!writeAll(out, buffer.data(), static_cast<std::size_t>(n))) {
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
    syncFolder(folderOf(copy));
    return copy;
}

int openRegularForReading(std::string const& path, int extraFlags) {
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
