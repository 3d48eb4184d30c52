#pragma once
#include "sources/AudioSource.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <vector>

namespace velto {

// Decoded audio between the worker that reads the stream and the caller of read(): a ring
// of samples with a fixed capacity, and the worker's last word (Lost or Finished, why),
// which the reader gets once the audio before it is taken.
class SampleQueue {
public:
    explicit SampleQueue(std::size_t capacity);

    // Worker: waits while the queue is full; false once stopped.
    bool push(const float* samples, std::size_t count);
    // Worker: the end of the stream, after the audio pushed so far.
    void finish(ReadStatus status, SourceError error);
    // Caller: wakes and refuses a waiting push (close()).
    void stop();

    // Caller: waits up to `timeout` for audio or the end; appends at most `maxSamples`.
    // Audio with nothing appended is a timeout.
    ReadStatus pop(std::vector<float>& out, std::size_t maxSamples,
                   std::chrono::milliseconds timeout, SourceError& error);

private:
    std::mutex m_mutex;
    std::condition_variable m_readable;
    std::condition_variable m_writable;
    std::vector<float> m_ring;
    std::size_t m_head = 0;
    std::size_t m_size = 0;
    bool m_stopped = false;
    bool m_finished = false;
    ReadStatus m_status = ReadStatus::Lost;
    SourceError m_error;
};

} // namespace velto
