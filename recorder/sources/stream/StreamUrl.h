#pragma once
#include "sources/AudioSource.h"

#include <string>
#include <string_view>

namespace velto {

// The addresses the stream source may fetch: http and https only, checked before FFmpeg
// sees them (the address a user types, and every address a playlist or server names later).
class StreamUrl {
public:
    // The prefix of a stream source's address: "url:https://…".
    static constexpr std::string_view addressScheme = "url";

    // "url:URL" → URL, or a refusal ("bad-url") that says why.
    static bool fromAddress(const std::string& address, std::string& url, SourceError& error);
    // Whether `url` is an http or https address with a host and nothing that could
    // smuggle a second request line (spaces, control characters).
    static bool check(std::string_view url, SourceError& error);
    // The scheme in lower case, or "" when the text has none (a relative address).
    static std::string scheme(std::string_view url);
    // The address cut to a length fit for a message.
    static std::string shortened(std::string_view url);
};

} // namespace velto
