#pragma once
#include "sources/AudioSource.h"
#include "sources/stream/StreamOptions.h"

#include <cstdint>
#include <string>

struct AVFormatContext;
struct AVIOContext;
struct AVDictionary;

namespace velto {

class StreamGuard;

// The demuxer side of a stream: an AVFormatContext opened either on an http(s) address,
// with every address it opens later (redirect targets, playlists, segments) passing one
// gate, or on bytes from a reader (the fuzzer, the benchmarks), where no address opens.
//
// The gate admits http and https only, adds the fetch options (TLS verification, I/O
// timeouts, no Icecast metadata) to each request, and turns away web pages. FFmpeg's own
// whitelists (protocols, formats, decoders) back it up, also inside HLS.
class StreamInput {
public:
    using Reader = int (*)(void* opaque, std::uint8_t* buffer, int size);

    explicit StreamInput(StreamGuard& guard);
    ~StreamInput();
    StreamInput(const StreamInput&) = delete;
    StreamInput& operator=(const StreamInput&) = delete;

    // Connects within options.connectTimeout and finds the streams within
    // options.readTimeout.
    bool openUrl(const std::string& url, const StreamOptions& options, SourceError& error);
    bool openReader(Reader reader, void* opaque, SourceError& error);

    AVFormatContext* context() const { return m_context; }
    // Whether the input has a known end (a file, an HLS playlist that is complete), so
    // that reaching it is Finished and not a lost connection.
    bool finite() const;

private:
    bool openContext(const char* url, AVDictionary** options, SourceError& error);
    static int gate(AVFormatContext* context, AVIOContext** io, const char* url, int flags,
                    AVDictionary** options);
    int admit(AVFormatContext* context, AVIOContext** io, const char* url, int flags,
              AVDictionary** options);

    StreamGuard& m_guard;
    StreamOptions m_options;
    bool m_network = false;
    AVFormatContext* m_context = nullptr;
    AVIOContext* m_reader = nullptr;
    int (*m_defaultOpen)(AVFormatContext*, AVIOContext**, const char*, int,
                         AVDictionary**) = nullptr;
};

} // namespace velto
