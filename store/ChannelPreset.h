// The companion's channel presets: the payload of its "Presets" preference, taken byte for
// byte (6240 bytes: 12 FM slots, then 12 AM slots, 260 bytes each).
#pragma once

#include <cstddef>
#include <cstdint>

struct PRESETITEM_TAG {
    uint32_t uFreq;   // FM in 10 kHz units, AM in kHz; 0 marks an empty slot
    char cName[256];  // station name, UTF-8; may lack its terminating zero in a bad file
};

struct CHANNELPRESET_TAG {
    PRESETITEM_TAG psFM[12];
    PRESETITEM_TAG psAM[12];
};

inline constexpr std::size_t kChannelPresetSize = 6240;
static_assert(sizeof(PRESETITEM_TAG) == 260);
static_assert(sizeof(CHANNELPRESET_TAG) == kChannelPresetSize);

// Copies the first 6240 bytes of a "Presets" value into presets (uFreq little-endian).
// Shorter data leaves every slot empty and answers false.
bool ChannelPresetFromBytes(uint8_t const* data, std::size_t length, CHANNELPRESET_TAG& presets);

// Length of a station name, never past its 256 bytes.
std::size_t PresetNameLength(PRESETITEM_TAG const& item);
