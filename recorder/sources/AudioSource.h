// recorder/sources/AudioSource.h
#pragma once
#include <chrono>
#include <string>
#include <vector>

namespace velto {

// Why a source could not open or went away: a short English key ("no-receiver",
// "device-busy", "connection-lost", …) for programs, and an English sentence for people.
struct SourceError {
    std::string key;
    std::string text;
};

enum class ReadStatus { Audio, Lost, Finished };

// A programme's sound as 48 kHz interleaved stereo float samples in [-1, 1].
class AudioSource {
public:
    virtual ~AudioSource() = default;
    // Connects or tunes; returns within a bounded time.
    virtual bool open(SourceError& error) = 0;
    // Appends at most a few hundred milliseconds of frames to `out`, waiting at most
    // `timeout` (nothing appended on a timeout). Lost: the device or connection is gone
    // (the caller reopens). Finished: a finite input ended.
    virtual ReadStatus read(std::vector<float>& out, std::chrono::milliseconds timeout,
                            SourceError& error) = 0;
    virtual void close() = 0;
    // Whether the programme currently comes in stereo (FM pilot, stream channels).
    virtual bool stereo() const = 0;
    // "receiver" or "stream", for the report.
    virtual const char* kind() const = 0;
    // How long the source may deliver nothing while all is well: a receiver's sound flows
    // steadily; a stream's comes in bursts, and the stream watches its own deadlines.
    virtual std::chrono::milliseconds longestQuiet() const { return std::chrono::seconds(2); }
    // What the report should mention while the recording goes on ("no-signal"), each once;
    // asked on the thread that reads.
    virtual std::vector<SourceError> takeWarnings() { return {}; }
};

} // namespace velto
