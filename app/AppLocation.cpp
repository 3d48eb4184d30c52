#include "app/AppLocation.h"

#include "store/ReservationFile.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string parentFolder(std::string const& path) {
    std::size_t const slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string lastComponent(std::string const& path) {
    std::size_t const slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string env(char const* name) {
    char const* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// Creates what is missing of path, each new folder private to the user (as the base-
// directory rules ask of $XDG_DATA_HOME), whatever the umask.
void makePrivateFolders(std::string const& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        std::string const prefix = slash == std::string::npos ? path : path.substr(0, slash);
        if (::mkdir(prefix.c_str(), 0700) == 0) {
            ::chmod(prefix.c_str(), 0700);
        }
        if (slash == std::string::npos) {
            break;
        }
    }
}

// A folder to keep the reservations in: the user's own, and the way to the reservation file
// (a symbolic link, perhaps) as safe as the folder.
trust::Verdict checkDataFolder(std::string const& folder, trust::Policy policy) {
    trust::Verdict verdict = trust::checkFolder(folder, policy, true);
    if (verdict.ok()) {
        verdict = trust::checkWay(folder + "/" + ReservationFile::kFileName, policy);
    }
    return verdict;
}
} // namespace

std::string AppLocation::bundleFolderOf(std::string const& executableDir) {
    std::string dir = executableDir;
    while (dir.size() > 1 && dir.back() == '/') {
        dir.pop_back();
    }
    std::string const name = lastComponent(dir);
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".app") == 0) {
        return parentFolder(dir);
    }
    return {};
}

std::string AppLocation::perUserFolder(std::string const& xdgDataHome, std::string const& home) {
    // Relative values of XDG_DATA_HOME are invalid by the base-directory rules.
    if (!xdgDataHome.empty() && xdgDataHome.front() == '/') {
        return xdgDataHome + "/resvman";
    }
    return (home.empty() ? std::string("/tmp") : home) + "/.local/share/resvman";
}

AppLocation::Choice AppLocation::choose(std::string const& executableDir,
                                        std::string const& xdgDataHome, std::string const& home,
                                        trust::Policy policy) {
    Choice choice;
    choice.bundleFolder = bundleFolderOf(executableDir);
    if (!choice.bundleFolder.empty()) {
        choice.passedOver = checkDataFolder(choice.bundleFolder, policy);
        if (choice.passedOver.ok()) {
            choice.folder = choice.bundleFolder;
            return choice;
        }
    }
    std::string const perUser = perUserFolder(xdgDataHome, home);
    makePrivateFolders(perUser);
    choice.unusable = checkDataFolder(perUser, policy);
    if (choice.unusable.ok()) {
        choice.folder = perUser;
    }
    return choice;
}

std::string AppLocation::report(Choice const& choice) {
    std::string line;
    if (!choice.passedOver.ok()) {
        line = "resvman: not keeping the reservations beside the program in " +
               choice.bundleFolder + " (" + choice.passedOver.describe() + ")";
        line += choice.folder.empty() ? "\n" : "; using " + choice.folder + " instead\n";
    }
    if (choice.folder.empty()) {
        line +=
            "resvman: no safe folder for the reservations: " + choice.unusable.describe() + "\n";
    }
    return line;
}

AppLocation::AppLocation() {
    std::string home = env("HOME");
    if (home.empty()) {
        if (passwd const* entry = getpwuid(getuid())) {
            home = entry->pw_dir;
        }
    }
    QString const exeDir = QCoreApplication::applicationDirPath();
    m_choice = choose(exeDir.toStdString(), env("XDG_DATA_HOME"), home, trust::forThisUser());
}
