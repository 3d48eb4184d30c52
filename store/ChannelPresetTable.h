// The companion's channel presets: the payload of its "Presets" preference, taken byte for
// byte (6240 bytes: 12 FM slots, then 12 AM slots, 260 bytes each).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

struct ChannelPreset {
    uint32_t frequency; // FM in 10 kHz units, AM in kHz; 0 marks an empty slot
    char name[256];     // the station, UTF-8; may lack its terminating zero in a bad file

    // Length of the station name, never past its 256 bytes.
    std::size_t nameLength() const;
};

struct ChannelPresetTable {
    static constexpr int kSlots = 12; // per band
    static constexpr std::size_t kSize = 6240;

    ChannelPreset fm[kSlots];
    ChannelPreset am[kSlots];

    // Copies the first 6240 bytes of a "Presets" value (frequencies little-endian). Shorter
    // data leaves every slot empty and answers false.
    bool read(uint8_t const* data, std::size_t length);
    void clear();

    ChannelPreset const* band(bool isFm) const { return isFm ? fm : am; }
    // The slot 0..11 of the band that holds frequency (no band bits), or -1.
    int find(bool isFm, uint32_t frequency) const;
    // The station name of that slot, at most 255 bytes; none when no slot holds it.
    std::optional<std::string> station(bool isFm, uint32_t frequency) const;
};

static_assert(sizeof(ChannelPreset) == 260);
static_assert(sizeof(ChannelPresetTable) == ChannelPresetTable::kSize);
