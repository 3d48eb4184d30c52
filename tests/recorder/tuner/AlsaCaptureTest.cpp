// The capture path through the real alsa-lib: a capture PCM that the test's own ALSA
// configuration feeds from a file holding a 44.1 kHz tone, on its own and through a
// recording session into an Opus file.
#include "sources/tuner/AlsaCapture.h"
#include "OpusTools.h"
#include "SignalAnalysis.h"
#include "TempFolder.h"
#include "ToneAnalysis.h"
#include "TunerFakes.h"
#include "session/Session.h"
#include "session/VirtualClock.h"
#include "sources/tuner/RadioTunerSource.h"

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <unistd.h>

namespace velto {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class AlsaCaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(m_dir);
        std::ofstream raw(m_dir / "tone.raw", std::ios::binary);
        for (int i = 0; i < 44100 * 2; ++i) { // two seconds: 1 kHz left, 1.5 kHz right
            const int16_t frame[2] = {
                static_cast<int16_t>(std::lround(16384 * std::sin(std::numbers::pi * i / 22.05))),
                static_cast<int16_t>(std::lround(16384 * std::sin(std::numbers::pi * i / 14.7)))};
            raw.write(reinterpret_cast<const char*>(frame), sizeof frame);
        }
        // The file plugin lays the file's bytes over what its slave captured; the null
        // slave captures silence at whatever rate is asked, as fast as it is read.
        std::ofstream(m_dir / "asound.conf")
            << "pcm.velto_tone { type file slave.pcm { type null } file \"/dev/null\" infile \""
            << (m_dir / "tone.raw").string() << "\" format \"raw\" }\n";
        setenv("ALSA_CONFIG_PATH", (m_dir / "asound.conf").c_str(), 1);
    }
    void TearDown() override {
        unsetenv("ALSA_CONFIG_PATH");
        snd_config_update_free_global();
        fs::remove_all(m_dir);
    }

    // Per process: ctest runs each test as its own process, side by side.
    fs::path m_dir = fs::path(::testing::TempDir()) / ("alsa-capture-" + std::to_string(getpid()));
};

TEST_F(AlsaCaptureTest, ToneArrivesAt48kHzWithItsLength) {
    RadioTunerSettings settings{"/dev/radio0", "velto_tone", 44100, {Band::FM, 8000}, "/sys", {}};
    RadioTunerSource source(settings, {FakeRadioDevice::factory(si470xStick()), {}, {}});
    SourceError error;
    ASSERT_TRUE(source.open(error)) << error.text;
    EXPECT_EQ(source.captureRate(), 44100u);
    std::vector<float> out;
    for (int reads = 0; out.size() < 48000 * 3 * 2 && reads < 100; ++reads) {
        const std::size_t before = out.size();
        ASSERT_EQ(source.read(out, 500ms, error), ReadStatus::Audio) << error.text;
        EXPECT_LE(out.size() - before, 48000u / 2 * 2) << "at most half a second a read";
    }
    ASSERT_GE(out.size(), 48000u * 3 * 2);
    for (int channel = 0; channel < 2; ++channel) {
        SCOPED_TRACE(channel == 0 ? "left" : "right");
        // Two seconds at 44.1 kHz are 96000 frames at 48 kHz; then the silence of the slave.
        auto [begin, end] = loudExtent(out, channel, 0.25f);
        EXPECT_LT(begin, 48u);
        EXPECT_NEAR(static_cast<double>(end - begin), 96000.0, 48.0);
        ToneFit fit = fitTone(out, channel, 4800, 86400, 48000);
        EXPECT_NEAR(fit.frequency, channel == 0 ? 1000.0 : 1500.0, 0.01);
        EXPECT_NEAR(fit.amplitude, 0.5, 0.005);
        EXPECT_GE(fit.snrDb, 88.0) << "the 16-bit file's own limit is 92 dB";
        RecordProperty(channel == 0 ? "left_snr_dB" : "right_snr_dB", std::to_string(fit.snrDb));
    }
}

