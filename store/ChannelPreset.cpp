#include "store/ChannelPreset.h"

#include <cstring>

namespace {

constexpr std::size_t kSlotSize = sizeof(PRESETITEM_TAG);
constexpr std::size_t kSlotsPerBand = 12;

void SlotFromBytes(uint8_t const* in, PRESETITEM_TAG& slot) {
    slot.uFreq = static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 |
                 static_cast<uint32_t>(in[2]) << 16 | static_cast<uint32_t>(in[3]) << 24;
    std::memcpy(slot.cName, in + 4, sizeof slot.cName);
}

} // namespace

bool ChannelPresetFromBytes(uint8_t const* data, std::size_t length, CHANNELPRESET_TAG& presets) {
    std::memset(&presets, 0, sizeof presets);
    if (data == nullptr || length < kChannelPresetSize)
        return false;
    for (std::size_t i = 0; i < kSlotsPerBand; ++i) {
        SlotFromBytes(data + i * kSlotSize, presets.psFM[i]);
        SlotFromBytes(data + (kSlotsPerBand + i) * kSlotSize, presets.psAM[i]);
    }
    return true;
}

std::size_t PresetNameLength(PRESETITEM_TAG const& item) {
    void const* zero = std::memchr(item.cName, 0, sizeof item.cName);
    return zero ? static_cast<std::size_t>(static_cast<char const*>(zero) - item.cName)
                : sizeof item.cName;
}
