#pragma once
#include "sources/AudioSource.h"
#include "sources/stream/StreamOptions.h"

#include <memory>
#include <string>
#include <thread>

namespace velto {

// A station's internet stream (http/https: MP3, AAC, Ogg Opus/Vorbis, FLAC, or HLS) as an
// AudioSource.
//
// One worker thread per open() does all of FFmpeg's blocking work: connecting, reading,
// decoding, resampling into a bounded SampleQueue. Each FFmpeg call runs under a
// StreamGuard deadline (connectTimeout to connect, readTimeout for each wait for audio), so
// a silent server ends in Lost ("stalled"); read() only waits on the queue, never on the
// network, and so always returns within its timeout. open() waits for the worker's first
// answer, bounded as well, since a name lookup cannot be interrupted. close() stops the
// worker and waits briefly; a worker stuck in a name lookup is left to finish on its own,
// owning everything it uses. open() after Lost (or Finished) starts afresh. The methods are
// called from one thread, the recording session's.
class StreamSource : public AudioSource {
public:
    explicit StreamSource(std::string url, StreamOptions options = {});
    ~StreamSource() override;

    bool open(SourceError& error) override;
    ReadStatus read(std::vector<float>& out, std::chrono::milliseconds timeout,
                    SourceError& error) override;
    void close() override;
    bool stereo() const override;
    const char* kind() const override { return "stream"; }
    // Segments come in bursts; a stall ends in Lost at the read deadline.
    std::chrono::milliseconds longestQuiet() const override {
        return m_options.readTimeout + std::chrono::seconds(2);
    }

    const std::string& url() const { return m_url; }

private:
    struct Shared;
    static void run(std::shared_ptr<Shared> shared, std::string url, StreamOptions options);

    std::string m_url;
    StreamOptions m_options;
    std::shared_ptr<Shared> m_shared;
    std::thread m_worker;
};

} // namespace velto