TEST_F(AlsaCaptureTest, MissingCardsAreNamed) {
    for (const std::string name : {"velto_missing", "hw:CARD=Radio,DEV=0"}) {
        SCOPED_TRACE(name);
        AlsaCapture capture;
        SourceError error;
        EXPECT_FALSE(capture.open(name, 0, error));
        EXPECT_EQ(error.key, "no-sound-card") << error.text;
        std::vector<float> out;
        EXPECT_EQ(capture.read(out, 100, 10ms, error), CaptureStatus::Lost);
    }
}

struct Reports final : SessionEvents {
    void recordingFinished(const RecordingReport& report) override {
        std::lock_guard lock(mutex);
        finished.push_back(report);
    }
    std::mutex mutex;
    std::vector<RecordingReport> finished;
};

TEST_F(AlsaCaptureTest, ThroughASessionIntoAnOpusFile) {
    struct Case {
        const char* name;
        int openError; // the radio node's, at open
        int unplugAt;  // the tuner's signal reading when the stick is pulled out; 0 never
        RecordingResult result;
        const char* key;
        int dropouts;
    };
    const Case cases[] = {
        {"plays", 0, 0, RecordingResult::Recorded, "", 0},
        {"busy", EBUSY, 0, RecordingResult::Failed, "device-busy", 0},
        // The first reading is open()'s; the next come once a second: out a second in, the
        // loss is seen at the next reading.
        {"unplugged", 0, 3, RecordingResult::Partial, "source-lost", 1},
    };
    const auto t0 = std::chrono::system_clock::from_time_t(1740826800);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempFolder folder;
        VirtualClock clock(t0);
        auto radio = si470xStick();
        radio->failures["open"] = c.openError;
        int readings = 0;
        radio->signal = [&readings, stick = radio.get(), &c] {
            stick->unplugged = stick->unplugged || ++readings == c.unplugAt;
            return 20000;
        };
        const RadioTunerParts parts{FakeRadioDevice::factory(radio), {}, [&clock] {
                                        return std::chrono::steady_clock::time_point(
                                            clock.now().time_since_epoch());
                                    }};
        const SourceMaker maker = [&parts](const Programme& p, SourceError&) {
            return std::make_unique<RadioTunerSource>(
                RadioTunerSettings{"/dev/radio0", "velto_tone", 44100, p.station, "/sys", {}},
                parts);
        };
        SessionSettings settings;
        settings.folder = folder.path().string();
        Reports reports;
        {
            Session session(clock, maker, settings, reports, [](const std::string&) {
                return std::optional<std::uint64_t>(10'000'000'000);
            });
            session.enqueue({c.name, {Band::FM, 8000}, t0, t0 + 4s, "Radio Velto"});
            session.waitUntilIdle();
        }
        ASSERT_EQ(reports.finished.size(), 1u);
        const RecordingReport& report = reports.finished.front();
        EXPECT_EQ(report.result, c.result);
        EXPECT_EQ(report.reasonKey, c.key) << report.reasonText;
        EXPECT_EQ(report.dropouts, c.dropouts);
        EXPECT_EQ(report.sourceKind, "receiver");
        if (c.result == RecordingResult::Failed) {
            EXPECT_TRUE(report.file.empty());
            continue;
        }
        // Two seconds of tone, the rest silent: the card's silence, or the gap's.
        const test::Decoded decoded = test::decodeOpus(report.file);
        ASSERT_TRUE(decoded.ok);
        EXPECT_NEAR(decoded.seconds(), 4.0, 0.05);
        const std::vector<float> sound = decoded.stereo();
        const auto tone = [&sound](int channel, double from, double to, double frequency) {
            const std::vector<float> side = test::channelOf(sound, channel, 0);
            return test::toneAmplitude({side.begin() + std::ptrdiff_t(from * 48000),
                                        side.begin() + std::ptrdiff_t(to * 48000)},
                                       frequency);
        };
        EXPECT_NEAR(tone(0, 0.2, 1.8, 1000), 0.5, 0.05);
        EXPECT_NEAR(tone(1, 0.2, 1.8, 1500), 0.5, 0.05);
        EXPECT_LT(tone(0, 2.2, 3.8, 1000), 0.01);
    }
}

} // namespace
} // namespace velto
