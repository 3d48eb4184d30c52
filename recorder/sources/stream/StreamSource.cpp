#include "sources/stream/StreamSource.h"

#include "sources/stream/FfmpegLog.h"
#include "sources/stream/SampleQueue.h"
#include "sources/stream/StreamDecoder.h"
#include "sources/stream/StreamError.h"
#include "sources/stream/StreamGuard.h"
#include "sources/stream/StreamInput.h"
#include "sources/stream/StreamResampler.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

extern "C" {
#include <libavutil/error.h>
}

namespace velto {

namespace {

using namespace std::chrono_literals;

// read() hands out at most this much at a time.
constexpr std::size_t maxReadSamples = StreamResampler::outputRate / 5 * 2;
// How long close() waits for the worker to notice the stop.
constexpr auto closeGrace = 2s;
// open() waits for the worker's deadlines plus this, for what no deadline reaches.
constexpr auto openSlack = 2s;

std::size_t samplesIn(std::chrono::milliseconds length) {
    return static_cast<std::size_t>(length.count()) * StreamResampler::outputRate / 1000 * 2;
}

std::string seconds(std::chrono::milliseconds length) {
    return std::to_string((length.count() + 500) / 1000);
}

} // namespace

struct StreamSource::Shared {
    explicit Shared(std::size_t capacity) : queue(capacity) {}

    enum class Opening { Pending, Opened, Failed };

    void opened(bool ok, const SourceError& why) {
        std::lock_guard lock(mutex);
        opening = ok ? Opening::Opened : Opening::Failed;
        openError = why;
        changed.notify_all();
    }

    void ended() {
        std::lock_guard lock(mutex);
        done = true;
        changed.notify_all();
    }

    StreamGuard guard;
    SampleQueue queue;
    std::atomic<bool> stereo{false};

    std::mutex mutex;
    std::condition_variable changed;
    Opening opening = Opening::Pending;
    SourceError openError;
    bool done = false;
};

StreamSource::StreamSource(std::string url, StreamOptions options)
    : m_url(std::move(url)), m_options(std::move(options)) {
    FfmpegLog::install();
}

StreamSource::~StreamSource() {
    close();
}

bool StreamSource::open(SourceError& error) {
    close();
    auto shared = std::make_shared<Shared>(samplesIn(m_options.bufferLength));
    m_shared = shared;
    m_worker = std::thread(&StreamSource::run, shared, m_url, m_options);

    std::unique_lock lock(shared->mutex);
    const auto limit = m_options.connectTimeout + m_options.readTimeout + openSlack;
    shared->changed.wait_for(lock, limit,
                             [&] { return shared->opening != Shared::Opening::Pending; });
    const Shared::Opening outcome = shared->opening;
    const SourceError why = shared->openError;
    lock.unlock();
    if (outcome == Shared::Opening::Opened) {
        return true;
    }
    error = outcome == Shared::Opening::Failed
                ? why
                : SourceError{"timeout", "The server did not answer with a stream within " +
                                             seconds(limit) + " s."};
    close();
    return false;
}

ReadStatus StreamSource::read(std::vector<float>& out, std::chrono::milliseconds timeout,
                              SourceError& error) {
    if (!m_shared) {
        error = {"not-open", "The stream is not open."};
        return ReadStatus::Lost;
    }
    return m_shared->queue.pop(out, maxReadSamples, timeout, error);
}

void StreamSource::close() {
    if (!m_shared) {
        return;
    }
    m_shared->guard.stop();
    m_shared->queue.stop();
    if (m_worker.joinable()) {
        std::unique_lock lock(m_shared->mutex);
        const bool done =
            m_shared->changed.wait_for(lock, closeGrace, [&] { return m_shared->done; });
        lock.unlock();
        if (done) {
            m_worker.join();
        } else {
            m_worker.detach();
        }
    }
    m_shared.reset();
}

bool StreamSource::stereo() const {
    return m_shared && m_shared->stereo.load(std::memory_order_relaxed);
}

void StreamSource::run(std::shared_ptr<Shared> shared, std::string url, StreamOptions options) {
    FfmpegLog::Scope scope(shared->guard);
    {
        StreamInput input(shared->guard);
        StreamDecoder decoder;
        SourceError error;
        if (!input.openUrl(url, options, error) || !decoder.open(input.context(), error)) {
            shared->opened(false, error);
            shared->queue.finish(ReadStatus::Lost, error);
            shared->ended();
            return;
        }
        shared->opened(true, {});

        std::vector<float> audio;
        shared->guard.arm(options.readTimeout);
        for (;;) {
            audio.clear();
            const StreamDecoder::Step step = decoder.step(audio, error);
            if (!audio.empty()) {
                shared->stereo.store(decoder.stereo(), std::memory_order_relaxed);
                if (!shared->queue.push(audio.data(), audio.size())) {
                    break;
                }
                // The deadline counts from the last audio taken, not from a wait for room.
                shared->guard.arm(options.readTimeout);
            }
            if (shared->guard.stopped()) {
                break;
            }
            if (step == StreamDecoder::Step::End) {
                if (input.finite()) {
                    shared->queue.finish(ReadStatus::Finished, {});
                } else {
                    shared->queue.finish(ReadStatus::Lost,
                                         {"connection-lost", "The server ended the stream."});
                }
                break;
            }
            // Packets that are not audio (other streams, damage) do not hold the deadline
            // off; FFmpeg's next wait would notice it too.
            const bool starved = step == StreamDecoder::Step::Nothing && shared->guard.expired();
            if (step == StreamDecoder::Step::Failed || starved) {
                if (error.key.empty()) {
                    error = describeStreamError(starved ? AVERROR_EXIT : decoder.failureCode(),
                                                shared->guard, StreamPhase::Reading);
                    if (error.key == "stalled" && decoder.badPackets() > 0) {
                        error.text = "The stream sent nothing that could be decoded for " +
                                     seconds(options.readTimeout) + " s.";
                    }
                }
                shared->queue.finish(ReadStatus::Lost, error);
                break;
            }
        }
    }
    shared->ended();
}

} // namespace velto
