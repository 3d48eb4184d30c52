#include "store/ChannelPresetTable.h"

#include <algorithm>
#include <cstring>

namespace {

void slotFromBytes(uint8_t const* in, ChannelPreset& slot) {
    slot.frequency = static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 |
                     static_cast<uint32_t>(in[2]) << 16 | static_cast<uint32_t>(in[3]) << 24;
    std::memcpy(slot.name, in + 4, sizeof slot.name);
}

} // namespace

std::size_t ChannelPreset::nameLength() const {
    void const* zero = std::memchr(name, 0, sizeof name);
    return zero ? static_cast<std::size_t>(static_cast<char const*>(zero) - name) : sizeof name;
}

void ChannelPresetTable::clear() {
    std::memset(this, 0, sizeof *this);
}

bool ChannelPresetTable::read(uint8_t const* data, std::size_t length) {
    clear();
    if (data == nullptr || length < kSize)
        return false;
    for (int i = 0; i < kSlots; ++i) {
        slotFromBytes(data + i * sizeof(ChannelPreset), fm[i]);
        slotFromBytes(data + (kSlots + i) * sizeof(ChannelPreset), am[i]);
    }
    return true;
}

int ChannelPresetTable::find(bool isFm, uint32_t frequency) const {
    if (frequency == 0)
        return -1;
    ChannelPreset const* const presets = band(isFm);
    for (int i = 0; i < kSlots; ++i) {
        if (presets[i].frequency == frequency)
            return i;
    }
    return -1;
}

std::optional<std::string> ChannelPresetTable::station(bool isFm, uint32_t frequency) const {
    int const slot = find(isFm, frequency);
    if (slot < 0)
        return std::nullopt;
    ChannelPreset const& preset = band(isFm)[slot];
    // A name that fills its 256 bytes without a terminator is cut to 255.
    return std::string(preset.name, std::min<std::size_t>(preset.nameLength(), 255));
}
