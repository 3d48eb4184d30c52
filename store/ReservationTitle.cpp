#include "store/ReservationTitle.h"

#include "store/Reservation.h"

#include <cstdint>

namespace {

constexpr char const* kReplacement = "\xEF\xBF\xBD";

// The length of the well-formed sequence at i, or 0 when it is not one; consumed tells how
// many bytes a malformed one spans (its lead and the continuation bytes that follow it).
std::size_t sequenceAt(std::string_view bytes, std::size_t i, std::size_t& consumed) {
    auto const lead = static_cast<unsigned char>(bytes[i]);
    consumed = 1;
    if (lead < 0x80)
        return 1;
    std::size_t extra = 0;
    uint32_t min = 0;
    uint32_t code = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, min = 0x80, code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, min = 0x800, code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, min = 0x10000, code = lead & 0x07;
    } else {
        return 0;
    }
    std::size_t k = 1;
    while (k <= extra && i + k < bytes.size() &&
           (static_cast<unsigned char>(bytes[i + k]) & 0xC0) == 0x80) {
        code = (code << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
        ++k;
    }
    consumed = k;
    bool const complete = k == extra + 1;
    if (!complete || code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return k;
}

std::string_view field(Reservation const& rec) {
    return std::string_view(rec.title, rec.titleLength());
}

} // namespace

bool ReservationTitle::isValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        std::size_t consumed = 0;
        if (sequenceAt(bytes, i, consumed) == 0)
            return false;
        i += consumed;
    }
    return true;
}

std::optional<std::string> ReservationTitle::text(Reservation const& rec) {
    std::string_view const bytes = field(rec);
    if (!isValidUtf8(bytes))
        return std::nullopt;
    return std::string(bytes);
}

std::string ReservationTitle::lossyText(Reservation const& rec) {
    std::string_view const bytes = field(rec);
    std::string text;
    text.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        std::size_t consumed = 0;
        if (sequenceAt(bytes, i, consumed) == 0)
            text += kReplacement;
        else
            text.append(bytes.substr(i, consumed));
        i += consumed;
    }
    return text;
}
