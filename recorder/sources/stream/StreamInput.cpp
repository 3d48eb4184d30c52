#include "sources/stream/StreamInput.h"

#include "sources/stream/StreamError.h"
#include "sources/stream/StreamGuard.h"
#include "sources/stream/StreamUrl.h"

#include <string>
#include <unistd.h>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/mem.h>
#include <libavutil/opt.h>
}

namespace velto {

namespace {

// What the stream's own transport may use: HLS fetches go through http(s) as well.
constexpr const char* protocols = "http,https,tls,tcp";
// Audio containers, HLS and what HLS segments come in (MPEG-TS, fragmented MP4).
constexpr const char* formats = "aac,flac,hls,matroska,mov,mp3,mpegts,ogg";
// Decoders that probing may open; the decoder of the programme is chosen from the same set.
constexpr const char* decoders =
    "aac,aac_fixed,aac_latm,flac,mp2,mp2float,mp3,mp3float,opus,vorbis";

constexpr int readerBufferSize = 4096;

std::string micros(std::chrono::milliseconds value) {
    return std::to_string(value.count() * 1000);
}

bool hasKnownAudio(const AVFormatContext* context) {
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVCodecParameters* parameters = context->streams[i]->codecpar;
        if (parameters->codec_type == AVMEDIA_TYPE_AUDIO &&
            parameters->codec_id != AV_CODEC_ID_NONE) {
            return true;
        }
    }
    return false;
}

bool isWebPage(const char* mime) {
    const std::string type = mime ? mime : "";
    return type.rfind("text/html", 0) == 0 || type.rfind("application/xhtml", 0) == 0;
}

} // namespace

StreamInput::StreamInput(StreamGuard& guard) : m_guard(guard) {}

StreamInput::~StreamInput() {
    avformat_close_input(&m_context);
    if (m_reader) {
        av_freep(&m_reader->buffer);
        avio_context_free(&m_reader);
    }
}

bool StreamInput::openUrl(const std::string& url, const StreamOptions& options,
                          SourceError& error) {
    if (!StreamUrl::check(url, error)) {
        return false;
    }
    m_options = options;
    m_network = true;
    AVDictionary* dictionary = nullptr;
    // HLS: every segment a request of its own, so that each passes the gate; one at a time.
    av_dict_set(&dictionary, "http_persistent", "0", 0);
    av_dict_set(&dictionary, "http_multiple", "0", 0);
    m_guard.arm(options.connectTimeout);
    const bool opened = openContext(url.c_str(), &dictionary, error);
    av_dict_free(&dictionary);
    return opened;
}

bool StreamInput::openReader(Reader reader, void* opaque, SourceError& error) {
    auto* buffer = static_cast<unsigned char*>(av_malloc(readerBufferSize));
    if (!buffer) {
        error = {"no-memory", "Out of memory."};
        return false;
    }
    m_reader = avio_alloc_context(buffer, readerBufferSize, 0, opaque, reader, nullptr, nullptr);
    if (!m_reader) {
        av_free(buffer);
        error = {"no-memory", "Out of memory."};
        return false;
    }
    m_network = false;
    m_guard.disarm();
    AVDictionary* dictionary = nullptr;
    // The name lets the HLS probe look at playlists too; nothing is opened by it.
    const bool opened = openContext("memory.m3u8", &dictionary, error);
    av_dict_free(&dictionary);
    return opened;
}

