#include "session/FreeSpace.h"

#include <sys/statvfs.h>

namespace velto {

std::optional<std::uint64_t> freeSpaceOf(const std::string& folder) {
    struct statvfs info {};
    if (statvfs(folder.c_str(), &info) != 0)
        return std::nullopt;
    return std::uint64_t(info.f_bavail) * info.f_frsize;
}

} // namespace velto
