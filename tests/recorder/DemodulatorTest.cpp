// The demodulators measured on synthetic captures: the figures broadcast reception must meet.
#include "CaptureGenerator.h"
#include "SignalAnalysis.h"
#include "dsp/AmDemodulator.h"
#include "dsp/FmDemodulator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace velto;
using namespace velto::test;

namespace {

std::vector<float> demodulate(Demodulator& demodulator,
                              const std::vector<std::complex<float>>& iq) {
    // In pieces of uneven size, as a receiver delivers them.
    std::vector<float> audio;
    std::size_t at = 0;
    for (std::size_t piece = 10'007; at < iq.size(); piece = piece * 7 % 65'536 + 1'000) {
        const std::size_t n = std::min(piece, iq.size() - at);
        demodulator.process(iq.data() + at, n, audio);
        at += n;
    }
    return audio;
}

std::unique_ptr<FmDemodulator> fm(double rate, double offset, double tau = 50e-6) {
    std::string why;
    auto demodulator = FmDemodulator::create({rate, offset, tau}, why);
    EXPECT_TRUE(demodulator) << why;
    return demodulator;
}

double db(double ratio) {
    return 20 * std::log10(ratio);
}

} // namespace

TEST(FmDemodulator, MonoToneAtFullDeviationAndFortyDbCnrIsCleanerThanFortyFiveDb) {
    // Also with the station 3 kHz off where the receiver expects it (a crystal 40 ppm out):
    // the same sound, and no DC offset left in it; and at the other usual rates.
    struct Case {
        double rate;
        double offset;
        double error;
    };
    for (const Case& c : {Case{1'024'000, 250'000, 0}, Case{1'024'000, 250'000, 3000},
                          Case{2'400'000, -300'000, 0}, Case{250'000, 0, 0}}) {
        SCOPED_TRACE(c.rate);
        SCOPED_TRACE(c.error);
        FmCapture capture;
        capture.rate = c.rate;
        capture.seconds = 1.5;
        capture.left = capture.right = {{1000, 1.0}};
        capture.cnrDb = 40;
        capture.offsetHz = c.offset + c.error;
        auto demodulator = fm(capture.rate, c.offset);
        const auto audio = demodulate(*demodulator, generateFm(capture));
        EXPECT_FALSE(demodulator->stereo());
        for (int side : {0, 1}) {
            const auto channel = channelOf(audio, side, 0.5);
            const double snr = sinadDb(channel, 1000);
            std::printf("FM mono SNR (%s, %.0f S/s, %.0f Hz off): %.1f dB\n",
                        side ? "right" : "left", c.rate, c.error, snr);
            EXPECT_GE(snr, 45.0);
            double mean = 0;
            for (float v : channel)
                mean += v;
            EXPECT_LT(std::abs(mean / double(channel.size())), 0.005);
        }
    }
}

TEST(FmDemodulator, StereoKeepsEachSideToItselfAndNoPilotMeansMono) {
    struct Case {
        const char* name;
        bool pilot;
    };
    for (const Case& c : {Case{"pilot", true}, Case{"no pilot", false}}) {
        SCOPED_TRACE(c.name);
        FmCapture capture;
        capture.stereo = true;
        capture.pilot = c.pilot;
        capture.left = {{1000, 0.8}};
        capture.right = {{1500, 0.8}};
        capture.cnrDb = 40;
        auto demodulator = fm(capture.rate, capture.offsetHz);
        const auto audio = demodulate(*demodulator, generateFm(capture));
        const auto left = channelOf(audio, 0, 0.5);
        const auto right = channelOf(audio, 1, 0.5);
        const double leftSeparation = db(toneAmplitude(left, 1000) / toneAmplitude(left, 1500));
        const double rightSeparation = db(toneAmplitude(right, 1500) / toneAmplitude(right, 1000));
        std::printf("FM %s: stereo %d, separation L %.1f dB, R %.1f dB, pilot level %.3f\n", c.name,
                    demodulator->stereo(), leftSeparation, rightSeparation,
                    demodulator->pilotLevel());
        EXPECT_EQ(demodulator->stereo(), c.pilot);
        if (c.pilot) {
            EXPECT_GE(leftSeparation, 30.0);
            EXPECT_GE(rightSeparation, 30.0);
        } else {
            // Mono: both tones on both sides, at the same level.
            for (double f : {1000.0, 1500.0})
                EXPECT_NEAR(db(toneAmplitude(left, f) / toneAmplitude(right, f)), 0.0, 0.1);
        }
    }
}

TEST(FmDemodulator, DeemphasisFollowsItsCurveAtTenKilohertz) {
    for (double tau : {50e-6, 75e-6}) {
        SCOPED_TRACE(tau);
        FmCapture capture;
        capture.left = capture.right = {{1000, 0.3}, {10'000, 0.3}};
        auto demodulator = fm(capture.rate, capture.offsetHz, tau);
        const auto left = channelOf(demodulate(*demodulator, generateFm(capture)), 0, 0.5);
        const double measured = db(toneAmplitude(left, 10'000) / toneAmplitude(left, 1000));
        auto curve = [tau](double f) {
            const double x = 2 * std::numbers::pi * f * tau;
            return 1 / std::sqrt(1 + x * x);
        };
        const double expected = db(curve(10'000) / curve(1000));
        std::printf("De-emphasis %.0f us at 10 kHz: %.2f dB, curve %.2f dB\n", tau * 1e6, measured,
                    expected);
        EXPECT_NEAR(measured, expected, 1.0);
    }
}

TEST(AmDemodulator, EightyPercentAtEightHundredHertzHasLittleDistortion) {
    AmCapture capture;
    capture.cnrDb = 40;
    std::string why;
    auto demodulator = AmDemodulator::create({capture.rate, capture.offsetHz}, why);
    ASSERT_TRUE(demodulator) << why;
    const auto left = channelOf(demodulate(*demodulator, generateAm(capture)), 0, 0.5);
    const double thd = harmonicDistortion(left, 800);
    std::printf("AM THD: %.2f %%, level %.3f\n", thd * 100, toneAmplitude(left, 800));
    EXPECT_LE(thd, 0.03);
    // The gain control brings 80 % modulation to about 80 % of full scale.
    EXPECT_NEAR(toneAmplitude(left, 800), 0.8, 0.1);
}

TEST(Demodulators, RefuseRatesTheyCannotBringTo48kHzAndStationsOutsideTheBand) {
    struct Case {
        const char* name;
        double rate;
        double offset;
    };
    for (const Case& c : {Case{"prime rate", 1'000'003, 0}, Case{"too slow for FM", 100'000, 0},
                          Case{"fractional rate", 1'024'000.5, 0},
                          Case{"station beyond the edge", 1'024'000, 480'000}}) {
        SCOPED_TRACE(c.name);
        std::string why;
        EXPECT_FALSE(FmDemodulator::create({c.rate, c.offset, 50e-6}, why));
        EXPECT_FALSE(why.empty());
    }
    std::string why;
    EXPECT_FALSE(AmDemodulator::create({1'024'000, 510'000}, why));
    EXPECT_FALSE(why.empty());
}
