// Decoded audio of any shape becomes 48 kHz stereo, also when the shape changes mid-way.
#include "sources/stream/StreamResampler.h"
#include "ToneMeter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

extern "C" {
#include <libavutil/frame.h>
}

namespace velto {
namespace {

struct FrameDeleter {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
using Frame = std::unique_ptr<AVFrame, FrameDeleter>;

// A frame of `count` samples of a 1 kHz tone at amplitude 0.5, phase continuing from `first`.
Frame toneFrame(int rate, int channels, AVSampleFormat format, int first, int count) {
    Frame frame(av_frame_alloc());
    frame->sample_rate = rate;
    frame->format = format;
    frame->nb_samples = count;
    av_channel_layout_default(&frame->ch_layout, channels);
    EXPECT_EQ(av_frame_get_buffer(frame.get(), 0), 0);
    const bool planar = av_sample_fmt_is_planar(format);
    for (int i = 0; i < count; ++i) {
        const double value = 0.5 * std::sin(2 * std::numbers::pi * 1000 * (first + i) / rate);
        for (int c = 0; c < channels; ++c) {
            const int index = planar ? i : i * channels + c;
            uint8_t* data = frame->extended_data[planar ? c : 0];
            if (format == AV_SAMPLE_FMT_S16 || format == AV_SAMPLE_FMT_S16P) {
                reinterpret_cast<int16_t*>(data)[index] = static_cast<int16_t>(value * 32767);
            } else {
                reinterpret_cast<float*>(data)[index] = static_cast<float>(value);
            }
        }
    }
    return frame;
}

// One second of the tone in frames of 1152 (as MP3 decodes).
void feedSecond(StreamResampler& resampler, int rate, int channels, AVSampleFormat format,
                std::vector<float>& out) {
    SourceError error;
    for (int first = 0; first < rate; first += 1152) {
        const Frame frame = toneFrame(rate, channels, format, first, std::min(1152, rate - first));
        ASSERT_TRUE(resampler.convert(*frame, out, error)) << error.text;
    }
}

struct Shape {
    int rate;
    int channels;
    AVSampleFormat format;
};

TEST(StreamResampler, EveryShapeBecomes48kHzStereoWithTheToneKept) {
    const Shape shapes[] = {{44100, 2, AV_SAMPLE_FMT_FLTP}, {48000, 2, AV_SAMPLE_FMT_FLT},
                            {22050, 1, AV_SAMPLE_FMT_S16},  {32000, 1, AV_SAMPLE_FMT_FLTP},
                            {96000, 6, AV_SAMPLE_FMT_S16P}, {8000, 2, AV_SAMPLE_FMT_S16}};
    for (const Shape& shape : shapes) {
        StreamResampler resampler;
        std::vector<float> out;
        feedSecond(resampler, shape.rate, shape.channels, shape.format, out);
        resampler.flush(out);
        SCOPED_TRACE(std::to_string(shape.rate) + " Hz, " + std::to_string(shape.channels) +
                     " channels");
        EXPECT_NEAR(static_cast<double>(out.size()) / 2, 48000, 2);
        EXPECT_EQ(resampler.stereo(), shape.channels >= 2);
        for (int channel : {0, 1}) {
            const test::Tone tone = test::measureTone(out, channel, 1000, 4800, 38400);
            EXPECT_GT(tone.snrDb, 40);
        }
        if (shape.channels == 1) {
            // Mono at full level on both sides.
            EXPECT_NEAR(test::measureTone(out, 0, 1000, 4800, 38400).amplitude, 0.5, 0.01);
            EXPECT_EQ(out[20000], out[20001]);
        }
    }
}

TEST(StreamResampler, AChangeOfRateAndChannelsLosesNoTime) {
    StreamResampler resampler;
    std::vector<float> out;
    feedSecond(resampler, 44100, 2, AV_SAMPLE_FMT_FLTP, out);
    feedSecond(resampler, 22050, 1, AV_SAMPLE_FMT_S16, out);
    feedSecond(resampler, 48000, 2, AV_SAMPLE_FMT_FLT, out);
    resampler.flush(out);
    // Each reconfiguration empties the resampler first: three seconds in, three out.
    EXPECT_NEAR(static_cast<double>(out.size()) / 2, 3 * 48000, 4);
    EXPECT_GT(test::measureTone(out, 1, 1000, 48000 + 4800, 38400).snrDb, 40);
    EXPECT_TRUE(resampler.stereo());
}

TEST(StreamResampler, RefusesWhatCouldExplodeAndBoundsWhatComesOut) {
    StreamResampler resampler;
    std::vector<float> out;
    SourceError error;
    EXPECT_FALSE(resampler.convert(*toneFrame(4000, 2, AV_SAMPLE_FMT_FLT, 0, 256), out, error));
    EXPECT_EQ(error.key, "unsupported-stream");
    EXPECT_FALSE(resampler.convert(*toneFrame(48000, 12, AV_SAMPLE_FMT_FLT, 0, 256), out, error));
    EXPECT_EQ(error.key, "unsupported-stream");

    Frame loud = toneFrame(48000, 2, AV_SAMPLE_FMT_FLT, 0, 4800);
    auto* samples = reinterpret_cast<float*>(loud->data[0]);
    for (int i = 0; i < 9600; i += 3) {
        samples[i] = i % 2 ? 7.0f : std::numeric_limits<float>::quiet_NaN();
    }
    ASSERT_TRUE(resampler.convert(*loud, out, error)) << error.text;
    resampler.flush(out);
    ASSERT_FALSE(out.empty());
    for (float sample : out) {
        ASSERT_TRUE(sample >= -1.0f && sample <= 1.0f) << sample;
    }
}

} // namespace
} // namespace velto
