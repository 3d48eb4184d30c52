#include "app/BundleLocation.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace {
std::string Parent(std::string const& path) {
    std::size_t const slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string LastComponent(std::string const& path) {
    std::size_t const slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Env(char const* name) {
    char const* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}
} // namespace

std::string BundleLocation::HomeFor(std::string const& executableDir,
                                    std::string const& xdgDataHome, std::string const& home) {
    std::string dir = executableDir;
    while (dir.size() > 1 && dir.back() == '/') {
        dir.pop_back();
    }
    std::string const name = LastComponent(dir);
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".app") == 0) {
        return Parent(dir);
    }
    // Relative values of XDG_DATA_HOME are invalid by the base-directory rules.
    if (!xdgDataHome.empty() && xdgDataHome.front() == '/') {
        return xdgDataHome + "/resvman";
    }
    return (home.empty() ? std::string("/tmp") : home) + "/.local/share/resvman";
}

BundleLocation::BundleLocation() {
    std::string home = Env("HOME");
    if (home.empty()) {
        if (passwd const* entry = getpwuid(getuid())) {
            home = entry->pw_dir;
        }
    }
    QString const exeDir = QCoreApplication::applicationDirPath();
    m_home = HomeFor(exeDir.toStdString(), Env("XDG_DATA_HOME"), home);
    QDir().mkpath(QString::fromStdString(m_home));
}
