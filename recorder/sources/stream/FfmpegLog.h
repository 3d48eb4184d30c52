#pragma once

namespace velto {

class StreamGuard;

// FFmpeg's log, taken over once for the process. Messages from a thread bound to a stream
// go to that stream's guard: errors become the detail of a refusal, HTTP response traces
// feed the redirect watch. Other threads' errors go to FFmpeg's usual output.
class FfmpegLog {
public:
    // Also initialises FFmpeg's networking (TLS). Idempotent, thread-safe.
    static void install();

    // Binds the calling thread's FFmpeg messages to `guard` while it lives.
    class Scope {
    public:
        explicit Scope(StreamGuard& guard);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        StreamGuard* m_previous;
    };
};

} // namespace velto
