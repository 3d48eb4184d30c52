#include "sources/stream/StreamUrl.h"

#include <cctype>

namespace velto {

namespace {

// FFmpeg cuts addresses at 4 KiB in places; a longer one would be fetched shortened.
constexpr std::size_t maxLength = 4000;

bool refuse(SourceError& error, std::string text) {
    error = {"bad-url", std::move(text)};
    return false;
}

// Appended piece by piece: GCC 12 misreads `"…" + std::string` as an overlapping copy.
std::string quoted(std::string_view url) {
    std::string text(1, '"');
    text += StreamUrl::shortened(url);
    text += '"';
    return text;
}

bool isSchemeChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
}

} // namespace

std::string StreamUrl::scheme(std::string_view url) {
    const std::size_t colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0 ||
        !std::isalpha(static_cast<unsigned char>(url[0]))) {
        return {};
    }
    std::string result;
    for (char c : url.substr(0, colon)) {
        if (!isSchemeChar(c)) {
            return {};
        }
        result += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return result;
}

std::string StreamUrl::shortened(std::string_view url) {
    std::string result;
    for (char c : url.substr(0, 120)) {
        const auto u = static_cast<unsigned char>(c);
        result += (u < 0x20 || u == 0x7f) ? '?' : c;
    }
    if (url.size() > 120) {
        result += "…";
    }
    return result;
}

bool StreamUrl::fromAddress(const std::string& address, std::string& url, SourceError& error) {
    const std::string prefix = std::string(addressScheme) + ":";
    if (address.compare(0, prefix.size(), prefix) != 0) {
        return refuse(error,
                      "A stream source is given as url:ADDRESS, not " + quoted(address) + ".");
    }
    url = address.substr(prefix.size());
    return check(url, error);
}

bool StreamUrl::check(std::string_view url, SourceError& error) {
    if (url.empty()) {
        return refuse(error, "The stream address is empty.");
    }
    if (url.size() > maxLength) {
        return refuse(error, "The stream address is longer than 4000 characters.");
    }
    for (char c : url) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u == 0x7f) {
            return refuse(error, "The stream address " + quoted(url) +
                                     " contains spaces or control characters.");
        }
    }
    const std::string name = scheme(url);
    if (name.empty()) {
        return refuse(error, quoted(url) +
                                 " is not an address; give one that starts with http:// or "
                                 "https://.");
    }
    if (name != "http" && name != "https") {
        return refuse(error, "Only http and https addresses can be recorded, not \"" + name +
                                 ":\" (" + shortened(url) + ").");
    }
    std::string_view rest = url.substr(name.size() + 1);
    if (rest.substr(0, 2) != "//") {
        return refuse(error, "The address " + quoted(url) + " has no host.");
    }
    rest.remove_prefix(2);
    std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
        authority.remove_prefix(at + 1);
    }
    std::string_view host = authority;
    std::string_view port;
    if (!authority.empty() && authority.front() == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos) {
            return refuse(error, "The address " + quoted(url) + " has a broken host.");
        }
        host = authority.substr(1, close - 1);
        const std::string_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':') {
                return refuse(error, "The address " + quoted(url) + " has a broken host.");
            }
            port = after.substr(1);
        }
    } else if (const std::size_t colon = authority.find(':'); colon != std::string_view::npos) {
        host = authority.substr(0, colon);
        port = authority.substr(colon + 1);
    }
    if (host.empty()) {
        return refuse(error, "The address " + quoted(url) + " has no host.");
    }
    if (!port.empty()) {
        long value = 0;
        for (char c : port) {
            if (!std::isdigit(static_cast<unsigned char>(c)) ||
                (value = value * 10 + (c - '0')) > 65535) {
                return refuse(error, "The address " + quoted(url) + " has a bad port.");
            }
        }
        if (value == 0) {
            return refuse(error, "The address " + quoted(url) + " has a bad port.");
        }
    }
    return true;
}

} // namespace velto
