// The tuner source on a virtual clock: the signal watch, faults mid-programme and at open.
#include "sources/tuner/RadioTunerSource.h"
#include "TunerFakes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <thread>

namespace velto {
namespace {

using namespace std::chrono_literals;

struct Rig {
    std::shared_ptr<RecordedRadio> radio = si470xStick();
    std::shared_ptr<FakeCard> card = std::make_shared<FakeCard>();
    std::chrono::steady_clock::time_point now{};
    std::vector<SourceError> heard;
    SourceError error;
    std::vector<float> out;

    double seconds() const { return std::chrono::duration<double>(now.time_since_epoch()).count(); }
    std::unique_ptr<RadioTunerSource> source(Station station, std::string sound = "hw:CARD=R") {
        RadioTunerSettings settings{"/dev/radio0",
                                    std::move(sound),
                                    0,
                                    station,
                                    ::testing::TempDir() + "no-sysfs-here",
                                    [this](const SourceError& w) { heard.push_back(w); }};
        return std::make_unique<RadioTunerSource>(
            settings, RadioTunerParts{FakeRadioDevice::factory(radio),
                                      FakeSoundCapture::factory(card), [this] { return now; }});
    }
    // Reads every 250 ms of the virtual clock while the source gives sound, up to `limit`.
    ReadStatus readUntil(RadioTunerSource& source, double limit) {
        ReadStatus status = ReadStatus::Audio;
        for (; status == ReadStatus::Audio && seconds() < limit; now += 250ms) {
            status = source.read(out, 100ms, error);
        }
        return status;
    }
};

TEST(RadioTunerSourceTest, WarningsComeOnceAndTheRecordingGoesOn) {
    struct Case {
        int (*signal)(double seconds);
        int statusError;
        unsigned overruns;
        const char* warning; // "" for none
    };
    const Case cases[] = {
        {[](double) { return 0; }, 0, 0, "no-signal"},
        {[](double t) { return t >= 3 ? 20000 : 0; }, 0, 0, ""},
        {[](double t) { return t >= 12 ? 20000 : 0; }, 0, 0, "no-signal"}, // too late
        {[](double) { return 0; }, EINVAL, 0, "signal-unknown"},           // cannot say
        {[](double) { return 9000; }, 0, 2, "capture-overrun"},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.radio->signal = [&rig, &c] { return c.signal(rig.seconds()); };
        auto source = rig.source({Band::FM, 8000});
        ASSERT_TRUE(source->open(rig.error)) << rig.error.text;
        rig.radio->failures["G_TUNER"] = c.statusError;
        rig.card->overruns = c.overruns;
        ASSERT_EQ(rig.readUntil(*source, 9.9), ReadStatus::Audio);
        const std::size_t early = rig.heard.size();
        ASSERT_EQ(rig.readUntil(*source, 11), ReadStatus::Audio);
        const std::size_t byEleven = rig.heard.size();
        ASSERT_EQ(rig.readUntil(*source, 15), ReadStatus::Audio) << "the recording goes on";
        EXPECT_EQ(rig.out.size(), 60u * 9600 * 2);
        ASSERT_EQ(rig.heard.size(), *c.warning ? 1u : 0u);
        if (*c.warning) {
            EXPECT_EQ(rig.heard.front().key, c.warning);
            EXPECT_EQ(source->warnings().size(), 1u);
            EXPECT_EQ(byEleven, 1u);
            EXPECT_EQ(early, std::string(c.warning) == "no-signal" ? 0u : 1u) << "10 s or at once";
        }
        if (std::string(c.warning) == "no-signal") {
            EXPECT_NE(rig.heard.front().text.find("FM 80.0 MHz"), std::string::npos);
        }
    }
}

TEST(RadioTunerSourceTest, LossMidProgrammeIsReportedAndReopenWorksWhenBack) {
    struct Case {
        void (*fault)(Rig&, bool on);
        const char* reopenKey; // while the fault lasts; null: not tried
        double lostWithin;     // seconds after the fault
    };
    const Case cases[] = {
        {[](Rig& r, bool on) { r.radio->unplugged = r.card->gone = on; }, "no-receiver", 0.25},
        {[](Rig& r, bool on) { r.card->gone = on; }, "no-sound-card", 0.25},
        {[](Rig& r, bool on) { r.radio->unplugged = on; }, "no-receiver", 1.0}, // the signal poll
        {[](Rig& r, bool on) { r.card->stalled = on; }, nullptr, 5.25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lostWithin);
        Rig rig;
        auto source = rig.source({Band::FM, 8000});
        ASSERT_TRUE(source->open(rig.error)) << rig.error.text;
        ASSERT_EQ(rig.readUntil(*source, 0.25), ReadStatus::Audio);
        EXPECT_TRUE(source->stereo());
        c.fault(rig, true);
        EXPECT_EQ(rig.readUntil(*source, 10), ReadStatus::Lost);
        EXPECT_EQ(rig.error.key, "connection-lost") << rig.error.text;
        EXPECT_LE(rig.seconds(), 0.25 + c.lostWithin + 0.25);
        EXPECT_EQ(rig.card->open, 0);
        EXPECT_EQ(rig.radio->log.back(), "close");
        EXPECT_FALSE(source->stereo());
        EXPECT_TRUE(!c.reopenKey || !source->open(rig.error));
        EXPECT_EQ(rig.error.key, c.reopenKey ? c.reopenKey : "connection-lost");
        c.fault(rig, false);
        ASSERT_TRUE(source->open(rig.error)) << rig.error.text;
        rig.out.clear();
        EXPECT_EQ(source->read(rig.out, 100ms, rig.error), ReadStatus::Audio);
        EXPECT_EQ(rig.out.size(), 9600u * 2);
    }
}

TEST(RadioTunerSourceTest, OpenFaultsLeaveTheTunerAsItWas) {
    struct Case {
        Band band;
        int ch;
        const char* sound;
        bool cardBusy;
        const char* key;
        bool tunes;
    };
    const Case cases[] = {
        {Band::FM, 8000, "", false, "no-sound-card", false}, // none on the tuner's USB device
        {Band::FM, 8000, "hw:CARD=R", true, "device-busy", true},
        {Band::AM, 594, "hw:CARD=R", false, "band-unsupported", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        Rig rig;
        if (c.cardBusy) {
            rig.card->openFailure = SourceError{"device-busy", "in use"};
        }
        auto source = rig.source({c.band, c.ch}, c.sound);
        EXPECT_FALSE(source->open(rig.error));
        EXPECT_EQ(rig.error.key, c.key) << rig.error.text;
        EXPECT_EQ(rig.radio->frequency == 1280000, c.tunes);
        EXPECT_EQ(rig.radio->mute, 1) << "muted again";
        EXPECT_EQ(rig.card->open, 0);
        EXPECT_EQ(source->read(rig.out, 100ms, rig.error), ReadStatus::Lost);
    }
}

TEST(RadioTunerSourceTest, ASignalQueryHeldInTheDriverHoldsUpNoRead) {
    Rig rig;
    auto source = rig.source({Band::FM, 8000});
    ASSERT_TRUE(source->open(rig.error)) << rig.error.text;
    // Some drivers hold VIDIOC_G_TUNER for their USB timeout (up to 10 s).
    auto held = std::make_shared<std::atomic<bool>>(true);
    rig.radio->signal = [held] {
        for (int i = 0; i < 1000 && held->load(); ++i) {
            std::this_thread::sleep_for(10ms);
        }
        return 20000;
    };
    double longest = 0;
    for (int i = 0; i < 20; ++i, rig.now += 250ms) {
        const auto before = std::chrono::steady_clock::now();
        ASSERT_EQ(source->read(rig.out, 100ms, rig.error), ReadStatus::Audio);
        longest = std::max(
            longest,
            std::chrono::duration<double>(std::chrono::steady_clock::now() - before).count());
    }
    EXPECT_EQ(rig.out.size(), 20u * 9600 * 2) << "the sound went on";
    EXPECT_LT(longest, 1.0) << "each read within its 100 ms, with room for a loaded machine";
    const auto closing = std::chrono::steady_clock::now();
    source.reset();
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - closing).count(),
              1.0);
    // Let go, the held query ends and its thread closes the tuner.
    held->store(false);
    for (int i = 0; i < 500 && rig.radio.use_count() > 1; ++i) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(rig.radio.use_count(), 1);
}

} // namespace
} // namespace velto
