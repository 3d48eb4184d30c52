#include "sources/stream/StreamDecoder.h"

#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace velto {

namespace {

bool allowedCodec(AVCodecID id) {
    switch (id) {
    case AV_CODEC_ID_MP2:
    case AV_CODEC_ID_MP3:
    case AV_CODEC_ID_AAC:
    case AV_CODEC_ID_AAC_LATM:
    case AV_CODEC_ID_OPUS:
    case AV_CODEC_ID_VORBIS:
    case AV_CODEC_ID_FLAC:
        return true;
    default:
        return false;
    }
}

} // namespace

StreamDecoder::StreamDecoder() : m_packet(av_packet_alloc()), m_frame(av_frame_alloc()) {}

StreamDecoder::~StreamDecoder() {
    avcodec_free_context(&m_codec);
    av_packet_free(&m_packet);
    av_frame_free(&m_frame);
}

bool StreamDecoder::open(AVFormatContext* input, SourceError& error) {
    if (!m_packet || !m_frame) {
        error = {"no-memory", "Out of memory."};
        return false;
    }
    m_input = input;
    m_stream = av_find_best_stream(input, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    // Unprobed streams (rate and channels still unknown) are not "best"; the first audio
    // stream with a known codec is then the programme.
    for (unsigned i = 0; m_stream < 0 && i < input->nb_streams; ++i) {
        const AVCodecParameters* candidate = input->streams[i]->codecpar;
        if (candidate->codec_type == AVMEDIA_TYPE_AUDIO &&
            candidate->codec_id != AV_CODEC_ID_NONE) {
            m_stream = static_cast<int>(i);
        }
    }
    if (m_stream < 0) {
        error = {"not-audio", "The stream holds no audio."};
        return false;
    }
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        input->streams[i]->discard =
            static_cast<int>(i) == m_stream ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    }
    const AVCodecParameters* parameters = input->streams[m_stream]->codecpar;
    const AVCodec* codec =
        allowedCodec(parameters->codec_id) ? avcodec_find_decoder(parameters->codec_id) : nullptr;
    if (!codec) {
        error = {"unsupported-codec", std::string("The stream's audio is ") +
                                          avcodec_get_name(parameters->codec_id) +
                                          "; MP3, AAC, Opus, Vorbis and FLAC are taken."};
        return false;
    }
    m_codec = avcodec_alloc_context3(codec);
    if (!m_codec || avcodec_parameters_to_context(m_codec, parameters) < 0) {
        error = {"no-memory", "Out of memory."};
        return false;
    }
    m_codec->thread_count = 1;
    m_codec->pkt_timebase = input->streams[m_stream]->time_base;
    m_codec->request_sample_fmt = AV_SAMPLE_FMT_FLT;
    if (avcodec_open2(m_codec, codec, nullptr) < 0) {
        error = {"unsupported-codec",
                 std::string("The stream's ") + codec->name + " audio cannot be decoded."};
        return false;
    }
    return true;
}

bool StreamDecoder::drain(std::vector<float>& out, SourceError& error) {
    for (;;) {
        const int code = avcodec_receive_frame(m_codec, m_frame);
        if (code < 0) {
            return true;
        }
        const bool converted = m_resampler.convert(*m_frame, out, error);
        av_frame_unref(m_frame);
        if (!converted) {
            return false;
        }
    }
}

StreamDecoder::Step StreamDecoder::step(std::vector<float>& out, SourceError& error) {
    if (m_ended) {
        return Step::End;
    }
    const std::size_t before = out.size();
    const int code = av_read_frame(m_input, m_packet);
    if (code == AVERROR_EOF) {
        m_ended = true;
        avcodec_send_packet(m_codec, nullptr);
        if (!drain(out, error)) {
            return Step::Failed;
        }
        m_resampler.flush(out);
        return Step::End;
    }
    if (code == AVERROR(EAGAIN)) {
        return Step::Nothing;
    }
    if (code < 0) {
        m_failure = code;
        return Step::Failed;
    }
    if (m_packet->stream_index != m_stream) {
        av_packet_unref(m_packet);
        return Step::Nothing;
    }
    const int sent = avcodec_send_packet(m_codec, m_packet);
    av_packet_unref(m_packet);
    // A damaged packet costs its own audio only; the stream's deadline ends a stream that
    // sends nothing but damage.
    if (sent < 0 && sent != AVERROR(EAGAIN)) {
        ++m_badPackets;
        return Step::Nothing;
    }
    if (!drain(out, error)) {
        return Step::Failed;
    }
    if (out.size() == before) {
        return Step::Nothing;
    }
    m_badPackets = 0;
    return Step::Audio;
}

} // namespace velto
