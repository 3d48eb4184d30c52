#pragma once
#include "dsp/LevelMeter.h"
#include "session/AudioBacklog.h"
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

// One programme from its source into its file, the file's time line kept the clock's: the
// file spans the programme's time by the clock, whatever the source's own pace (a stream's
// bursts are held and written as the clock goes; where nothing came, silence); a source
// lost is reopened every 2 s until the end, the gap filled with silence, each loss counted.
// Whatever goes wrong, what was written is kept and the report says why.
class Recording {
public:
    Recording(Programme programme, RecordingContext context);
    RecordingReport run();

private:
    bool pause(std::chrono::nanoseconds length);
    bool reopen(AudioSource& source, SourceError& lost);
    bool writeHeld(std::uint64_t upTo);
    // Brings the file up to `now`: held sound first, then silence where the file trails
    // the clock by too much, or wherever nothing came once the source is gone.
    bool keepUp(Clock::TimePoint now, bool sourceGone);
    void hold(const std::vector<float>& sound);
    void passOn(AudioSource& source);
    void warn(const std::string& key, const std::string& text);
    void checkSpace();
    bool stopping() const { return m_context.stop.load(); }

    Programme m_programme;
    RecordingContext m_context;
    RecordingReport m_report;
    OpusFileWriter m_writer;
    AudioBacklog m_backlog;
    bool m_aheadWarned = false;
    Clock::TimePoint m_began;        // the file's first sample
    std::uint64_t m_totalFrames = 0; // from m_began to the end
    std::uint64_t m_checkedAt = 0;   // frames when the free space was last looked at
    std::string m_stopKey;           // why it ended before the end
    std::string m_stopText;
};

} // namespace velto
