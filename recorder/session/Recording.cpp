#include "session/Recording.h"

#include "output/PartRecovery.h"
#include "output/RecordingName.h"
#include "session/ProgrammeNote.h"

#include <algorithm>
#include <cmath>

namespace velto {

namespace {
using namespace std::chrono_literals;
constexpr double kRate = 48'000;
constexpr auto kReadTimeout = 500ms;
constexpr auto kReopenEvery = 2s;
constexpr double kSpaceCheckSeconds = 5;
// A start missed by less (a tuner's start-up) still counts as on time.
constexpr auto kLateTolerance = 2s;
// A finite source that ends this close to the end has ended with it (filters hold back a
// few milliseconds of a capture).
constexpr double kEndTolerance = 1.0;
// The file may trail the clock by this much while sound is late (a stream's next burst);
// beyond it, silence keeps the file with the clock and the late sound follows it.
constexpr std::uint64_t kMostBehind = std::uint64_t(kRate);
// Sound held ahead of the file: more than a stream's longest segments.
constexpr std::size_t kMostHeld = std::size_t(20 * kRate);

std::uint64_t framesBetween(Clock::TimePoint from, Clock::TimePoint to) {
    if (to <= from)
        return 0;
    return std::uint64_t(std::chrono::duration<double>(to - from).count() * kRate);
}

std::chrono::nanoseconds durationOf(std::size_t frames) {
    return std::chrono::nanoseconds(std::int64_t(double(frames) * 1e9 / kRate));
}

std::string wholeSeconds(Clock::TimePoint::duration d) {
    return std::to_string(std::chrono::duration_cast<std::chrono::seconds>(d).count());
}
} // namespace

Recording::Recording(Programme programme, RecordingContext context)
    : m_programme(std::move(programme)), m_context(context), m_backlog(kMostHeld) {}

bool Recording::pause(std::chrono::nanoseconds length) {
    Clock& clock = m_context.clock;
    const auto until =
        std::min(clock.now() + std::chrono::duration_cast<Clock::TimePoint::duration>(length),
                 m_programme.end);
    std::unique_lock lock(m_context.mutex);
    clock.waitUntil(lock, m_context.wake, until, [this] { return stopping(); });
    return !stopping() && clock.now() < m_programme.end;
}

void Recording::warn(const std::string& key, const std::string& text) {
    m_report.warnings.push_back({key, text});
    m_context.events.recordingWarning(m_programme, key, text);
}

void Recording::passOn(AudioSource& source) {
    for (const SourceError& warning : source.takeWarnings())
        warn(warning.key, warning.text);
}

void Recording::hold(const std::vector<float>& sound) {
    const std::size_t dropped = m_backlog.add(sound.data(), sound.size() / 2);
    if (dropped > 0 && !m_aheadWarned) {
        m_aheadWarned = true;
        warn("source-ahead", "The source delivered sound faster than it plays; what ran more "
                             "than " +
                                 std::to_string(kMostHeld / std::size_t(kRate)) +
                                 " s ahead was left out, so that the file keeps the clock's "
                                 "time line.");
    }
}

bool Recording::writeHeld(std::uint64_t upTo) {
    const std::uint64_t written = m_writer.frames();
    if (written >= upTo || m_backlog.frames() == 0)
        return true;
    const auto count = std::size_t(std::min<std::uint64_t>(m_backlog.frames(), upTo - written));
    FileError error;
    if (!m_writer.write(m_backlog.front(), count, error)) {
        m_stopKey = error.key;
        m_stopText = error.text;
        return false;
    }
    m_context.progress.level.add(m_backlog.front(), count);
    m_backlog.drop(count);
    m_context.progress.seconds.store(m_writer.seconds());
    return true;
}

bool Recording::keepUp(Clock::TimePoint now, bool sourceGone) {
    const std::uint64_t due = std::min(m_totalFrames, framesBetween(m_began, now));
    if (!writeHeld(due))
        return false;
    const std::uint64_t behind = due - std::min(due, m_writer.frames());
    if (behind == 0 || (!sourceGone && behind <= kMostBehind))
        return true;
    FileError error;
    if (!m_writer.writeSilence(std::size_t(behind), error)) {
        m_stopKey = error.key;
        m_stopText = error.text;
        return false;
    }
    m_context.progress.seconds.store(m_writer.seconds());
    return true;
}

bool Recording::reopen(AudioSource& source, SourceError& lost) {
    while (pause(kReopenEvery)) {
        // The file's time line goes on through the gap: what was held, then silence.
        if (!keepUp(m_context.clock.now(), true))
            return false;
        SourceError error;
        if (source.open(error)) {
            passOn(source);
            return true;
        }
        lost = error;
    }
    return false;
}

void Recording::checkSpace() {
    if (m_writer.frames() - m_checkedAt < std::uint64_t(kSpaceCheckSeconds * kRate))
        return;
    m_checkedAt = m_writer.frames();
    const auto free = m_context.freeSpace(m_context.settings.folder);
    if (free && *free < m_context.settings.stopBelowBytes) {
        m_stopKey = "disk-full";
        m_stopText = "Less than " + std::to_string(m_context.settings.stopBelowBytes / 1'000'000) +
                     " MB is free in " + m_context.settings.folder +
                     "; the recording stopped there and its file was kept.";
    }
}

RecordingReport Recording::run() {
    Clock& clock = m_context.clock;
    RecordingProgress& progress = m_context.progress;
    m_report.programme = m_programme;
    auto failed = [this](const std::string& key, const std::string& text) {
        m_report.result = RecordingResult::Failed;
        m_report.reasonKey = key;
        m_report.reasonText = text;
        return m_report;
    };
    if (clock.now() >= m_programme.end)
        return failed("already-over", "The programme had ended before it could be recorded.");

    SourceError error;
    auto source = m_context.makeSource(m_programme, error);
    if (!source)
        return failed(error.key.empty() ? "bad-source" : error.key, error.text);
    const bool opened = source->open(error);
    // Known once open: a station set to its stream when no receiver is found.
    m_report.sourceKind = source->kind();
    passOn(*source);
    if (!opened)
        return failed(error.key, error.text);

    // Before the start: the source runs (a tuner settles, a stream connects and is read as
    // it comes), its sound is not kept.
    std::vector<float> buffer;
    bool gone = false; // lost before the start and not back at it
    while (!gone && !stopping() && clock.now() < m_programme.start) {
        const auto left = m_programme.start - clock.now();
        const auto timeout = std::clamp(std::chrono::duration_cast<std::chrono::milliseconds>(left),
                                        1ms, std::chrono::milliseconds(kReadTimeout));
        buffer.clear();
        const ReadStatus status = source->read(buffer, timeout, error);
        clock.advance(buffer.empty() ? std::chrono::nanoseconds(timeout)
                                     : durationOf(buffer.size() / 2));
        passOn(*source);
        if (status != ReadStatus::Audio) {
            // Gone before the programme began: tried again at the start, then as any loss.
            source->close();
            if (pause(m_programme.start - clock.now())) {
                gone = !source->open(error);
                passOn(*source);
            }
        }
    }
    if (stopping())
        return failed("stopped", "The recorder was stopped before the programme began.");

    // A start reached a little late still begins the file at the start: its time line is
    // the programme's.
    const auto now = clock.now();
    m_began = now - m_programme.start <= kLateTolerance ? m_programme.start : now;
    m_totalFrames = framesBetween(m_began, m_programme.end);
    const bool late = m_began > m_programme.start;
    const int channels = m_programme.station.band == Band::AM && !source->stereo() ? 1 : 2;
    const EncoderSettings& encoder = m_context.settings.encoder;
    const int bitrate = channels == 1 ? encoder.monoBitrate : encoder.stereoBitrate;
    const auto expected = expectedBytes(bitrate, double(m_totalFrames) / kRate);
    const auto free = m_context.freeSpace(m_context.settings.folder);
    if (free && double(*free) < m_context.settings.spaceMargin * double(expected)) {
        warn("low-space", "Only " + std::to_string(*free / 1'000'000) + " MB is free in " +
                              m_context.settings.folder + "; this recording needs about " +
                              std::to_string(expected / 1'000'000 + 1) + " MB.");
    }

    RecordingTags tags;
    tags.title = tagText(m_programme.title);
    tags.date = localIsoTime(m_programme.start);
    tags.organization = tagText(m_programme.stationName);
    tags.comment = m_programme.station.describe() + " (CH " +
                   std::to_string(m_programme.station.channel) + ")";
    FileError fileError;
    if (!m_writer.open(m_context.settings.folder,
                       recordingStem(m_programme.start, m_programme.title), channels, encoder, tags,
                       fileError)) {
        source->close();
        return failed(fileError.key, fileError.text);
    }
    // Kept beside the ".part" so that, should the recorder be killed, the file finished at
    // the next start can still be reported for this programme.
    const std::string partPath = m_writer.partPath();
    if (std::string why;
        !writeProgrammeNote(partPath, programmeNoteText(m_programme, source->kind()), why))
        warn("note-unwritten", why + " Should the recorder stop during it, what becomes of "
                                     "this recording cannot be reported.");
    m_context.events.recordingStarted({m_programme, partPath, source->kind(), channels});

    std::string lostText;
    bool reading = true;
    if (gone) {
        ++m_report.dropouts;
        progress.dropouts.store(m_report.dropouts);
        lostText = error.text;
        reading = reopen(*source, error);
    }
    auto quiet = std::chrono::nanoseconds::zero();
    while (reading && !stopping() && m_stopKey.empty()) {
        if (m_writer.frames() >= m_totalFrames || clock.now() >= m_programme.end)
            break;
        const auto timeout = std::clamp(
            std::chrono::duration_cast<std::chrono::milliseconds>(m_programme.end - clock.now()),
            1ms, std::chrono::milliseconds(kReadTimeout));
        buffer.clear();
        ReadStatus status = source->read(buffer, timeout, error);
        if (!buffer.empty()) {
            hold(buffer);
            clock.advance(durationOf(buffer.size() / 2));
            quiet = std::chrono::nanoseconds::zero();
        } else if (status == ReadStatus::Audio) {
            clock.advance(timeout);
            quiet += timeout;
            if (quiet >= source->longestQuiet()) {
                status = ReadStatus::Lost;
                error = {"source-stalled", "The source delivered nothing for " +
                                               wholeSeconds(source->longestQuiet()) + " seconds."};
            }
        }
        progress.stereo.store(source->stereo());
        passOn(*source);
        if (status == ReadStatus::Finished) {
            // A finite source's last sound goes in whole; the file ends with it.
            writeHeld(m_totalFrames);
            const double missing = double(m_totalFrames - m_writer.frames()) / kRate;
            if (missing > kEndTolerance && m_stopKey.empty()) {
                m_stopKey = error.key.empty() ? "source-ended" : error.key;
                m_stopText = error.text.empty() ? "The source ended early." : error.text;
            }
            break;
        }
        if (!keepUp(clock.now(), false))
            break;
        checkSpace();
        if (status == ReadStatus::Lost) {
            ++m_report.dropouts;
            progress.dropouts.store(m_report.dropouts);
            lostText = error.text;
            source->close();
            if (!reopen(*source, error))
                break;
            quiet = std::chrono::nanoseconds::zero();
        }
    }
    source->close();
    if (stopping() && m_stopKey.empty()) {
        m_stopKey = "stopped";
        m_stopText = "The recorder was stopped before the programme's end.";
    }
    // To the end: the time line ends where the programme does.
    if (m_stopKey.empty())
        keepUp(m_programme.end, true);

    std::string path;
    if (!m_writer.finish(path, fileError) && m_stopKey.empty()) {
        m_stopKey = fileError.key;
        m_stopText = fileError.text;
    }
    // This report tells the manager what became of the programme: the note is not needed.
    removeProgrammeNote(partPath);
    m_report.file = path;
    m_report.seconds = m_writer.seconds();
    progress.seconds.store(m_report.seconds);
    if (m_report.seconds <= 0) {
        m_report.result = RecordingResult::Failed;
        m_report.reasonKey = m_stopKey.empty() ? "stopped" : m_stopKey;
        m_report.reasonText = m_stopText;
    } else if (!m_stopKey.empty()) {
        m_report.result = RecordingResult::Partial;
        m_report.reasonKey = m_stopKey;
        m_report.reasonText = m_stopText;
    } else if (m_report.dropouts > 0) {
        m_report.result = RecordingResult::Partial;
        m_report.reasonKey = "source-lost";
        m_report.reasonText = "The source was lost " + std::to_string(m_report.dropouts) +
                              (m_report.dropouts == 1 ? " time" : " times") +
                              "; the gaps are silent in the file. " + lostText;
    } else if (late) {
        m_report.result = RecordingResult::Partial;
        m_report.reasonKey = "started-late";
        m_report.reasonText = "The recording began " + wholeSeconds(m_began - m_programme.start) +
                              " s after the programme's start.";
    } else {
        m_report.result = RecordingResult::Recorded;
    }
    return m_report;
}

} // namespace velto
