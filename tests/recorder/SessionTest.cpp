// The session on virtual time: the queue and its overlaps, starts and ends already past,
// sources that fail in every way, the free space, a stop; each file decoded and measured.
#include "session/Session.h"
#include "FakeSource.h"
#include "OpusTools.h"
#include "SignalAnalysis.h"
#include "TempFolder.h"
#include "session/ProgrammeNote.h"
#include "session/SourceChooser.h"
#include "session/VirtualClock.h"

#include <gtest/gtest.h>

#include <atomic>
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

// Virtual time that a test may hold still: while held, the session's waits for a start do
// not jump ahead, so that programmes queued one by one are all seen before the first starts.
class HeldClock final : public Clock {
public:
    explicit HeldClock(TimePoint start) : m_time(start) {}
    TimePoint now() const override { return m_time.now(); }
    bool waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& condition,
                   TimePoint deadline, const std::function<bool()>& done) override {
        while (m_held && deadline != TimePoint::max() && !done())
            condition.wait_for(lock, 1ms);
        return m_time.waitUntil(lock, condition, deadline, done);
    }
    void advance(std::chrono::nanoseconds by) override { m_time.advance(by); }
    void hold() { m_held = true; }
    void release() { m_held = false; }

private:
    VirtualClock m_time;
    std::atomic<bool> m_held{false};
};

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
        SessionSettings settings = {}, SourceMaker maker = {})
        : clock(kT0), events(clock), scripts(std::move(scriptsByTitle)) {
        settings.folder = folder.path().string();
        if (!maker) {
            maker = [this](const Programme& p, SourceError&) {
                return std::make_unique<FakeSource>(this->scripts[p.title]);
            };
        }
        session =
            std::make_unique<Session>(clock, std::move(maker), settings, events, std::move(space));
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
    HeldClock clock;
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
    // All four are queued before the first start.
    h.clock.hold();
    EXPECT_TRUE(h.session->enqueue(programme("B", 40s, 100s)));
    EXPECT_TRUE(h.session->enqueue(programme("A", 10s, 70s)));
    EXPECT_TRUE(h.session->enqueue(programme("C", 50s, 65s)));
    EXPECT_TRUE(h.session->enqueue(programme("D", 120s, 130s, Band::AM)));
    h.clock.release();
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
    FakeScript lostBeforeStart;
    lostBeforeStart.loseAt = 2;
    lostBeforeStart.failedReopens = 2; // refused at the start and 2 s on, back 4 s in
    const Case cases[] = {
        {"lost and back", lostAndBack, RecordingResult::Partial, "source-lost", 1, 60},
        {"lost before the start", lostBeforeStart, RecordingResult::Partial, "source-lost", 1, 60},
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
    const Decoded late = decodeOpus(h.report("lost before the start").file);
    EXPECT_LT(toneAt(late, 2), 0.01);
    EXPECT_GT(toneAt(late, 5), 0.3);
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
        Clock* clock = nullptr;
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

TEST(ProgrammeNote, ReadsBackExactlyWhatWasKeptAndRefusesAnythingElse) {
    Programme kept = programme("Line\\break\nTitle=x \\n", 0s, 3600s, Band::AM);
    kept.start += 123456789ns;
    const std::string text = programmeNoteText(kept, "stream");
    Programme read;
    std::string source, why;
    ASSERT_TRUE(readProgrammeNote(text, read, source, why)) << why;
    EXPECT_EQ(read.title, kept.title);
    EXPECT_EQ(read.start, kept.start);
    EXPECT_EQ(read.end, kept.end);
    EXPECT_EQ(read.station.band, Band::AM);
    EXPECT_EQ(read.station.channel, 594);
    EXPECT_EQ(read.stationName, kept.stationName);
    EXPECT_EQ(source, "stream");

    const auto replaced = [&text](const std::string& from, const std::string& to) {
        std::string changed = text;
        changed.replace(changed.find(from), from.size(), to);
        return changed;
    };
    const std::string hostile[] = {
        "",
        "velto-programme 2\n" + text.substr(text.find('\n') + 1),
        text.substr(0, text.size() - 1),               // cut short
        text + "Title=again\n",                        // a key twice
        text + "Extra=1\n",                            // one too many
        replaced("\nSource=stream", "\nSourc=stream"), // one missing
        replaced("Band=AM", "Band=LW"),
        replaced("Channel=594", "Channel=9999999"),
        replaced("Channel=594", "Channel=594x"),
        replaced("Start=", "Start=+"),
        replaced("End=", "End=-"), // ends before it starts
        replaced("Source=stream", "Source=../etc"),
        replaced("\\n", "\\q"), // an unknown escape
        replaced("\nEnd=", "\nEnd\n"),
    };
    for (const std::string& note : hostile) {
        SCOPED_TRACE(note);
        Programme untouched = kept;
        EXPECT_FALSE(readProgrammeNote(note, untouched, source, why));
        EXPECT_FALSE(why.empty());
        EXPECT_EQ(untouched.title, kept.title);
    }
}

TEST(StationTable, TakesWhatCanBeRecordedAndKeepsItInOrder) {
    StationTable table;
    SourceError error;
    const std::string longName = std::string(199, 'x') + "\xE5\xB1\xB1"; // cut inside 山
    const struct {
        StationEntry entry;
        const char* key; // "" taken
    } cases[] = {
        {{{Band::AM, 594}, "AM One", "", SourceUse::Receiver}, ""},
        {{{Band::FM, 8000}, longName, "https://radio.example/fm.m3u8", SourceUse::Stream}, ""},
        {{{Band::FM, 7650}, "", "http://radio.example/a.mp3", SourceUse::Fallback}, ""},
        {{{Band::FM, 8000}, "Again", "http://radio.example/b.aac", SourceUse::Fallback}, ""},
        {{{Band::FM, 12345}, "", "", SourceUse::Receiver}, "bad-channel"},
        {{{Band::AM, 954}, "", "file:///etc/passwd", SourceUse::Fallback}, "bad-url"},
        {{{Band::AM, 954}, "", "", SourceUse::Stream}, "no-stream"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry.station.describe());
        error = {};
        EXPECT_EQ(table.set(c.entry, error), !*c.key);
        EXPECT_EQ(error.key, c.key);
    }
    std::vector<std::string> listed;
    for (const StationEntry& e : table.entries())
        listed.push_back(e.station.describe() + " " + sourceUseName(e.use) + " " + e.streamUrl);
    EXPECT_EQ(listed, (std::vector<std::string>{"FM 76.5 MHz fallback http://radio.example/a.mp3",
                                                "FM 80.0 MHz fallback http://radio.example/b.aac",
                                                "AM 594 kHz receiver "}));
    EXPECT_EQ(table.find({Band::FM, 8000})->name, "Again");
    EXPECT_FALSE(table.find({Band::AM, 954}));
    EXPECT_TRUE(table.set({{Band::AM, 1134}, longName, "", SourceUse::Receiver}, error));
    EXPECT_EQ(table.find({Band::AM, 1134})->name, std::string(199, 'x'));
    EXPECT_TRUE(table.remove({Band::AM, 594}));
    EXPECT_FALSE(table.remove({Band::AM, 594}));
    EXPECT_EQ(sourceUseFromName("fallback"), SourceUse::Fallback);
    EXPECT_FALSE(sourceUseFromName("Stream"));
}

TEST(SourceChooser, EachStationRecordsFromWhereTheTableSaysAndFallsBackOnlyWithoutAReceiver) {
    struct Case {
        const char* name;
        std::optional<SourceUse> use; // none: not in the table
        const char* receiver;         // why the receiver does not open; "" it does
        bool streamOpens;
        const char* kind;
        RecordingResult result;
        const char* key;
        const char* warning;
    };
    const Case cases[] = {
        {"not in the table", std::nullopt, "", true, "receiver", RecordingResult::Recorded, "", ""},
        {"receiver, none found", SourceUse::Receiver, "no-receiver", true, "receiver",
         RecordingResult::Failed, "no-receiver", ""},
        {"stream", SourceUse::Stream, "", true, "stream", RecordingResult::Recorded, "", ""},
        {"fallback, receiver there", SourceUse::Fallback, "", true, "receiver",
         RecordingResult::Recorded, "", ""},
        {"fallback, none found", SourceUse::Fallback, "no-receiver", true, "stream",
         RecordingResult::Recorded, "", "stream-fallback"},
        {"fallback, receiver busy", SourceUse::Fallback, "device-busy", true, "receiver",
         RecordingResult::Failed, "device-busy", ""},
        {"fallback, stream fails too", SourceUse::Fallback, "no-receiver", false, "stream",
         RecordingResult::Failed, "connection-failed", ""},
    };
    // Each case on a station of its own; the fake receiver and stream behave as it says.
    auto caseOf = [&cases](int channel) -> const Case& { return cases[channel - 7600]; };
    SourceFactory factory;
    factory.add("fake", [&](const SourceRequest& r, const std::string&, SourceError&) {
        FakeScript script;
        script.neverOpens = *caseOf(r.station.channel).receiver;
        script.refusal = caseOf(r.station.channel).receiver;
        return std::make_unique<FakeSource>(script);
    });
    factory.add("url", [&](const SourceRequest& r, const std::string& url, SourceError&) {
        FakeScript script;
        script.kind = "stream";
        script.neverOpens = !caseOf(r.station.channel).streamOpens;
        script.refusal = "connection-failed";
        EXPECT_EQ(url, "http://radio.example/" + std::to_string(r.station.channel));
        return std::make_unique<FakeSource>(script);
    });
    SourceChooser chooser(factory);
    chooser.setReceiver("fake:", {});
    StationTable table;
    SourceError error;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const int channel = 7600 + int(i);
        if (!cases[i].use)
            continue;
        const std::string url = "http://radio.example/" + std::to_string(channel);
        ASSERT_TRUE(table.set({{Band::FM, channel}, "", url, *cases[i].use}, error));
    }
    chooser.setStations(table);
    Harness h(
        {}, [](const std::string&) { return std::optional<std::uint64_t>(1e10); }, {},
        chooser.maker());
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        auto p = programme(cases[i].name, std::chrono::seconds(10 + 20 * i),
                           std::chrono::seconds(20 + 20 * i));
        p.station.channel = 7600 + int(i);
        h.session->enqueue(p);
    }
    h.session->waitUntilIdle();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto& r = h.report(c.name);
        EXPECT_EQ(r.sourceKind, c.kind);
        EXPECT_EQ(r.result, c.result);
        EXPECT_EQ(r.reasonKey, c.key);
        EXPECT_EQ(r.warnings.empty() ? "" : r.warnings.front().key, std::string(c.warning));
        if (c.result == RecordingResult::Recorded)
            expectFileOf(r, 10);
    }
    // Reported as it happened, too.
    EXPECT_EQ(h.events.warnings, std::vector<std::string>{"stream-fallback"});
}
