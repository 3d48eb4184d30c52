// The capture path through the real alsa-lib: a capture PCM that the test's own ALSA
// configuration feeds from a file holding a 44.1 kHz tone.
#include "recorder/sources/tuner/AlsaCapture.h"
#include "recorder/sources/tuner/RadioTunerSource.h"
#include "tests/recorder/tuner/FakeRadioDevice.h"
#include "tests/recorder/tuner/ToneAnalysis.h"

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>

namespace velto {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr unsigned kToneRate = 44100;
constexpr std::size_t kToneFrames = kToneRate * 2; // two seconds
constexpr double kLeftHz = 1000;
constexpr double kRightHz = 1500;

class AlsaCaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::path(::testing::TempDir()) / "alsa-capture";
        fs::create_directories(m_dir);
        std::ofstream raw(m_dir / "tone.raw", std::ios::binary);
        for (std::size_t i = 0; i < kToneFrames; ++i) {
            const double t = static_cast<double>(i) / kToneRate;
            int16_t frame[2] = {static_cast<int16_t>(std::lround(
                                    16384 * std::sin(2 * std::numbers::pi * kLeftHz * t))),
                                static_cast<int16_t>(std::lround(
                                    16384 * std::sin(2 * std::numbers::pi * kRightHz * t)))};
            raw.write(reinterpret_cast<const char*>(frame), sizeof frame);
        }
        // The file plugin lays the file's bytes over what its slave captured; the null
        // slave captures at whatever rate is asked, as fast as it is read.
        std::ofstream(m_dir / "asound.conf") << "pcm.velto_tone {\n"
                                                "    type file\n"
                                                "    slave.pcm { type null }\n"
                                                "    file \"/dev/null\"\n"
                                                "    infile \""
                                             << (m_dir / "tone.raw").string()
                                             << "\"\n"
                                                "    format \"raw\"\n"
                                                "}\n";
        setenv("ALSA_CONFIG_PATH", (m_dir / "asound.conf").c_str(), 1);
    }
    void TearDown() override {
        unsetenv("ALSA_CONFIG_PATH");
        snd_config_update_free_global();
        fs::remove_all(m_dir);
    }

    fs::path m_dir;
};

TEST_F(AlsaCaptureTest, ToneArrivesAt48kHzWithItsLength) {
    RadioTunerSettings settings;
    settings.soundDevice = "velto_tone";
    settings.rate = kToneRate;
    settings.station = {Band::FM, 8000};
    RadioTunerSource source(settings,
                            RadioTunerParts{FakeRadioDevice::factory(si470xStick()), {}, {}});
    SourceError error;
    ASSERT_TRUE(source.open(error)) << error.text;
    EXPECT_EQ(source.captureRate(), kToneRate);

    std::vector<float> out;
    for (int reads = 0; out.size() < 48000 * 3 * 2 && reads < 100; ++reads) {
        const std::size_t before = out.size();
        ASSERT_EQ(source.read(out, 500ms, error), ReadStatus::Audio) << error.text;
        EXPECT_LE(out.size() - before, 48000u / 2 * 2) << "at most half a second a read";
    }
    source.close();
    ASSERT_GE(out.size(), 48000u * 3 * 2);

    for (int channel = 0; channel < 2; ++channel) {
        SCOPED_TRACE(channel == 0 ? "left" : "right");
        // Two seconds at 44.1 kHz are 96000 frames at 48 kHz; the rest is silence.
        Extent tone = loudExtent(out, 2, channel, 0.25f);
        EXPECT_NEAR(static_cast<double>(tone.end - tone.begin), 96000.0, 48.0);
        EXPECT_LT(tone.begin, 48u);
        ToneFit fit = fitTone(out, 2, channel, 4800, 86400, 48000);
        EXPECT_NEAR(fit.frequency, channel == 0 ? kLeftHz : kRightHz, 0.01);
        EXPECT_NEAR(fit.amplitude, 0.5, 0.005);
        EXPECT_GE(fit.snrDb, 85.0);
        RecordProperty(channel == 0 ? "left_snr_dB" : "right_snr_dB", std::to_string(fit.snrDb));
    }
}

TEST_F(AlsaCaptureTest, MissingCardsAreNamed) {
    const std::string names[] = {"velto_missing", "hw:CARD=Radio,DEV=0", "", "velto\x01tone"};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        AlsaCapture capture;
        SourceError error;
        EXPECT_FALSE(capture.open(name, 0, error));
        EXPECT_EQ(error.key, "no-sound-card") << error.text;
        std::vector<float> out;
        EXPECT_EQ(capture.read(out, 100, 10ms, error), CaptureStatus::Lost);
    }
}

} // namespace
} // namespace velto
