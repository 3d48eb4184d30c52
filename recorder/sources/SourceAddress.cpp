#include "sources/SourceAddress.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace velto {

std::optional<SourceAddress> SourceAddress::parse(std::string_view text, std::string& why) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0) {
        why = "A source is written scheme:details, for example soapy: or iq:FILE?format=cu8&"
              "rate=1024000&center=80250000.";
        return std::nullopt;
    }
    SourceAddress address;
    address.scheme = std::string(text.substr(0, colon));
    if (!std::all_of(address.scheme.begin(), address.scheme.end(),
                     [](unsigned char c) { return std::islower(c) || std::isdigit(c); })) {
        why = "The source's scheme must be lower-case letters and digits.";
        return std::nullopt;
    }
    address.rest = std::string(text.substr(colon + 1));
    return address;
}

std::optional<std::string> percentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out.push_back(text[i]);
            continue;
        }
        unsigned value = 0;
        if (i + 2 >= text.size())
            return std::nullopt;
        const auto [end, ec] = std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16);
        if (ec != std::errc() || end != text.data() + i + 3 || value == 0)
            return std::nullopt;
        out.push_back(char(value));
        i += 2;
    }
    if (out.find('\0') != std::string::npos)
        return std::nullopt;
    return out;
}

std::optional<std::map<std::string, std::string>>
parseQuery(std::string_view query, std::initializer_list<std::string_view> allowed,
           std::string& why) {
    std::map<std::string, std::string> pairs;
    while (!query.empty()) {
        const auto amp = query.find('&');
        const std::string_view item = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
        const auto eq = item.find('=');
        const std::string key(item.substr(0, eq));
        if (std::find(allowed.begin(), allowed.end(), key) == allowed.end()) {
            why = "Unknown setting \"" + key + "\" in the source.";
            return std::nullopt;
        }
        auto value = percentDecode(eq == std::string_view::npos ? "" : item.substr(eq + 1));
        if (!value) {
            why = "The setting \"" + key + "\" has a broken %-escape.";
            return std::nullopt;
        }
        if (!pairs.emplace(key, std::move(*value)).second) {
            why = "The setting \"" + key + "\" is given twice.";
            return std::nullopt;
        }
    }
    return pairs;
}

std::optional<double> parseNumber(std::string_view text, bool negative) {
    if (text.empty() || text.size() > 32)
        return std::nullopt;
    if (!negative && text.front() == '-')
        return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace velto
