// The tuner source: the signal watch, faults mid-programme and at open, with a virtual clock.
#include "recorder/sources/tuner/RadioTunerSource.h"
#include "tests/recorder/tuner/FakeRadioDevice.h"
#include "tests/recorder/tuner/FakeSoundCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

namespace velto {
namespace {

using namespace std::chrono_literals;

struct Rig {
    std::shared_ptr<RecordedRadio> radio = si470xStick();
    std::shared_ptr<FakeCard> card = std::make_shared<FakeCard>();
    std::chrono::steady_clock::time_point now{};
    std::vector<SourceError> heard;

    double seconds() const { return std::chrono::duration<double>(now.time_since_epoch()).count(); }

    std::unique_ptr<RadioTunerSource> source(Station station,
                                             std::string sound = "hw:CARD=Radio,DEV=0") {
        RadioTunerSettings settings;
        settings.soundDevice = std::move(sound);
        settings.station = station;
        settings.sys = std::filesystem::path(::testing::TempDir()) / "no-sysfs-here";
        settings.onWarning = [this](const SourceError& w) { heard.push_back(w); };
        return std::make_unique<RadioTunerSource>(
            settings, RadioTunerParts{FakeRadioDevice::factory(radio),
                                      FakeSoundCapture::factory(card), [this] { return now; }});
    }
};

bool tuned(const RecordedRadio& radio) {
    return std::any_of(radio.log.begin(), radio.log.end(),
                       [](const std::string& s) { return s.rfind("S_FREQUENCY", 0) == 0; });
}

TEST(RadioTunerSourceTest, StationWithoutSignalIsReportedAfterTenSeconds) {
    struct Case {
        const char* name;
        int (*signal)(double seconds);
        int statusError;
        const char* warning; // "" for none
    };
    const Case cases[] = {
        {"never a signal", [](double) { return 0; }, 0, "no-signal"},
        {"a signal from 3 s", [](double t) { return t >= 3 ? 20000 : 0; }, 0, ""},
        {"a signal only from 12 s", [](double t) { return t >= 12 ? 20000 : 0; }, 0, "no-signal"},
        {"a tuner that cannot say", [](double) { return 0; }, EINVAL, "signal-unknown"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.radio->signal = [&rig, &c] { return c.signal(rig.seconds()); };
        auto source = rig.source({Band::FM, 8000});
        SourceError error;
        ASSERT_TRUE(source->open(error)) << error.text;
        if (c.statusError != 0) {
            rig.radio->failures["G_TUNER"] = c.statusError;
        }
        std::vector<float> out;
        double warnedAt = -1;
        for (; rig.now < std::chrono::steady_clock::time_point(15s); rig.now += 250ms) {
            ASSERT_EQ(source->read(out, 100ms, error), ReadStatus::Audio) << error.text;
            if (warnedAt < 0 && !rig.heard.empty()) {
                warnedAt = rig.seconds();
            }
        }
        EXPECT_EQ(out.size(), 60u * 9600 * 2) << "the recording goes on";
        if (*c.warning == '\0') {
            EXPECT_TRUE(rig.heard.empty()) << rig.heard.front().text;
            continue;
        }
        ASSERT_EQ(rig.heard.size(), 1u);
        EXPECT_EQ(rig.heard.front().key, c.warning);
        EXPECT_EQ(source->warnings().size(), 1u);
        if (std::string(c.warning) == "no-signal") {
            EXPECT_GE(warnedAt, 10.0);
            EXPECT_LE(warnedAt, 11.0);
            EXPECT_NE(rig.heard.front().text.find("FM 80.0 MHz"), std::string::npos);
        }
    }
}

TEST(RadioTunerSourceTest, LossMidProgrammeIsReportedAndReopenWorksWhenBack) {
    struct Case {
        const char* name;
        void (*fault)(Rig&);
        void (*mend)(Rig&);
        const char* reopenKey; // while the fault lasts; null: not tried
        double lostWithin;     // seconds after the fault
    };
    const Case cases[] = {
        {"tuner unplugged", [](Rig& r) { r.radio->unplugged = r.card->gone = true; },
         [](Rig& r) { r.radio->unplugged = r.card->gone = false; }, "no-receiver", 1.0},
        {"sound card gone", [](Rig& r) { r.card->gone = true; },
         [](Rig& r) { r.card->gone = false; }, "no-sound-card", 0.25},
        {"sound card stalls", [](Rig& r) { r.card->stalled = true; },
         [](Rig& r) { r.card->stalled = false; }, nullptr, 5.25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        auto source = rig.source({Band::FM, 8000});
        SourceError error;
        ASSERT_TRUE(source->open(error)) << error.text;
        std::vector<float> out;
        ASSERT_EQ(source->read(out, 100ms, error), ReadStatus::Audio);
        EXPECT_TRUE(source->stereo());

        c.fault(rig);
        const double faultAt = rig.seconds();
        ReadStatus status = ReadStatus::Audio;
        while (status == ReadStatus::Audio && rig.seconds() < faultAt + 10) {
            rig.now += 250ms;
            status = source->read(out, 100ms, error);
        }
        EXPECT_EQ(status, ReadStatus::Lost);
        EXPECT_EQ(error.key, "connection-lost") << error.text;
        EXPECT_LE(rig.seconds() - faultAt, c.lostWithin);
        EXPECT_EQ(rig.card->open, 0);
        EXPECT_EQ(rig.radio->log.back(), "close");
        EXPECT_FALSE(source->stereo());

        if (c.reopenKey) {
            EXPECT_FALSE(source->open(error));
            EXPECT_EQ(error.key, c.reopenKey) << error.text;
        }
        c.mend(rig);
        ASSERT_TRUE(source->open(error)) << error.text;
        out.clear();
        EXPECT_EQ(source->read(out, 100ms, error), ReadStatus::Audio);
        EXPECT_EQ(out.size(), 9600u * 2);
    }
}

TEST(RadioTunerSourceTest, OpenFaultsLeaveTheTunerAsItWas) {
    struct Case {
        const char* name;
        Station station;
        std::string sound;
        void (*fault)(Rig&);
        const char* key;
        bool tunes;
    };
    const Case cases[] = {
        {"no paired sound card", {Band::FM, 8000}, "", [](Rig&) {}, "no-sound-card", false},
        {"sound card busy",
         {Band::FM, 8000},
         "hw:CARD=Radio,DEV=0",
         [](Rig& r) {
             r.card->openFailure = SourceError{"device-busy", "in use"};
         },
         "device-busy",
         true},
        {"band the tuner lacks",
         {Band::AM, 594},
         "hw:CARD=Radio,DEV=0",
         [](Rig&) {},
         "band-unsupported",
         false},
        {"tuner held by another program",
         {Band::FM, 8000},
         "hw:CARD=Radio,DEV=0",
         [](Rig& r) { r.radio->failures["open"] = EBUSY; },
         "device-busy",
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        c.fault(rig);
        auto source = rig.source(c.station, c.sound);
        SourceError error;
        EXPECT_FALSE(source->open(error));
        EXPECT_EQ(error.key, c.key) << error.text;
        EXPECT_FALSE(error.text.empty());
        EXPECT_EQ(tuned(*rig.radio), c.tunes);
        EXPECT_EQ(rig.radio->mute, 1) << "muted again";
        EXPECT_EQ(rig.card->open, 0);
        std::vector<float> out;
        EXPECT_EQ(source->read(out, 100ms, error), ReadStatus::Lost);
    }
}

TEST(RadioTunerSourceTest, MonoCardIsHeardOnBothSides) {
    Rig rig;
    rig.card->channels = 1;
    rig.card->rate = 32000;
    auto source = rig.source({Band::FM, 8000});
    SourceError error;
    ASSERT_TRUE(source->open(error)) << error.text;
    std::vector<float> out;
    ASSERT_EQ(source->read(out, 100ms, error), ReadStatus::Audio);
    EXPECT_FALSE(source->stereo()) << "a mono card cannot carry stereo";
    EXPECT_EQ(source->captureRate(), 32000u);
    ASSERT_EQ(out.size(), 6400u / 2 * 3 * 2); // 200 ms at 32 kHz is 200 ms at 48 kHz
    for (std::size_t i = 0; i < out.size(); i += 2) {
        ASSERT_EQ(out[i], out[i + 1]);
    }
}

} // namespace
} // namespace velto
