// The tuner's signal, asked on a thread of its own: some drivers hold VIDIOC_G_TUNER for
// their USB timeout (up to 10 s), and the reader of the sound must keep its deadline.
#pragma once

#include "sources/tuner/RadioTuner.h"

#include <chrono>
#include <memory>
#include <optional>

namespace velto {

class RadioSignalWatch {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    // One answer of the tuner, and when it was asked for.
    struct Reading {
        TimePoint asked;
        bool answered = false; // false: `problem` says why not
        RadioStatus status;
        SourceError problem;
    };

    // The tuner is shared with the watch's thread, which may outlive the watch (below).
    explicit RadioSignalWatch(std::shared_ptr<RadioTuner> tuner);
    // Stops the thread (see stop()).
    ~RadioSignalWatch();
    RadioSignalWatch(const RadioSignalWatch&) = delete;
    RadioSignalWatch& operator=(const RadioSignalWatch&) = delete;

    // Asks for a reading unless one is under way, and waits at most `wait` for it (a
    // healthy tuner answers in milliseconds). False when the last one is still under way.
    bool request(TimePoint asked, std::chrono::milliseconds wait);
    // The newest reading not taken yet.
    std::optional<Reading> take();
    // Ends the thread. True when it ended within `grace`; false when it is still inside the
    // driver and was left to end by itself, keeping its share of the tuner until then.
    bool stop(std::chrono::milliseconds grace);

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};

} // namespace velto
