#pragma once
#include <chrono>
#include <optional>
#include <string_view>

namespace velto {

// A time as the command line takes it: ISO 8601 with its offset
// ("2025-03-01T20:00:00+09:00", "…Z", seconds optional) or seconds since 1970
// ("1767229140", fractions allowed). None for anything else.
std::optional<std::chrono::system_clock::time_point> parseTimeArgument(std::string_view text);

} // namespace velto
