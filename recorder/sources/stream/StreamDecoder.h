#pragma once
#include "sources/AudioSource.h"
#include "sources/stream/StreamResampler.h"

#include <vector>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;

namespace velto {

// Takes the programme's audio out of an opened input: the best audio stream, its decoder,
// and the resampler. The real source and the fuzzer run exactly this.
class StreamDecoder {
public:
    enum class Step { Audio, Nothing, End, Failed };

    StreamDecoder();
    ~StreamDecoder();
    StreamDecoder(const StreamDecoder&) = delete;
    StreamDecoder& operator=(const StreamDecoder&) = delete;

    bool open(AVFormatContext* input, SourceError& error);
    // Reads one packet and appends its audio, 48 kHz stereo, to `out`. Failed: a refusal in
    // `error`, or (error empty) an FFmpeg read failure in failureCode().
    Step step(std::vector<float>& out, SourceError& error);
    int failureCode() const { return m_failure; }
    bool stereo() const { return m_resampler.stereo(); }
    // Packets that did not decode since the last audio.
    int badPackets() const { return m_badPackets; }

private:
    bool drain(std::vector<float>& out, SourceError& error);

    AVFormatContext* m_input = nullptr;
    AVCodecContext* m_codec = nullptr;
    AVPacket* m_packet = nullptr;
    AVFrame* m_frame = nullptr;
    StreamResampler m_resampler;
    int m_stream = -1;
    int m_failure = 0;
    int m_badPackets = 0;
    bool m_ended = false;
};

} // namespace velto
