// What a stream recording costs a core: decoding and resampling a 128 kbit/s MP3 stream
// (from memory: the source's own path without the network), encoding to Ogg Opus at
// 96 kbit/s, and, when STREAM_URL names a live stream, the whole source reading it in real
// time. scripts/figures.sh turns these into CPU per second of audio.
#include "sources/stream/FfmpegLog.h"
#include "sources/stream/StreamDecoder.h"
#include "sources/stream/StreamGuard.h"
#include "sources/stream/StreamInput.h"
#include "sources/stream/StreamSource.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#ifdef VELTO_BENCH_OPUSENC
#include <opusenc.h>
#endif

extern "C" {
#include <libavutil/error.h>
}

namespace {

constexpr int audioSeconds = 60;

// A minute of stereo pink noise as a 128 kbit/s MP3, made once with the ffmpeg program.
const std::vector<uint8_t>& mp3Minute() {
    static const std::vector<uint8_t> data = [] {
        char folder[] = "/tmp/bench_stream.XXXXXX";
        if (!mkdtemp(folder)) {
            return std::vector<uint8_t>{};
        }
        const std::string file = std::string(folder) + "/noise.mp3";
        const std::string command =
            "ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi -i "
            "anoisesrc=color=pink:amplitude=0.3:sample_rate=44100:duration=" +
            std::to_string(audioSeconds) + " -ac 2 -c:a libmp3lame -b:a 128k " + file;
        std::vector<uint8_t> bytes;
        if (std::system(command.c_str()) == 0) {
            std::ifstream in(file, std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), {});
        }
        std::remove(file.c_str());
        rmdir(folder);
        return bytes;
    }();
    return data;
}

struct Memory {
    const uint8_t* data;
    std::size_t size;
    std::size_t position = 0;

    static int read(void* opaque, uint8_t* buffer, int size) {
        auto* memory = static_cast<Memory*>(opaque);
        const std::size_t count =
            std::min(memory->size - memory->position, static_cast<std::size_t>(size));
        if (count == 0) {
            return AVERROR_EOF;
        }
        std::memcpy(buffer, memory->data + memory->position, count);
        memory->position += count;
        return static_cast<int>(count);
    }
};

// The decoded minute, 48 kHz stereo.
std::vector<float> decodeMinute() {
    const std::vector<uint8_t>& mp3 = mp3Minute();
    velto::StreamGuard guard;
    velto::FfmpegLog::Scope scope(guard);
    Memory memory{mp3.data(), mp3.size()};
    velto::StreamInput input(guard);
    velto::StreamDecoder decoder;
    velto::SourceError error;
    std::vector<float> audio;
    if (!input.openReader(&Memory::read, &memory, error) || !decoder.open(input.context(), error)) {
        return audio;
    }
    velto::StreamDecoder::Step step;
    do {
        step = decoder.step(audio, error);
    } while (step != velto::StreamDecoder::Step::End && step != velto::StreamDecoder::Step::Failed);
    return audio;
}

void BM_DecodeResampleMp3Minute(benchmark::State& state) {
    velto::FfmpegLog::install();
    if (mp3Minute().empty()) {
        state.SkipWithError("the ffmpeg program could not make the MP3");
        return;
    }
    std::size_t samples = 0;
    for (auto _ : state) {
        samples = decodeMinute().size();
    }
    state.counters["audio_s"] = static_cast<double>(samples) / 2 / 48000;
}
BENCHMARK(BM_DecodeResampleMp3Minute)->Unit(benchmark::kMillisecond);

#ifdef VELTO_BENCH_OPUSENC
int discard(void*, const unsigned char*, opus_int32) {
    return 0;
}
int closeNothing(void*) {
    return 0;
}

void BM_EncodeOpus96kMinute(benchmark::State& state) {
    velto::FfmpegLog::install();
    const std::vector<float> audio = decodeMinute();
    if (audio.empty()) {
        state.SkipWithError("no audio to encode");
        return;
    }
    const OpusEncCallbacks callbacks{&discard, &closeNothing};
    for (auto _ : state) {
        OggOpusComments* comments = ope_comments_create();
        int error = 0;
        OggOpusEnc* encoder =
            ope_encoder_create_callbacks(&callbacks, nullptr, comments, 48000, 2, 0, &error);
        ope_encoder_ctl(encoder, OPUS_SET_BITRATE(96000));
        ope_encoder_write_float(encoder, audio.data(), static_cast<int>(audio.size() / 2));
        ope_encoder_drain(encoder);
        ope_encoder_destroy(encoder);
        ope_comments_destroy(comments);
    }
    state.counters["audio_s"] = static_cast<double>(audio.size()) / 2 / 48000;
}
BENCHMARK(BM_EncodeOpus96kMinute)->Unit(benchmark::kMillisecond);
#endif

// The source itself on a live stream in real time: network, worker, queue, reader. The
// process's CPU time over wall time is the share of a core.
void BM_LiveStreamSource(benchmark::State& state) {
    const char* url = std::getenv("STREAM_URL");
    if (!url) {
        state.SkipWithError("STREAM_URL is not set");
        return;
    }
    const double seconds =
        std::getenv("STREAM_SECONDS") ? std::atof(std::getenv("STREAM_SECONDS")) : 20;
    std::size_t samples = 0;
    for (auto _ : state) {
        velto::StreamSource source(url);
        velto::SourceError error;
        if (!source.open(error)) {
            state.SkipWithError(error.text.c_str());
            return;
        }
        std::vector<float> audio;
        const auto start = std::chrono::steady_clock::now();
        while (std::chrono::steady_clock::now() - start < std::chrono::duration<double>(seconds)) {
            audio.clear();
            if (source.read(audio, std::chrono::milliseconds(200), error) !=
                velto::ReadStatus::Audio) {
                state.SkipWithError(error.text.c_str());
                return;
            }
            samples += audio.size();
        }
    }
    state.counters["audio_s"] = static_cast<double>(samples) / 2 / 48000;
}
BENCHMARK(BM_LiveStreamSource)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

} // namespace

BENCHMARK_MAIN();
