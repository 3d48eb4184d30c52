// Tuning through the radio ioctls, against tuners' recorded answers.
#include "recorder/sources/tuner/RadioTuner.h"
#include "tests/recorder/tuner/FakeRadioDevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

namespace velto {
namespace {

using Log = std::vector<std::string>;
using Recording = std::shared_ptr<RecordedRadio> (*)();

const Log kOpening = {"open /dev/radio0", "QUERYCAP", "G_TUNER"};

Log concat(Log a, const Log& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct TuneCase {
    const char* name;
    Recording recording;
    Station station;
    Log log; // after kOpening
    double tunedHz;
    int muteAfterClose;
};

TEST(RadioTunerTest, TuningSendsTheIoctlsInOrder) {
    const TuneCase cases[] = {
        {"FM in 62.5 Hz units, stereo, muted before and after",
         si470xStick,
         {Band::FM, 8000},
         {"ENUM_FREQ_BANDS 0", "ENUM_FREQ_BANDS 1", "ENUM_FREQ_BANDS 2", "ENUM_FREQ_BANDS 3",
          "G_CTRL", "S_TUNER stereo", "S_FREQUENCY 1280000", "G_FREQUENCY", "S_CTRL mute=0",
          "S_CTRL mute=1", "close"},
         80.0e6,
         1},
        {"AM in 62.5 Hz units, mono, no mute control",
         raremonoRadio,
         {Band::AM, 594},
         {"ENUM_FREQ_BANDS 0", "ENUM_FREQ_BANDS 1", "ENUM_FREQ_BANDS 2", "ENUM_FREQ_BANDS 3",
          "G_CTRL", "S_TUNER mono", "S_FREQUENCY 9504", "G_FREQUENCY", "close"},
         594e3,
         1},
        {"FM in 62.5 kHz units",
         coarseCard,
         {Band::FM, 9000},
         {"ENUM_FREQ_BANDS 0", "ENUM_FREQ_BANDS 1", "ENUM_FREQ_BANDS 2", "G_CTRL", "S_TUNER mono",
          "S_FREQUENCY 1440", "G_FREQUENCY", "S_CTRL mute=0", "S_CTRL mute=1", "close"},
         90.0e6,
         1},
        {"AM in 62.5 kHz units, on a whole step",
         coarseCard,
         {Band::AM, 1000},
         {"ENUM_FREQ_BANDS 0", "ENUM_FREQ_BANDS 1", "ENUM_FREQ_BANDS 2", "G_CTRL", "S_TUNER mono",
          "S_FREQUENCY 16", "G_FREQUENCY", "S_CTRL mute=0", "S_CTRL mute=1", "close"},
         1000e3,
         1},
    };
    for (const TuneCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::shared_ptr<RecordedRadio> radio = c.recording();
        RadioTuner tuner(std::make_unique<FakeRadioDevice>(radio));
        SourceError error;
        ASSERT_TRUE(tuner.open("/dev/radio0", error)) << error.text;
        ASSERT_TRUE(tuner.tune(c.station, error)) << error.text;
        EXPECT_DOUBLE_EQ(tuner.tunedHz(), c.tunedHz);
        tuner.close();
        EXPECT_EQ(radio->log, concat(kOpening, c.log));
        EXPECT_EQ(radio->mute, c.muteAfterClose);
    }
}

TEST(RadioTunerTest, UnmutedTunerIsLeftUnmuted) {
    std::shared_ptr<RecordedRadio> radio = si470xStick();
    radio->mute = 0;
    RadioTuner tuner(std::make_unique<FakeRadioDevice>(radio));
    SourceError error;
    ASSERT_TRUE(tuner.open("/dev/radio0", error) && tuner.tune({Band::FM, 8250}, error));
    tuner.close();
    EXPECT_EQ(radio->log.back(), "close");
    EXPECT_EQ(radio->log[radio->log.size() - 2], "S_CTRL mute=0");
}

TEST(RadioFrequencyTest, UnitsConvertBothWays) {
    struct Case {
        TunerUnit unit;
        double hz;
        uint32_t units;
        double backHz; // the tuner's nearest step
    };
    const Case cases[] = {
        {TunerUnit::Fine, 80.0e6, 1280000, 80.0e6}, {TunerUnit::Fine, 76.1e6, 1217600, 76.1e6},
        {TunerUnit::Fine, 594e3, 9504, 594e3},      {TunerUnit::Fine, 1629e3, 26064, 1629e3},
        {TunerUnit::Coarse, 80.0e6, 1280, 80.0e6},  {TunerUnit::Coarse, 76.1e6, 1218, 76.125e6},
        {TunerUnit::Coarse, 594e3, 10, 625e3},      {TunerUnit::Hertz, 90.5e6, 90500000, 90.5e6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(unitName(c.unit)) + " " + std::to_string(c.hz));
        ASSERT_EQ(hzToUnits(c.hz, c.unit), c.units);
        EXPECT_DOUBLE_EQ(unitsToHz(c.units, c.unit), c.backHz);
    }
    EXPECT_EQ(hzToUnits(300e6, TunerUnit::Hertz), 300000000u);
    EXPECT_FALSE(hzToUnits(1e12, TunerUnit::Fine)); // beyond the ioctl's 32 bits
    EXPECT_FALSE(hzToUnits(-1, TunerUnit::Coarse));
    EXPECT_EQ(tunerUnitFor(V4L2_TUNER_CAP_LOW), TunerUnit::Fine);
    EXPECT_EQ(tunerUnitFor(V4L2_TUNER_CAP_1HZ | V4L2_TUNER_CAP_LOW), TunerUnit::Hertz);
    EXPECT_EQ(tunerUnitFor(V4L2_TUNER_CAP_STEREO), TunerUnit::Coarse);
}

TEST(RadioTunerTest, BandsAndRangesAreLearned) {
    struct Case {
        Recording recording;
        std::vector<std::string> bands; // name low–high in Hz
    };
    const Case cases[] = {
        {raremonoRadio, {"FM 64000000-108000000", "AM 520000-1710000", "SW 2300000-26100000"}},
        {ma901Stick, {"FM 87500000-108000000"}},
        {oldKernelStick, {"FM 87500000-108000000"}}, // the tuner's own range
        {coarseCard, {"FM 87500000-108000000", "AM 500000-1750000"}},
    };
    for (const Case& c : cases) {
        RadioTuner tuner(std::make_unique<FakeRadioDevice>(c.recording()));
        SourceError error;
        ASSERT_TRUE(tuner.open("/dev/radio0", error)) << error.text;
        std::vector<std::string> bands;
        for (const RadioBand& b : tuner.info().bands) {
            bands.push_back(b.name + " " + std::to_string(static_cast<long>(b.lowHz)) + "-" +
                            std::to_string(static_cast<long>(b.highHz)));
        }
        EXPECT_EQ(bands, c.bands) << tuner.info().name;
    }
}

TEST(RadioTunerTest, FaultsHaveTheirReasons) {
    struct Case {
        const char* name;
        void (*fault)(RecordedRadio&);
        const char* key;
    };
    const Case cases[] = {
        {"another program holds the node", [](RecordedRadio& r) { r.failures["open"] = EBUSY; },
         "device-busy"},
        {"busy while tuning", [](RecordedRadio& r) { r.failures["S_FREQUENCY"] = EBUSY; },
         "device-busy"},
        {"no such node", [](RecordedRadio& r) { r.unplugged = true; }, "no-receiver"},
        {"no permission", [](RecordedRadio& r) { r.failures["open"] = EACCES; },
         "permission-denied"},
        {"a video capture node",
         [](RecordedRadio& r) { r.capability.device_caps = V4L2_CAP_VIDEO_CAPTURE; },
         "not-a-radio"},
        {"no Video4Linux node at all", [](RecordedRadio& r) { r.failures["QUERYCAP"] = ENOTTY; },
         "not-a-radio"},
        {"unplugged while asked", [](RecordedRadio& r) { r.failures["G_TUNER"] = ENODEV; },
         "connection-lost"},
        {"unplugged while tuning", [](RecordedRadio& r) { r.failures["S_FREQUENCY"] = EIO; },
         "connection-lost"},
        {"frequency refused", [](RecordedRadio& r) { r.failures["S_FREQUENCY"] = EINVAL; },
         "tuning-failed"},
        {"settles elsewhere", [](RecordedRadio& r) { r.tuner.rangehigh = 78 * 16000; },
         "tuning-failed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::shared_ptr<RecordedRadio> radio = si470xStick();
        c.fault(*radio);
        RadioTuner tuner(std::make_unique<FakeRadioDevice>(radio));
        SourceError error;
        bool tuned = tuner.open("/dev/radio0", error) && tuner.tune({Band::FM, 8000}, error);
        EXPECT_FALSE(tuned);
        EXPECT_EQ(error.key, c.key) << error.text;
        EXPECT_NE(error.text.find("/dev/radio0"), std::string::npos) << error.text;
    }
}

TEST(RadioTunerTest, StationsOutsideTheTunerAreRefusedBeforeTuning) {
    struct Case {
        Recording recording;
        Station station;
        const char* key;
    };
    const Case cases[] = {
        {si470xStick, {Band::AM, 594}, "band-unsupported"},
        {ma901Stick, {Band::AM, 1134}, "band-unsupported"},
        {si470xStick, {Band::FM, 12000}, "frequency-out-of-range"},
        {raremonoRadio, {Band::FM, 5000}, "frequency-out-of-range"},
        {raremonoRadio, {Band::AM, 3000}, "frequency-out-of-range"}, // that is SW, not AM
        {coarseCard, {Band::AM, 594}, "frequency-unreachable"},
        {si470xStick, {Band::FM, -8000}, "bad-station"},
        {si470xStick, {Band::FM, 0}, "bad-station"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(describeStation(c.station));
        std::shared_ptr<RecordedRadio> radio = c.recording();
        RadioTuner tuner(std::make_unique<FakeRadioDevice>(radio));
        SourceError error;
        ASSERT_TRUE(tuner.open("/dev/radio0", error));
        EXPECT_FALSE(tuner.tune(c.station, error));
        EXPECT_EQ(error.key, c.key) << error.text;
        EXPECT_TRUE(std::none_of(radio->log.begin(), radio->log.end(), [](const std::string& s) {
            return s.rfind("S_", 0) == 0;
        })) << "nothing is set on the tuner";
    }
}

} // namespace
} // namespace velto
