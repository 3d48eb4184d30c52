// The session on virtual time: the queue and its overlaps, starts and ends already past,
// sources that fail in every way, the free space, a stop; each file decoded and measured.
#include "session/Session.h"
#include "FakeSource.h"
#include "OpusTools.h"
#include "SignalAnalysis.h"
#include "TempFolder.h"
#include "session/VirtualClock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>

using namespace velto;
using namespace velto::test;
using namespace std::chrono_literals;

namespace {

// 2025-03-01 11:00:00 UTC.
const Clock::TimePoint kT0 = std::chrono::system_clock::from_time_t(1740826800);

Programme programme(const std::string& title, std::chrono::seconds start, std::chrono::seconds end,
                    Band band = Band::FM) {
    Programme p;
    p.title = title;
    p.station = {band, band == Band::FM ? 8000 : 594};
    p.start = kT0 + start;
    p.end = kT0 + end;
    p.stationName = "Radio Velto";
    return p;
}

struct Events final : SessionEvents {
    explicit Events(Clock& sessionClock) : clock(sessionClock) {}
    void recordingStarted(const RecordingStarted& event) override {
        std::lock_guard lock(mutex);
        started.push_back(event);
    }
    void recordingWarning(const Programme&, const std::string& key, const std::string&) override {
        std::lock_guard lock(mutex);
        warnings.push_back(key);
    }
    void recordingFinished(const RecordingReport& report) override {
        std::lock_guard lock(mutex);
        finished.push_back(report);
        finishedAt.push_back(clock.now());
    }
    Clock& clock;
    std::mutex mutex;
    std::vector<RecordingStarted> started;
    std::vector<std::string> warnings;
    std::vector<RecordingReport> finished;
    std::vector<Clock::TimePoint> finishedAt;
};

// A session on virtual time at kT0 writing into a folder of its own; each programme's
// source follows the script under its title.
struct Harness {
    explicit Harness(
        std::map<std::string, FakeScript> scriptsByTitle = {},
        FreeSpaceProbe space =
            [](const std::string&) { return std::optional<std::uint64_t>(10'000'000'000); },
        SessionSettings settings = {})
        : clock(kT0), events(clock), scripts(std::move(scriptsByTitle)) {
        settings.folder = folder.path().string();
        session = std::make_unique<Session>(
            clock,
            [this](const Programme& p, SourceError&) {
                return std::make_unique<FakeSource>(this->scripts[p.title]);
            },
            settings, events, std::move(space));
    }
    const RecordingReport& report(const std::string& title) {
        for (const auto& r : events.finished)
            if (r.programme.title == title)
                return r;
        static const RecordingReport none;
        ADD_FAILURE() << "no report for " << title;
        return none;
    }
    TempFolder folder;
    VirtualClock clock;
    Events events;
    std::map<std::string, FakeScript> scripts;
    std::unique_ptr<Session> session;
};

// The decoded file is as long as the report says and as the clock says.
void expectFileOf(const RecordingReport& report, double seconds, double tolerance = 0.01) {
    SCOPED_TRACE(report.programme.title);
    EXPECT_NEAR(report.seconds, seconds, tolerance);
    ASSERT_FALSE(report.file.empty());
    EXPECT_EQ(report.file.substr(report.file.size() - 5), ".opus");
    const Decoded decoded = decodeOpus(report.file);
    ASSERT_TRUE(decoded.ok);
    EXPECT_NEAR(decoded.seconds(), seconds, 1.0);
}

// Tone level in one second of a decoded file.
double toneAt(const Decoded& decoded, double second) {
    std::vector<float> slice;
    const auto begin = std::size_t(second * 48'000) * decoded.channels;
    for (std::size_t i = begin; i < begin + 48'000 * decoded.channels && i < decoded.samples.size();
         i += decoded.channels)
        slice.push_back(decoded.samples[i]);
    return toneAmplitude(slice, 1000);
}

} // namespace

TEST(Session, QueuedProgrammesRecordOneAtATimeAndAnOverlapRecordsWhatIsLeft) {
    FakeScript mono;
    mono.stereo = false;
    Harness h({{"D", mono}});
    // B overlaps A and records from A's end; C lies wholly inside A's time; D (AM) follows.
    EXPECT_TRUE(h.session->enqueue(programme("B", 40s, 100s)));
    EXPECT_TRUE(h.session->enqueue(programme("A", 10s, 70s)));
    EXPECT_TRUE(h.session->enqueue(programme("C", 50s, 65s)));
    EXPECT_TRUE(h.session->enqueue(programme("D", 120s, 130s, Band::AM)));
    h.session->waitUntilIdle();

    ASSERT_EQ(h.events.finished.size(), 4u);
    std::vector<std::string> order;
    for (const auto& r : h.events.finished)
        order.push_back(r.programme.title);
    EXPECT_EQ(order, (std::vector<std::string>{"A", "B", "C", "D"}));

    const auto& a = h.report("A");
    EXPECT_EQ(a.result, RecordingResult::Recorded);
    EXPECT_EQ(a.reasonKey, "");
    EXPECT_EQ(a.sourceKind, "receiver");
    EXPECT_EQ(a.dropouts, 0);
    expectFileOf(a, 60);
    const auto& b = h.report("B");
    EXPECT_EQ(b.result, RecordingResult::Partial);
    EXPECT_EQ(b.reasonKey, "started-late");
    expectFileOf(b, 30);
    const auto& c = h.report("C");
    EXPECT_EQ(c.result, RecordingResult::Failed);
    EXPECT_EQ(c.reasonKey, "overlapped");
    EXPECT_NE(c.reasonText.find("\"A\""), std::string::npos);
    EXPECT_TRUE(c.file.empty());
    const auto& d = h.report("D");
    EXPECT_EQ(d.result, RecordingResult::Recorded);
    expectFileOf(d, 10);

    ASSERT_EQ(h.events.started.size(), 3u);
    EXPECT_EQ(h.events.started[0].channels, 2);
    EXPECT_EQ(h.events.started[2].channels, 1); // AM from a mono source: a mono file
}

TEST(Session, AStartAlreadyPastRecordsFromNowAndWhatCannotBeRecordedIsRefusedAtOnce) {
    Harness h;
    // Refused at once, before anything else happens.
    auto outsideFm = programme("Outside", 10s, 20s);
    outsideFm.station.channel = 12345;
    auto outsideAm = programme("Outside", 10s, 20s, Band::AM);
    outsideAm.station.channel = 100;
    const struct {
        Programme programme;
        const char* key;
    } refused[] = {{programme("Over", -60s, -10s), "already-over"},
                   {programme("Backwards", 20s, 10s), "bad-times"},
                   {outsideFm, "bad-channel"},
                   {outsideAm, "bad-channel"}};
    for (const auto& r : refused) {
        SCOPED_TRACE(r.key);
        EXPECT_FALSE(h.session->enqueue(r.programme));
        ASSERT_FALSE(h.events.finished.empty());
        EXPECT_EQ(h.events.finished.back().reasonKey, r.key);
        EXPECT_EQ(h.events.finished.back().result, RecordingResult::Failed);
    }
    EXPECT_EQ(h.events.finished.size(), std::size(refused));

    EXPECT_TRUE(h.session->enqueue(programme("Late", -30s, 30s)));
    h.session->waitUntilIdle();
    const auto& late = h.report("Late");
    EXPECT_EQ(late.result, RecordingResult::Partial);
    EXPECT_EQ(late.reasonKey, "started-late");
    expectFileOf(late, 30);
    // Named by the programme's start, as handed over.
    EXPECT_NE(late.file.find(" Late.opus"), std::string::npos);
}

TEST(Session, SourceFaultsAreCountedFilledWithSilenceAndReported) {
    struct Case {
        const char* name;
        FakeScript script;
        RecordingResult result;
        const char* key;
        int dropouts; // -1: at least one
        double seconds;
    };
    // Scripts count the sound delivered, the 5 s before the start included.
    FakeScript lostAndBack;
    lostAndBack.loseAt = 15;
    lostAndBack.failedReopens = 2; // back at the third try, 6 s later
    FakeScript lostForGood;
    lostForGood.loseAt = 25;
    lostForGood.neverBack = true;
    FakeScript endsEarly;
    endsEarly.finishAt = 30;
    FakeScript stalls;
    stalls.stallAt = 35;
    FakeScript neverOpens;
    neverOpens.neverOpens = true;
    const Case cases[] = {
        {"lost and back", lostAndBack, RecordingResult::Partial, "source-lost", 1, 60},
        {"lost for good", lostForGood, RecordingResult::Partial, "source-lost", 1, 60},
        {"ends early", endsEarly, RecordingResult::Partial, "capture-ended", 0, 25},
        {"stalls", stalls, RecordingResult::Partial, "source-lost", -1, 60},
        {"never opens", neverOpens, RecordingResult::Failed, "no-receiver", 0, 0},
    };
    std::map<std::string, FakeScript> scripts;
    for (const Case& c : cases)
        scripts[c.name] = c.script;
    scripts["next"] = {};
    Harness h(scripts);
    std::chrono::seconds at = 10s;
    for (const Case& c : cases) {
        h.session->enqueue(programme(c.name, at, at + 60s));
        at += 100s;
    }
    h.session->enqueue(programme("next", at, at + 10s));
    h.session->waitUntilIdle();

    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        const auto& r = h.report(c.name);
        EXPECT_EQ(r.result, c.result);
        EXPECT_EQ(r.reasonKey, c.key);
        EXPECT_FALSE(r.reasonText.empty());
        if (c.dropouts >= 0)
            EXPECT_EQ(r.dropouts, c.dropouts);
        else
            EXPECT_GE(r.dropouts, 1);
        if (c.seconds > 0) {
            expectFileOf(r, c.seconds);
        } else {
            EXPECT_TRUE(r.file.empty());
            // Reported at once, not at the programme's end.
            EXPECT_LT(h.events.finishedAt[i], r.programme.end);
        }
    }
    // The gap of "lost and back" (10 s to 16 s) is silent, the sound around it is not.
    const Decoded gap = decodeOpus(h.report("lost and back").file);
    EXPECT_GT(toneAt(gap, 5), 0.3);
    EXPECT_LT(toneAt(gap, 12.5), 0.01);
    EXPECT_GT(toneAt(gap, 20), 0.3);
    // Whatever failed before, the next programme records.
    EXPECT_EQ(h.report("next").result, RecordingResult::Recorded);
}

TEST(Session, LittleSpaceWarnsBeforeAndTooLittleStopsWithAPlayableFile) {
    struct Case {
        const char* name;
        std::uint64_t before; // free bytes before the start
        std::uint64_t during; // free bytes from 20 s into the recording
        std::uint64_t stopBelow;
        bool warning;
        RecordingResult result;
        const char* key;
    };
    const Case cases[] = {
        {"plenty", 10'000'000'000, 10'000'000'000, 50'000'000, false, RecordingResult::Recorded,
         ""},
        {"disk fills", 10'000'000'000, 40'000'000, 50'000'000, false, RecordingResult::Partial,
         "disk-full"},
        // 60 s at 96 kbit/s is about 0.73 MB; 1.5 times that is more than 1 MB.
        {"short of room", 1'000'000, 1'000'000, 100'000, true, RecordingResult::Recorded, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VirtualClock* clock = nullptr;
        const auto recordingFrom = kT0 + 20s;
        SessionSettings settings;
        settings.stopBelowBytes = c.stopBelow;
        Harness h(
            {},
            [&](const std::string&) {
                return std::optional<std::uint64_t>(clock->now() >= recordingFrom + 20s ? c.during
                                                                                        : c.before);
            },
            settings);
        clock = &h.clock;
        h.session->enqueue(programme("Show", 20s, 80s));
        h.session->waitUntilIdle();
        const auto& r = h.report("Show");
        EXPECT_EQ(r.result, c.result);
        EXPECT_EQ(r.reasonKey, c.key);
        EXPECT_EQ(h.events.warnings,
                  c.warning ? std::vector<std::string>{"low-space"} : std::vector<std::string>{});
        if (c.result == RecordingResult::Partial) {
            // Stopped at the first look after the disk filled (every 5 s), file finished.
            EXPECT_GE(r.seconds, 20.0);
            EXPECT_LE(r.seconds, 26.0);
            expectFileOf(r, r.seconds);
            EXPECT_TRUE(inspectOpus(r.file).clean);
        } else {
            expectFileOf(r, 60);
        }
    }
}

TEST(Session, StoppingKeepsTheFileAndReportsWhatWaited) {
    Session* session = nullptr;
    FakeScript stopAt15;
    stopAt15.onRead = [&session](double seconds) {
        if (seconds >= 15)
            session->stop();
    };
    Harness h({{"Now", stopAt15}});
    session = h.session.get();
    h.session->enqueue(programme("Now", 0s, 60s));
    h.session->enqueue(programme("Later", 100s, 160s));
    h.session->waitUntilIdle();
    const auto& now = h.report("Now");
    EXPECT_EQ(now.result, RecordingResult::Partial);
    EXPECT_EQ(now.reasonKey, "stopped");
    expectFileOf(now, 15, 0.2);
    const auto& later = h.report("Later");
    EXPECT_EQ(later.result, RecordingResult::Failed);
    EXPECT_EQ(later.reasonKey, "stopped");
    // No ".part" is left behind.
    for (const auto& entry : std::filesystem::directory_iterator(h.folder.path()))
        EXPECT_EQ(entry.path().extension(), ".opus");
}
