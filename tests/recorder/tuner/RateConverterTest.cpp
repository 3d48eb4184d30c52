// The card's rate to 48 kHz stereo, measured: frequency, level, noise and length.
#include "sources/tuner/RateConverter.h"
#include "ToneAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace velto {
namespace {

TEST(RateConverterTest, TonesKeepFrequencyLevelAndLengthAt48kHz) {
    struct Case {
        unsigned rate;
        unsigned channels;
        double hz[2];        // the second is heard only from a stereo card
        double interfererHz; // at half the level on both channels; 0: none
        double minSnrDb;
    };
    const Case cases[] = {
        {44100, 2, {1000, 1500}, 0, 90},
        {96000, 2, {1000, 440}, 30000, 90}, // 30 kHz must not fold back to 18 kHz
        {32000, 1, {997, 997}, 0, 90},      // mono, heard on both sides
        {22050, 1, {3000, 3000}, 0, 90},
        {48000, 2, {1000, 1500}, 0, 120}, // passed through as it is
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.rate) + " Hz, " + std::to_string(c.channels) + " channels");
        RateConverter converter;
        SourceError error;
        ASSERT_TRUE(converter.configure(c.rate, c.channels, error)) << error.text;
        const std::size_t frames = c.rate * 2;
        std::vector<float> input;
        for (std::size_t i = 0; i < frames; ++i) {
            const double t = static_cast<double>(i) / c.rate;
            for (unsigned ch = 0; ch < c.channels; ++ch) {
                input.push_back(
                    static_cast<float>(0.5 * std::sin(2 * std::numbers::pi * c.hz[ch] * t) +
                                       0.25 * std::sin(2 * std::numbers::pi * c.interfererHz * t)));
            }
        }
        std::vector<float> out; // fed in uneven pieces, as a card's reads come
        for (std::size_t at = 0, piece = 1; at < frames;
             at += piece, piece = piece * 7 % 4093 + 1) {
            piece = std::min(piece, frames - at);
            converter.process(input.data() + at * c.channels, piece, out);
        }
        EXPECT_EQ(out.size(), 96000u * 2) << "two seconds";
        for (int ch = 0; ch < 2; ++ch) {
            ToneFit fit = fitTone(out, ch, 4800, 48000, 48000); // past the filter's start
            EXPECT_NEAR(fit.frequency, c.hz[ch], 0.01) << "channel " << ch;
            EXPECT_NEAR(fit.amplitude, 0.5, 0.005) << "channel " << ch;
            EXPECT_GE(fit.snrDb, c.minSnrDb) << "channel " << ch;
            RecordProperty(std::to_string(c.rate) + "_" + std::to_string(ch) + "_snr_dB",
                           std::to_string(fit.snrDb));
        }
    }
    RateConverter converter;
    SourceError error;
    EXPECT_FALSE(converter.configure(47999, 2, error)) << "48000/47999 needs 48000 phases";
    EXPECT_FALSE(converter.configure(48000, 0, error));
    EXPECT_EQ(error.key, "sound-card-error");
}

} // namespace
} // namespace velto
