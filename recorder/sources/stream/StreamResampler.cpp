#include "sources/stream/StreamResampler.h"

#include <algorithm>
#include <cmath>
#include <string>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace velto {

namespace {

// Beyond these a hostile stream could make one frame expand into gigabytes.
constexpr int minRate = 8000;
constexpr int maxRate = 192000;
constexpr int maxChannels = 8;

float bounded(float sample) {
    if (std::isnan(sample)) {
        return 0.0f;
    }
    return std::clamp(sample, -1.0f, 1.0f);
}

} // namespace

StreamResampler::~StreamResampler() {
    swr_free(&m_swr);
    av_channel_layout_uninit(&m_inputLayout);
}

bool StreamResampler::configure(const AVFrame& frame, SourceError& error) {
    const int channels = frame.ch_layout.nb_channels;
    if (frame.sample_rate < minRate || frame.sample_rate > maxRate) {
        error = {"unsupported-stream", "The stream's sample rate of " +
                                           std::to_string(frame.sample_rate) +
                                           " Hz is outside 8–192 kHz."};
        return false;
    }
    if (channels < 1 || channels > maxChannels) {
        error = {"unsupported-stream",
                 "The stream has " + std::to_string(channels) + " channels; 1 to 8 are taken."};
        return false;
    }
    AVChannelLayout layout{};
    if (frame.ch_layout.order == AV_CHANNEL_ORDER_NATIVE) {
        av_channel_layout_copy(&layout, &frame.ch_layout);
    } else {
        av_channel_layout_default(&layout, channels);
    }
    // Mono stays mono through the resampler and goes to both sides at full level; more
    // channels are mixed down to two.
    AVChannelLayout output{};
    av_channel_layout_default(&output, channels == 1 ? 1 : 2);
    swr_free(&m_swr);
    int code = swr_alloc_set_opts2(&m_swr, &output, AV_SAMPLE_FMT_FLT, outputRate, &layout,
                                   static_cast<AVSampleFormat>(frame.format), frame.sample_rate, 0,
                                   nullptr);
    if (code >= 0) {
        // A downmix of many loud channels is scaled, not clipped.
        av_opt_set_double(m_swr, "rematrix_maxval", 1.0, 0);
        code = swr_init(m_swr);
    }
    av_channel_layout_uninit(&output);
    if (code < 0) {
        av_channel_layout_uninit(&layout);
        swr_free(&m_swr);
        m_inputRate = 0;
        error = {"unsupported-stream", "The stream's audio (" + std::to_string(frame.sample_rate) +
                                           " Hz, " + std::to_string(channels) +
                                           " channels) cannot be converted."};
        return false;
    }
    av_channel_layout_uninit(&m_inputLayout);
    m_inputLayout = layout;
    m_inputRate = frame.sample_rate;
    m_inputFormat = frame.format;
    m_inputChannels = channels;
    return true;
}

bool StreamResampler::convert(const AVFrame& frame, std::vector<float>& out, SourceError& error) {
    if (frame.nb_samples <= 0) {
        return true;
    }
    const bool same = m_swr && frame.sample_rate == m_inputRate && frame.format == m_inputFormat &&
                      frame.ch_layout.nb_channels == m_inputChannels &&
                      (frame.ch_layout.order != AV_CHANNEL_ORDER_NATIVE ||
                       av_channel_layout_compare(&frame.ch_layout, &m_inputLayout) == 0);
    if (!same) {
        flush(out);
        if (!configure(frame, error)) {
            return false;
        }
    }
    const int capacity = swr_get_out_samples(m_swr, frame.nb_samples);
    if (capacity < 0) {
        error = {"unsupported-stream", "The stream's audio cannot be converted."};
        return false;
    }
    m_scratch.resize(static_cast<std::size_t>(capacity) * 2);
    auto* target = reinterpret_cast<uint8_t*>(m_scratch.data());
    const int count =
        swr_convert(m_swr, &target, capacity, const_cast<const uint8_t**>(frame.extended_data),
                    frame.nb_samples);
    if (count < 0) {
        error = {"unsupported-stream", "The stream's audio cannot be converted."};
        return false;
    }
    emit(count, out);
    return true;
}

void StreamResampler::flush(std::vector<float>& out) {
    if (!m_swr) {
        return;
    }
    const int capacity = swr_get_out_samples(m_swr, 0);
    if (capacity <= 0) {
        return;
    }
    m_scratch.resize(static_cast<std::size_t>(capacity) * 2);
    auto* target = reinterpret_cast<uint8_t*>(m_scratch.data());
    const int count = swr_convert(m_swr, &target, capacity, nullptr, 0);
    if (count > 0) {
        emit(count, out);
    }
}

void StreamResampler::emit(int count, std::vector<float>& out) {
    const std::size_t frames = static_cast<std::size_t>(count);
    const std::size_t start = out.size();
    out.resize(start + frames * 2);
    float* target = out.data() + start;
    if (m_inputChannels == 1) {
        for (std::size_t i = 0; i < frames; ++i) {
            target[2 * i] = target[2 * i + 1] = bounded(m_scratch[i]);
        }
    } else {
        for (std::size_t i = 0; i < frames * 2; ++i) {
            target[i] = bounded(m_scratch[i]);
        }
    }
}

} // namespace velto
