#pragma once
#include <chrono>
#include <string>
#include <string_view>

namespace velto {

// A title as a file name may hold it: valid UTF-8 (broken bytes become U+FFFD), no '/'
// (it becomes '-'), no control characters, no leading or trailing spaces, at most
// `limit` bytes cut on a character boundary; "Recording" when nothing is left.
std::string safeTitle(std::string_view title, std::size_t limit = 200);

// A title for a tag: the same cleaning, with room for a long one.
std::string tagText(std::string_view text);

// "<YYYY-MM-DD HHMM> <Title>", the start in local time; no extension.
std::string recordingStem(std::chrono::system_clock::time_point start, std::string_view title);

// The start in local time as ISO 8601 with its offset, for the DATE tag.
std::string localIsoTime(std::chrono::system_clock::time_point when);

} // namespace velto