bool StreamInput::openContext(const char* url, AVDictionary** dictionary, SourceError& error) {
    m_context = avformat_alloc_context();
    if (!m_context) {
        error = {"no-memory", "Out of memory."};
        return false;
    }
    m_context->opaque = this;
    m_defaultOpen = m_context->io_open;
    m_context->io_open = &StreamInput::gate;
    m_context->interrupt_callback = {&StreamGuard::interruptCallback, &m_guard};
    if (m_reader) {
        m_context->pb = m_reader;
        m_context->flags |= AVFMT_FLAG_CUSTOM_IO;
    }
    av_dict_set(dictionary, "protocol_whitelist", protocols, 0);
    av_dict_set(dictionary, "format_whitelist", formats, 0);
    av_dict_set(dictionary, "codec_whitelist", decoders, 0);
    av_dict_set(dictionary, "max_streams", "16", 0);
    av_dict_set(dictionary, "probesize", "1000000", 0);
    av_dict_set(dictionary, "analyzeduration", "1000000", 0);

    m_guard.forgetMessage();
    int code = avformat_open_input(&m_context, url, nullptr, dictionary);
    if (code < 0) {
        // avformat_open_input() frees the context on failure.
        m_context = nullptr;
        error = describeStreamError(code, m_guard, StreamPhase::Connecting);
        return false;
    }
    for (unsigned i = 0; i < m_context->nb_streams; ++i) {
        const AVMediaType type = m_context->streams[i]->codecpar->codec_type;
        if (type != AVMEDIA_TYPE_AUDIO && type != AVMEDIA_TYPE_UNKNOWN) {
            m_context->streams[i]->discard = AVDISCARD_ALL;
        }
    }
    // Audio containers name their codec in the header, and the decoder learns the rest from
    // the frames; probing further would wait for a second or more of the stream. Only an
    // input that has not shown its audio yet is probed, under the read deadline.
    if (!hasKnownAudio(m_context)) {
        if (m_network) {
            m_guard.arm(m_options.readTimeout);
        }
        code = avformat_find_stream_info(m_context, nullptr);
        if (code < 0 && m_guard.interrupted()) {
            error = describeStreamError(code, m_guard, StreamPhase::Connecting);
            return false;
        }
    }
    // Probing may have tried decoders that are not allowed (video in a TS segment).
    m_guard.forgetMessage();
    return true;
}

bool StreamInput::finite() const {
    return m_context && m_context->duration != AV_NOPTS_VALUE && m_context->duration > 0;
}

int StreamInput::gate(AVFormatContext* context, AVIOContext** io, const char* url, int flags,
                      AVDictionary** options) {
    return static_cast<StreamInput*>(context->opaque)->admit(context, io, url, flags, options);
}

int StreamInput::admit(AVFormatContext* context, AVIOContext** io, const char* url, int flags,
                       AVDictionary** options) {
    if (!m_network) {
        m_guard.refuse("forbidden-url", "A stream read from memory asked to open \"" +
                                            StreamUrl::shortened(url ? url : "") + "\".");
        return AVERROR(EPERM);
    }
    SourceError refused;
    if (!url || !StreamUrl::check(url, refused)) {
        m_guard.refuse("forbidden-url", "The stream asked to open \"" +
                                            StreamUrl::shortened(url ? url : "") +
                                            "\", which is not an http or https address.");
        return AVERROR(EPERM);
    }
    if (flags & AVIO_FLAG_WRITE) {
        m_guard.refuse("forbidden-url",
                       "The stream asked to write to \"" + StreamUrl::shortened(url) + "\".");
        return AVERROR(EPERM);
    }
    AVDictionary* local = nullptr;
    AVDictionary** dictionary = options ? options : &local;
    av_dict_set(dictionary, "rw_timeout", micros(m_options.readTimeout).c_str(), 0);
    av_dict_set(dictionary, "timeout", micros(m_options.connectTimeout).c_str(), 0);
    av_dict_set(dictionary, "tls_verify", "1", 0);
    if (!m_options.caFile.empty() && access(m_options.caFile.c_str(), R_OK) == 0) {
        av_dict_set(dictionary, "ca_file", m_options.caFile.c_str(), 0);
    }
    // No Icecast metadata interleaved with the audio; no byte ranges, which some stream
    // servers answer badly; reconnecting is the recording session's business.
    av_dict_set(dictionary, "icy", "0", 0);
    av_dict_set(dictionary, "seekable", "0", 0);
    av_dict_set(dictionary, "reconnect", "0", 0);
    av_dict_set(dictionary, "user_agent", "Velto", 0);
    m_guard.beginRequest(m_options.maxRedirects);

    const int code = m_defaultOpen(context, io, url, flags, dictionary);
    av_dict_free(&local);
    if (code < 0) {
        return code;
    }
    // A station's home page instead of its stream is a common mistake: say so.
    uint8_t* mime = nullptr;
    av_opt_get(*io, "mime_type", AV_OPT_SEARCH_CHILDREN, &mime);
    const bool page = isWebPage(reinterpret_cast<const char*>(mime));
    av_free(mime);
    if (page) {
        avio_closep(io);
        m_guard.refuse("not-audio", "The server sent a web page (text/html), not an audio "
                                    "stream: is this the stream's own address?");
        return AVERROR_INVALIDDATA;
    }
    return code;
}

} // namespace velto
