// The v4l2: source as the command line and the environment give it.
#include "recorder/sources/tuner/RadioSourceSpec.h"
#include "recorder/sources/tuner/RadioTunerSource.h"

#include <gtest/gtest.h>

namespace velto {
namespace {

TEST(RadioSourceSpecTest, ReadsTheDeviceAndItsOptions) {
    struct Case {
        std::string text;
        const char* device; // null: refused
        const char* sound = "";
        unsigned rate = 0;
    };
    const Case cases[] = {
        {"v4l2:/dev/radio0", "/dev/radio0", "", 0},
        {"v4l2:/dev/radio1?alsa=hw:CARD=Radio,DEV=0", "/dev/radio1", "hw:CARD=Radio,DEV=0", 0},
        {"v4l2:/dev/v4l/by-id/usb-radio?rate=96000&alsa=plughw:2", "/dev/v4l/by-id/usb-radio",
         "plughw:2", 96000},
        {"v4l2:", nullptr},
        {"v4l2:radio0", nullptr},
        {"soapy:driver=rtlsdr", nullptr},
        {"v4l2:/dev/radio0?alsa=", nullptr},
        {"v4l2:/dev/radio0?alsa=a&alsa=b", nullptr},
        {"v4l2:/dev/radio0?rate=44100x", nullptr},
        {"v4l2:/dev/radio0?rate=4294967297", nullptr},
        {"v4l2:/dev/radio0?rate=100", nullptr},
        {"v4l2:/dev/radio0?gain=3", nullptr},
        {"v4l2:/dev/radio0?alsa", nullptr},
        {"v4l2:/dev/radio0?alsa=hw:0 1", nullptr},
        {std::string("v4l2:/dev/radio0\n"), nullptr},
        {std::string("v4l2:/dev/rad\0io0", 16), nullptr},
        {"v4l2:/" + std::string(5000, 'a'), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 60));
        RadioSourceSpec spec;
        SourceError error;
        bool parsed = parseRadioSourceSpec(c.text, spec, error);
        if (!c.device) {
            EXPECT_FALSE(parsed);
            EXPECT_EQ(error.key, "bad-source");
            EXPECT_LT(error.text.size(), 400u);
            continue;
        }
        ASSERT_TRUE(parsed) << error.text;
        EXPECT_EQ(spec.device, c.device);
        EXPECT_EQ(spec.soundDevice, c.sound);
        EXPECT_EQ(spec.rate, c.rate);
        RadioSourceSpec again;
        ASSERT_TRUE(parseRadioSourceSpec(formatRadioSourceSpec(spec), again, error));
        EXPECT_EQ(again.soundDevice, spec.soundDevice);
    }
}

TEST(RadioSourceSpecTest, FactoryRefusesWhatCannotBeAStation) {
    struct Case {
        const char* spec;
        const char* band;
        int ch;
        const char* key; // "" when made
    };
    const Case cases[] = {
        {"v4l2:/dev/radio0", "FM", 8000, ""},
        {"v4l2:/dev/radio0?alsa=hw:CARD=Radio", "AM", 594, ""},
        {"v4l2:/dev/radio0", "SW", 6000, "bad-station"},
        {"v4l2:/dev/radio0", "FM", -1, "bad-station"},
        {"v4l2:/dev/radio0", "AM", 2147483647, "bad-station"},
        {"rtl:/dev/radio0", "FM", 8000, "bad-source"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.spec + std::string(" ") + c.band + std::to_string(c.ch));
        SourceError error;
        std::unique_ptr<RadioTunerSource> source =
            makeRadioTunerSource(c.spec, c.band, c.ch, error);
        EXPECT_EQ(source != nullptr, *c.key == '\0');
        EXPECT_EQ(error.key, c.key);
        if (source) {
            EXPECT_STREQ(source->kind(), "receiver");
        }
    }
}

} // namespace
} // namespace velto
