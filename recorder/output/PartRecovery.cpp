#include "output/PartRecovery.h"

#include "output/OggRepair.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velto {

namespace {
constexpr std::string_view kPart = ".opus.part";
constexpr char kNote[] = ".programme";
// A note holds a title and a few numbers: anything larger is not one of ours.
constexpr off_t kMostNoteBytes = 8192;

bool endsWith(std::string_view s, std::string_view end) {
    return s.size() > end.size() && s.substr(s.size() - end.size()) == end;
}

// The note beside partPath, only when it is this user's own regular file (not a link), not
// writable by others and of a note's size. It is removed once read.
void readNote(RecoveredFile& file) {
    const std::string path = notePath(file.partPath);
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT)
            file.noteProblem = "Cannot open " + path + ": " + std::strerror(errno) + ".";
        return;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid() ||
        (info.st_mode & (S_IWGRP | S_IWOTH)) != 0 || info.st_size > kMostNoteBytes) {
        ::close(fd);
        file.noteProblem = path + " is not this user's own small file; it is ignored.";
        return;
    }
    std::string text(std::size_t(info.st_size), '\0');
    const ssize_t got = ::read(fd, text.data(), text.size());
    ::close(fd);
    if (got != ssize_t(text.size())) {
        file.noteProblem = "Cannot read " + path + ".";
        return;
    }
    file.note = std::move(text);
    unlink(path.c_str());
}

RecoveredFile recoverOne(const std::string& folder, const std::string& name) {
    RecoveredFile file;
    file.partPath = folder + "/" + name;
    // No symbolic links: only a file that is really here is changed.
    const int fd = ::open(file.partPath.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        file.reasonKey = "unreadable";
        file.reasonText = "Cannot open " + file.partPath + ": " + std::strerror(errno) + ".";
        return file;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        file.reasonKey = "unreadable";
        file.reasonText = file.partPath + " is not a regular file.";
        return file;
    }
    // A recorder that still writes it holds its lock: leave that one alone.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        file.reasonKey = "in-use";
        file.reasonText = file.partPath + " is still being recorded.";
        return file;
    }
    readNote(file);
    std::string why;
    const OggState state = repairOgg(fd, why);
    ::close(fd);
    if (state.audioPages == 0 || state.seconds <= 0) {
        if (state.opusHeaders || info.st_size < 4096) {
            // Headers and nothing else: there is no sound to keep.
            unlink(file.partPath.c_str());
            file.reasonKey = "no-sound";
            file.reasonText = file.partPath + " held no sound and was removed.";
        } else {
            file.reasonKey = "unreadable";
            file.reasonText = file.partPath + " could not be finished: " + why;
        }
        return file;
    }
    file.seconds = state.seconds;
    const std::string stem = file.partPath.substr(0, file.partPath.size() - kPart.size());
    for (int n = 1; n <= 999; ++n) {
        const std::string target =
            (n == 1 ? stem : stem + " (" + std::to_string(n) + ")") + ".opus";
        if (renameat2(AT_FDCWD, file.partPath.c_str(), AT_FDCWD, target.c_str(),
                      RENAME_NOREPLACE) == 0) {
            file.path = target;
            file.recovered = true;
            return file;
        }
        if (errno != EEXIST)
            break;
    }
    file.reasonKey = "unreadable";
    file.reasonText = file.partPath + " could not be renamed: " + std::strerror(errno) + ".";
    return file;
}
} // namespace

std::string notePath(const std::string& partPath) {
    return partPath + kNote;
}

bool writeProgrammeNote(const std::string& partPath, const std::string& text, std::string& why) {
    const std::string path = notePath(partPath);
    const std::string temp = path + ".new";
    unlink(temp.c_str());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        why = "Cannot create " + temp + ": " + std::strerror(errno) + ".";
        return false;
    }
    const bool written =
        ::write(fd, text.data(), text.size()) == ssize_t(text.size()) && fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    if (!written || ::rename(temp.c_str(), path.c_str()) != 0) {
        why = "Cannot write " + path + ": " + std::strerror(written ? errno : error) + ".";
        unlink(temp.c_str());
        return false;
    }
    return true;
}

void removeProgrammeNote(const std::string& partPath) {
    unlink(notePath(partPath).c_str());
}

std::vector<RecoveredFile> recoverPartFiles(const std::string& folder) {
    std::vector<RecoveredFile> files;
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return files;
    std::vector<std::string> names;
    std::vector<std::string> notes;
    while (const dirent* entry = readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (endsWith(name, kPart))
            names.emplace_back(name);
        else if (endsWith(name, ".opus.part.programme") ||
                 endsWith(name, ".opus.part.programme.new"))
            notes.emplace_back(name);
    }
    closedir(dir);
    // A note (or its temporary file) without its ".part" was left by a crash just after the
    // recording ended and was reported: this user's own ones are removed.
    for (const auto& note : notes) {
        const std::string path = folder + "/" + note;
        const std::string part = path.substr(0, path.rfind(kPart) + kPart.size());
        struct stat info {};
        if (access(part.c_str(), F_OK) != 0 && errno == ENOENT && lstat(path.c_str(), &info) == 0 &&
            S_ISREG(info.st_mode) && info.st_uid == geteuid())
            unlink(path.c_str());
    }
    for (const auto& name : names) {
        RecoveredFile file = recoverOne(folder, name);
        if (file.reasonKey != "in-use")
            files.push_back(std::move(file));
    }
    return files;
}

} // namespace velto
