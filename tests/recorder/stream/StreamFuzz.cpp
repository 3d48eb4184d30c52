// A stream's bytes come from any server. Through the same demuxers, decoder and resampler
// as the real source, fed from memory: no crash, no hang, and whatever comes out is
// 48 kHz stereo within [-1, 1] and no larger than the input could hold.
#include "sources/stream/FfmpegLog.h"
#include "sources/stream/StreamDecoder.h"
#include "sources/stream/StreamGuard.h"
#include "sources/stream/StreamInput.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

extern "C" {
#include <libavutil/error.h>
}

namespace {

struct Memory {
    const uint8_t* data;
    std::size_t size;
    std::size_t position = 0;

    static int read(void* opaque, uint8_t* buffer, int size) {
        auto* memory = static_cast<Memory*>(opaque);
        const std::size_t left = memory->size - memory->position;
        if (left == 0) {
            return AVERROR_EOF;
        }
        const std::size_t count = std::min(left, static_cast<std::size_t>(size));
        std::memcpy(buffer, memory->data + memory->position, count);
        memory->position += count;
        return static_cast<int>(count);
    }
};

// Far more than any real input of the fuzzer's size decodes to (an hour at 48 kHz stereo).
constexpr std::size_t maxSamples = 48000 * 2 * 3600;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    velto::FfmpegLog::install();
    velto::StreamGuard guard;
    velto::FfmpegLog::Scope scope(guard);
    Memory memory{data, size};
    velto::StreamInput input(guard);
    velto::SourceError error;
    if (!input.openReader(&Memory::read, &memory, error)) {
        return 0;
    }
    velto::StreamDecoder decoder;
    if (!decoder.open(input.context(), error)) {
        return 0;
    }
    std::vector<float> audio;
    std::size_t total = 0;
    for (;;) {
        audio.clear();
        const velto::StreamDecoder::Step step = decoder.step(audio, error);
        if (audio.size() % 2 != 0) {
            std::abort();
        }
        for (float sample : audio) {
            if (!(sample >= -1.0f && sample <= 1.0f)) {
                std::abort();
            }
        }
        total += audio.size();
        if (total > maxSamples) {
            std::abort();
        }
        if (step == velto::StreamDecoder::Step::End || step == velto::StreamDecoder::Step::Failed) {
            break;
        }
    }
    return 0;
}
