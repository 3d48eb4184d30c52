// The card's rate to 48 kHz stereo, measured: frequency, level, noise and length.
#include "recorder/sources/tuner/RateConverter.h"
#include "tests/recorder/tuner/ToneAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace velto {
namespace {

TEST(RateConverterTest, TonesKeepFrequencyLevelAndLengthAt48kHz) {
    struct Case {
        unsigned rate;
        unsigned channels;
        double leftHz;
        double rightHz;      // the second channel's tone, when there is one
        double interfererHz; // added to both channels at half the level; 0: none
        double minSnrDb;
    };
    const Case cases[] = {
        {44100, 2, 1000, 1500, 0, 85},
        {96000, 2, 1000, 440, 30000, 85}, // 30 kHz must not fold back to 18 kHz
        {32000, 1, 997, 0, 0, 85},
        {22050, 1, 3000, 0, 0, 85},
        {48000, 2, 1000, 1500, 0, 120}, // passed through as it is
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.rate) + " Hz, " + std::to_string(c.channels) + " channels");
        RateConverter converter;
        SourceError error;
        ASSERT_TRUE(converter.configure(c.rate, c.channels, error)) << error.text;

        const std::size_t frames = c.rate * 2; // two seconds
        std::vector<float> input(frames * c.channels);
        for (std::size_t i = 0; i < frames; ++i) {
            const double t = static_cast<double>(i) / c.rate;
            const double extra = c.interfererHz > 0
                                     ? 0.25 * std::sin(2 * std::numbers::pi * c.interfererHz * t)
                                     : 0.0;
            input[i * c.channels] =
                static_cast<float>(0.5 * std::sin(2 * std::numbers::pi * c.leftHz * t) + extra);
            if (c.channels == 2) {
                input[i * 2 + 1] = static_cast<float>(
                    0.5 * std::sin(2 * std::numbers::pi * c.rightHz * t) + extra);
            }
        }
        // Uneven pieces, as a card's reads come.
        std::vector<float> out;
        for (std::size_t at = 0, piece = 1; at < frames;
             at += piece, piece = piece * 7 % 4093 + 1) {
            piece = std::min(piece, frames - at);
            converter.process(input.data() + at * c.channels, piece, out);
        }
        const std::size_t produced = out.size() / 2;
        EXPECT_EQ(produced + converter.pending() * 48000 / c.rate, 96000u);

        const std::size_t first = 4800; // past the filter's start
        const std::size_t count = 48000;
        for (int channel = 0; channel < 2; ++channel) {
            const double hz = (channel == 1 && c.channels == 2) ? c.rightHz : c.leftHz;
            ToneFit fit = fitTone(out, 2, channel, first, count, 48000);
            EXPECT_NEAR(fit.frequency, hz, 0.01) << "channel " << channel;
            EXPECT_NEAR(fit.amplitude, 0.5, 0.005) << "channel " << channel;
            EXPECT_GE(fit.snrDb, c.minSnrDb) << "channel " << channel;
            RecordProperty(std::to_string(c.rate) + "Hz_ch" + std::to_string(channel) + "_snr_dB",
                           std::to_string(fit.snrDb));
        }
    }
}

TEST(RateConverterTest, RefusesRatesItCannotBring) {
    RateConverter converter;
    SourceError error;
    EXPECT_FALSE(converter.configure(0, 2, error));
    EXPECT_FALSE(converter.configure(48000, 0, error));
    EXPECT_FALSE(converter.configure(47999, 2, error)); // 48000/47999 needs 48000 phases
    EXPECT_EQ(error.key, "sound-card-error");
    EXPECT_TRUE(converter.configure(8000, 1, error));
}

} // namespace
} // namespace velto
