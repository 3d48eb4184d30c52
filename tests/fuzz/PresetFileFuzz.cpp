// The companion's preferences file is read on every opening of the reservation dialog and
// may hold anything. Whatever it holds: no crash, and on failure every slot stays empty.
#include "platform/linux/PresetFile.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, std::size_t size) {
    ChannelPresetTable presets;
    std::memset(&presets, 0x5A, sizeof presets);
    bool const ok = PresetFile::parse(data, size, presets);
    if (!ok) {
        ChannelPresetTable zero;
        std::memset(&zero, 0, sizeof zero);
        if (std::memcmp(&presets, &zero, sizeof presets) != 0) {
            std::abort();
        }
    }
    for (int i = 0; i < 12; ++i) {
        if (presets.fm[i].nameLength() > 256 || presets.am[i].nameLength() > 256) {
            std::abort();
        }
    }
    return 0;
}
