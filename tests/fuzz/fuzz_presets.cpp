// The companion's preferences file is read on every opening of the reservation dialog and
// may hold anything. Whatever it holds: no crash, and on failure every slot stays empty.
#include "platform/linux/PresetFile.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, std::size_t size) {
    CHANNELPRESET_TAG presets;
    std::memset(&presets, 0x5A, sizeof presets);
    bool const ok = ChannelPresetFromPlist(data, size, presets);
    if (!ok) {
        CHANNELPRESET_TAG zero;
        std::memset(&zero, 0, sizeof zero);
        if (std::memcmp(&presets, &zero, sizeof presets) != 0) {
            std::abort();
        }
    }
    for (int i = 0; i < 12; ++i) {
        if (PresetNameLength(presets.psFM[i]) > 256 || PresetNameLength(presets.psAM[i]) > 256) {
            std::abort();
        }
    }
    return 0;
}
