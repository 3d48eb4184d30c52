#include "sources/tuner/RadioSourceAddress.h"

#include <algorithm>
#include <charconv>

namespace velto {

namespace {

constexpr std::size_t kLongestAddress = 4096;
constexpr std::size_t kLongestSoundDevice = 256;

bool isPrintable(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        auto u = static_cast<unsigned char>(c);
        return u >= 0x20 && u != 0x7f;
    });
}

} // namespace

bool parseRadioSourceAddress(std::string_view text, RadioSourceAddress& address,
                             SourceError& error) {
    auto refuse = [&](const std::string& why) {
        error = {"bad-source",
                 "The source \"" +
                     std::string(text.substr(0, std::min<std::size_t>(text.size(), 200))) +
                     "\" is not usable: " + why + "."};
        return false;
    };
    if (text.size() > kLongestAddress) {
        error = {"bad-source",
                 "The source is longer than " + std::to_string(kLongestAddress) + " characters."};
        return false;
    }
    if (!isPrintable(text)) {
        return refuse("it holds control characters");
    }
    const std::string prefix = std::string(kRadioSourceScheme) + ":";
    if (text.substr(0, prefix.size()) != prefix) {
        return refuse("it does not begin with " + prefix);
    }
    std::string_view rest = text.substr(prefix.size());
    std::string_view query;
    if (std::size_t mark = rest.find('?'); mark != std::string_view::npos) {
        query = rest.substr(mark + 1);
        rest = rest.substr(0, mark);
    }
    RadioSourceAddress result;
    if (rest.empty() || rest.front() != '/') {
        return refuse("the radio device must be an absolute path such as /dev/radio0");
    }
    result.device = std::string(rest);

    bool seenAlsa = false;
    bool seenRate = false;
    while (!query.empty()) {
        std::size_t amp = query.find('&');
        std::string_view pair = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
        // The value may itself hold '=' (hw:CARD=Radio), so only the first one splits.
        std::size_t eq = pair.find('=');
        if (eq == std::string_view::npos) {
            return refuse("\"" + std::string(pair) + "\" has no value");
        }
        std::string_view key = pair.substr(0, eq);
        std::string_view value = pair.substr(eq + 1);
        if (key == "alsa") {
            if (seenAlsa) {
                return refuse("alsa is given twice");
            }
            seenAlsa = true;
            if (value.empty() || value.size() > kLongestSoundDevice ||
                value.find(' ') != std::string_view::npos) {
                return refuse("alsa must name a sound card, such as hw:CARD=Radio,DEV=0");
            }
            result.soundDevice = std::string(value);
        } else if (key == "rate") {
            if (seenRate) {
                return refuse("rate is given twice");
            }
            seenRate = true;
            unsigned rate = 0;
            auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), rate);
            if (ec != std::errc() || end != value.data() + value.size() || rate < 8000 ||
                rate > 384000) {
                return refuse("rate must be a whole number of Hz from 8000 to 384000");
            }
            result.rate = rate;
        } else {
            return refuse("\"" + std::string(key) + "\" is not an option (alsa, rate)");
        }
    }
    address = std::move(result);
    return true;
}

std::string formatRadioSourceAddress(const RadioSourceAddress& address) {
    std::string text = std::string(kRadioSourceScheme) + ":" + address.device;
    char separator = '?';
    if (!address.soundDevice.empty()) {
        text += separator + std::string("alsa=") + address.soundDevice;
        separator = '&';
    }
    if (address.rate != 0) {
        text += separator + std::string("rate=") + std::to_string(address.rate);
    }
    return text;
}

} // namespace velto
