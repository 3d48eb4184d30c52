// Tuning through the radio ioctls, against tuners' recorded answers.
#include "sources/tuner/RadioTuner.h"
#include "TunerFakes.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace velto {
namespace {

using Recording = std::shared_ptr<RecordedRadio> (*)();

std::string joined(const std::vector<std::string>& log) {
    std::string text;
    for (const std::string& entry : log) {
        text += (text.empty() ? "" : ", ") + entry;
    }
    return text;
}

TEST(RadioTunerTest, TuningSendsTheIoctlsInOrder) {
    struct Case {
        Recording recording;
        int muted; // before tuning; so again after close
        Band band;
        int ch;
        const char* log; // after open, QUERYCAP, G_TUNER and the bands
    };
    const Case cases[] = {
        {si470xStick, 1, Band::FM, 8000,
         "G_CTRL, S_TUNER stereo, S_FREQUENCY 1280000, G_FREQUENCY, S_CTRL mute=0, "
         "S_CTRL mute=1, close"},
        {si470xStick, 0, Band::FM, 7610,
         "G_CTRL, S_TUNER stereo, S_FREQUENCY 1217600, G_FREQUENCY, S_CTRL mute=0, close"},
        {ma901Stick, 1, Band::FM, 9050, // a volume but no mute control
         "G_CTRL, S_TUNER stereo, S_FREQUENCY 1448000, G_FREQUENCY, close"},
        {raremonoRadio, 1, Band::AM, 594, // no control at all
         "G_CTRL, S_TUNER mono, S_FREQUENCY 9504, G_FREQUENCY, close"},
        {coarseCard, 1, Band::FM, 9000,
         "G_CTRL, S_TUNER mono, S_FREQUENCY 1440, G_FREQUENCY, S_CTRL mute=0, S_CTRL mute=1, "
         "close"},
        {coarseCard, 1, Band::AM, 1000, // 16 whole steps of 62.5 kHz
         "G_CTRL, S_TUNER mono, S_FREQUENCY 16, G_FREQUENCY, S_CTRL mute=0, S_CTRL mute=1, close"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((Station{c.band, c.ch}.describe()));
        std::shared_ptr<RecordedRadio> radio = c.recording();
        radio->mute = c.muted;
        RadioTuner tuner(std::make_unique<FakeRadioDevice>(radio));
        SourceError error;
        ASSERT_TRUE(tuner.open("/dev/radio0", error)) << error.text;
        ASSERT_TRUE(tuner.tune({c.band, c.ch}, error)) << error.text;
        EXPECT_DOUBLE_EQ(tuner.tunedHz(), static_cast<double>(*stationHz({c.band, c.ch})));
        tuner.close();
        std::string expected = "open /dev/radio0, QUERYCAP, G_TUNER, ";
        for (std::size_t i = 0; i <= radio->bands.size(); ++i) { // EINVAL past the last
            expected += "ENUM_FREQ_BANDS " + std::to_string(i) + ", ";
        }
        EXPECT_EQ(joined(radio->log), expected + c.log);
        EXPECT_EQ(radio->mute, c.muted);
    }
}

TEST(RadioTunerTest, UnitsConvertBothWays) {
    struct Case {
        TunerUnit unit;
        double hz;
        uint32_t units;
        double backHz; // the tuner's nearest step
    };
    const Case cases[] = {
        {TunerUnit::Fine, 80.0e6, 1280000, 80.0e6}, {TunerUnit::Fine, 1629e3, 26064, 1629e3},
        {TunerUnit::Coarse, 80.0e6, 1280, 80.0e6},  {TunerUnit::Coarse, 76.1e6, 1218, 76.125e6},
        {TunerUnit::Coarse, 594e3, 10, 625e3},      {TunerUnit::Hertz, 90.5e6, 90500000, 90.5e6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(unitName(c.unit)) + " " + std::to_string(c.hz));
        ASSERT_EQ(hzToUnits(c.hz, c.unit), c.units);
        EXPECT_DOUBLE_EQ(unitsToHz(c.units, c.unit), c.backHz);
    }
    EXPECT_FALSE(hzToUnits(1e12, TunerUnit::Fine)); // beyond the ioctls' 32 bits
}

TEST(RadioTunerTest, BandsAreLearnedWithTheirRanges) {
    std::shared_ptr<RecordedRadio> oldKernel = si470xStick();
    oldKernel->failures["ENUM_FREQ_BANDS"] = ENOTTY; // before band enumeration: one range
    const std::pair<std::shared_ptr<RecordedRadio>, const char*> cases[] = {
        {raremonoRadio(), "FM 64000000-108000000, AM 520000-1710000, SW 2300000-26100000"},
        {oldKernel, "FM 76000000-108000000"},
        {coarseCard(), "FM 87500000-108000000, AM 500000-1750000"},
    };
    for (const auto& [radio, expected] : cases) {
        RadioTuner tuner(std::make_unique<FakeRadioDevice>(radio));
        SourceError error;
        ASSERT_TRUE(tuner.open("/dev/radio0", error)) << error.text;
        std::vector<std::string> bands;
        for (const RadioBand& b : tuner.info().bands) {
            bands.push_back(b.name + " " + std::to_string(static_cast<long>(b.lowHz)) + "-" +
                            std::to_string(static_cast<long>(b.highHz)));
        }
        EXPECT_EQ(joined(bands), expected) << tuner.info().name;
    }
}

TEST(RadioTunerTest, RefusalsHaveTheirReasons) {
    struct Case {
        const char* name;
        Recording recording;
        const char* failing; // the step that answers `err`; "" for none
        int err;
        Band band;
        int ch;
        const char* key;
    };
    const Case cases[] = {
        {"held by another program", si470xStick, "open", EBUSY, Band::FM, 8000, "device-busy"},
        {"busy while tuning", si470xStick, "S_FREQUENCY", EBUSY, Band::FM, 8000, "device-busy"},
        {"no such node", si470xStick, "open", ENOENT, Band::FM, 8000, "no-receiver"},
        {"no permission", si470xStick, "open", EACCES, Band::FM, 8000, "permission-denied"},
        {"no Video4Linux node", si470xStick, "QUERYCAP", ENOTTY, Band::FM, 8000, "not-a-radio"},
        {"unplugged while asked", si470xStick, "G_TUNER", ENODEV, Band::FM, 8000,
         "connection-lost"},
        {"unplugged while tuning", si470xStick, "S_FREQUENCY", EIO, Band::FM, 8000,
         "connection-lost"},
        {"frequency refused", si470xStick, "S_FREQUENCY", EINVAL, Band::FM, 8000, "tuning-failed"},
        // Refused before anything is set on the tuner:
        {"no AM band", si470xStick, "", 0, Band::AM, 594, "band-unsupported"},
        {"above FM", si470xStick, "", 0, Band::FM, 12000, "frequency-out-of-range"},
        {"that is SW, not AM", raremonoRadio, "", 0, Band::AM, 3000, "frequency-out-of-range"},
        {"between 62.5 kHz steps", coarseCard, "", 0, Band::AM, 594, "frequency-unreachable"},
        {"no frequency", si470xStick, "", 0, Band::FM, -8000, "bad-station"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::shared_ptr<RecordedRadio> radio = c.recording();
        radio->failures[c.failing] = c.err;
        RadioTuner tuner(std::make_unique<FakeRadioDevice>(radio));
        SourceError error;
        EXPECT_FALSE(tuner.open("/dev/radio0", error) && tuner.tune({c.band, c.ch}, error));
        EXPECT_EQ(error.key, c.key) << error.text;
        if (*c.failing) {
            EXPECT_NE(error.text.find("/dev/radio0"), std::string::npos) << error.text;
        } else {
            EXPECT_EQ(joined(radio->log).find("S_"), std::string::npos) << "nothing was set";
        }
    }
    // A driver that clamps rather than refuses is caught by the read-back.
    std::shared_ptr<RecordedRadio> radio = si470xStick();
    radio->tuner.rangehigh = 1248000;
    RadioTuner tuner(std::make_unique<FakeRadioDevice>(radio));
    SourceError error;
    EXPECT_FALSE(tuner.open("/dev/radio0", error) && tuner.tune({Band::FM, 8000}, error));
    EXPECT_EQ(error.key, "tuning-failed") << error.text;
}

} // namespace
} // namespace velto
