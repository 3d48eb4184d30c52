#include "store/Reservation.h"

#include <cstdio>
#include <cstring>

bool Reservation::operator==(Reservation const& other) const {
    return id == other.id && start == other.start && end == other.end &&
           frequency == other.frequency && std::memcmp(title, other.title, sizeof title) == 0 &&
           weekdays == other.weekdays && pending == other.pending && enabled == other.enabled;
}

std::string Reservation::channelText() const {
    char text[32];
    if (!isFm()) {
        std::snprintf(text, sizeof text, "AM %d", static_cast<int>(channel()));
    } else {
        std::snprintf(text, sizeof text, "FM %.1f", static_cast<double>(channel()) / 100.0);
    }
    return text;
}

std::size_t Reservation::titleLength() const {
    void const* zero = std::memchr(title, 0, sizeof title);
    return zero ? static_cast<std::size_t>(static_cast<char const*>(zero) - title) : sizeof title;
}
