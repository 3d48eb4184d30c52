#pragma once
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace velto {

// A source as the user or VELTO_SOURCE names it: "scheme:rest", for example
// "soapy:driver=rtlsdr", "iq:/tmp/fm.cu8?format=cu8&rate=1024000&center=80250000".
struct SourceAddress {
    std::string scheme;
    std::string rest;

    static std::optional<SourceAddress> parse(std::string_view text, std::string& why);
};

// "a=1&b=x%20y" into its pairs (percent escapes decoded); none when malformed or when a
// key is repeated or not among `allowed`.
std::optional<std::map<std::string, std::string>>
parseQuery(std::string_view query, std::initializer_list<std::string_view> allowed,
           std::string& why);

// A path or value with %XX escapes decoded; none for a broken escape or a NUL.
std::optional<std::string> percentDecode(std::string_view text);

// A decimal number (no sign unless `negative`), the whole text; none otherwise.
std::optional<double> parseNumber(std::string_view text, bool negative = false);

} // namespace velto
