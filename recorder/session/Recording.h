#pragma once
#include "dsp/LevelMeter.h"
#include "session/Clock.h"
#include "session/FreeSpace.h"
#include "session/RecordingReport.h"
#include "session/SessionEvents.h"
#include "session/SessionSettings.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace velto {

// How far a recording has come, read by the window from any thread.
struct RecordingProgress {
    std::atomic<double> seconds{0};
    std::atomic<int> dropouts{0};
    std::atomic<bool> stereo{false};
    LevelMeter level;
};

// What a recording works with; the session's.
struct RecordingContext {
    Clock& clock;
    const SessionSettings& settings;
    const SourceMaker& makeSource;
    const FreeSpaceProbe& freeSpace;
    SessionEvents& events;
    // The session's lock and wake-up, for waits that a stop must cut short.
    std::mutex& mutex;
    std::condition_variable& wake;
    const std::atomic<bool>& stop;
    RecordingProgress& progress;
};

// One programme from its source into its file, the file's time line kept the clock's: a
// source lost is reopened every 2 s until the end, the gap filled with silence, each loss
// counted. Whatever goes wrong, what was written is kept and the report says why.
class Recording {
public:
    Recording(Programme programme, RecordingContext context);
    RecordingReport run();

private:
    bool pause(std::chrono::nanoseconds length);
    bool reopen(AudioSource& source, SourceError& lost);
    bool fillTo(Clock::TimePoint when);
    void checkSpace();
    bool stopping() const { return m_context.stop.load(); }

    Programme m_programme;
    RecordingContext m_context;
    RecordingReport m_report;
    OpusFileWriter m_writer;
    Clock::TimePoint m_began;        // the file's first sample
    std::uint64_t m_totalFrames = 0; // from m_began to the end
    std::uint64_t m_checkedAt = 0;   // frames when the free space was last looked at
    std::string m_stopKey;           // why it ended before the end
    std::string m_stopText;
};

} // namespace velto
