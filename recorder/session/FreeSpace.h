#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace velto {

// Bytes an unprivileged user may still write in `folder`; none when it cannot be told.
std::optional<std::uint64_t> freeSpaceOf(const std::string& folder);

// What a session asks the free space through, so that tests can fill the disk.
using FreeSpaceProbe = std::function<std::optional<std::uint64_t>(const std::string& folder)>;

} // namespace velto
