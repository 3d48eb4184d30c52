#pragma once
#include "sources/AudioSource.h"

#include <vector>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
}

struct AVFrame;
struct SwrContext;

namespace velto {

// Brings decoded audio of any rate, layout and sample format to 48 kHz interleaved stereo
// float in [-1, 1]. A stream may change its rate or channels mid-way (an advertisement
// inserted at another rate, a mono news bulletin): the resampler is then emptied and set up
// again, and the audio goes on.
class StreamResampler {
public:
    static constexpr int outputRate = 48000;

    StreamResampler() = default;
    ~StreamResampler();
    StreamResampler(const StreamResampler&) = delete;
    StreamResampler& operator=(const StreamResampler&) = delete;

    // Appends the frame's audio to `out`; false (with a reason) for audio it will not take.
    bool convert(const AVFrame& frame, std::vector<float>& out, SourceError& error);
    // Appends what the resampler still holds.
    void flush(std::vector<float>& out);
    // Whether the last frame had two channels or more.
    bool stereo() const { return m_inputChannels >= 2; }

private:
    bool configure(const AVFrame& frame, SourceError& error);
    void emit(int count, std::vector<float>& out);

    SwrContext* m_swr = nullptr;
    int m_inputRate = 0;
    int m_inputFormat = -1;
    int m_inputChannels = 0;
    AVChannelLayout m_inputLayout{};
    std::vector<float> m_scratch;
};

} // namespace velto
