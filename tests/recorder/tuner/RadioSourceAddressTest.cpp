// The v4l2: source as the command line and the environment give it, and the factory.
#include "sources/tuner/RadioSourceAddress.h"
#include "sources/tuner/RadioTunerSource.h"

#include <gtest/gtest.h>

namespace velto {
namespace {

TEST(RadioSourceAddressTest, ReadsTheDeviceAndItsOptionsAndRefusesTheRest) {
    const std::pair<std::string, const char*> cases[] = {
        {"v4l2:/dev/radio0", "/dev/radio0 |  | 0"},
        {"v4l2:/dev/radio1?alsa=hw:CARD=Radio,DEV=0", "/dev/radio1 | hw:CARD=Radio,DEV=0 | 0"},
        {"v4l2:/dev/v4l/by-id/r?rate=96000&alsa=plughw:2", "/dev/v4l/by-id/r | plughw:2 | 96000"},
        {"v4l2:radio0", nullptr},
        {"soapy:driver=rtlsdr", nullptr},
        {"v4l2:/dev/radio0?alsa=a&alsa=b", nullptr},
        {"v4l2:/dev/radio0?rate=4294967297", nullptr},
        {"v4l2:/dev/radio0?gain=3", nullptr},
        {"v4l2:/dev/radio0?alsa", nullptr},
        {std::string("v4l2:/dev/rad\0io0", 16), nullptr},
        {"v4l2:/" + std::string(5000, 'a'), nullptr},
    };
    for (const auto& [text, expected] : cases) {
        RadioSourceAddress address;
        SourceError error;
        const bool parsed = parseRadioSourceAddress(text, address, error);
        EXPECT_EQ(parsed ? address.device + " | " + address.soundDevice + " | " +
                               std::to_string(address.rate)
                         : error.key,
                  expected ? expected : "bad-source")
            << text.substr(0, 60);
        EXPECT_LT(error.text.size(), 400u);
        RadioSourceAddress again;
        EXPECT_TRUE(!parsed ||
                    parseRadioSourceAddress(formatRadioSourceAddress(address), again, error));
    }

    const std::tuple<const char*, Band, int, const char*> made[] = {
        {"v4l2:/dev/radio0", Band::FM, 8000, ""},
        {"v4l2:/dev/radio0", Band::AM, 2147483647, "bad-station"},
        {"rtl:/dev/radio0", Band::FM, 8000, "bad-source"},
    };
    for (const auto& [text, band, ch, key] : made) {
        SourceError error;
        EXPECT_EQ(makeRadioTunerSource(text, {band, ch}, error) != nullptr, *key == '\0') << text;
        EXPECT_EQ(error.key, key) << ch;
    }
}

} // namespace
} // namespace velto
