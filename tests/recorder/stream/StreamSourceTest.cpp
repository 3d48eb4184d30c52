// The stream source against a server on loopback: good streams arrive as 48 kHz stereo with
// their tones; each hostile behaviour ends in its reason within its deadline.
#include "sources/stream/StreamSource.h"
#include "LoopbackServer.h"
#include "ToneMeter.h"

#include <gtest/gtest.h>

#include <thread>

namespace velto {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::LoopbackServer;

constexpr std::size_t rate = 48000;

// Short deadlines keep the suite quick; the default ones have a test of their own.
StreamOptions quick() {
    StreamOptions options;
    options.connectTimeout = 2s;
    options.readTimeout = 2s;
    return options;
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Reading {
    std::vector<float> audio;
    ReadStatus status = ReadStatus::Audio;
    SourceError error;
    double longestRead = 0; // seconds one read() took at most
    double longestGap = 0;  // seconds without audio at most, up to the end
};

// Reads until `frames` frames, the end of the stream, or `limit` of wall time.
Reading readAudio(StreamSource& source, std::size_t frames, double limit = 20) {
    Reading result;
    const auto start = Clock::now();
    auto lastAudio = start;
    while (result.audio.size() < frames * 2 && secondsSince(start) < limit) {
        const auto before = Clock::now();
        const std::size_t had = result.audio.size();
        result.status = source.read(result.audio, 200ms, result.error);
        result.longestRead = std::max(result.longestRead, secondsSince(before));
        const bool ended = result.status != ReadStatus::Audio;
        if (result.audio.size() > had || ended) {
            result.longestGap = std::max(result.longestGap, secondsSince(lastAudio));
            lastAudio = Clock::now();
        }
        if (ended) {
            break;
        }
    }
    return result;
}

class StreamSourceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = new LoopbackServer; }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(server->running()) << "the loopback server did not start"; }

    static LoopbackServer* server;
};

LoopbackServer* StreamSourceTest::server = nullptr;

// --- Streams that play -------------------------------------------------------------------

struct Playing {
    const char* name;
    std::string (*url)(const LoopbackServer&);
    bool ownCa = false; // trust the server's own authority (HTTPS on loopback)
};

class StreamPlays : public StreamSourceTest, public ::testing::WithParamInterface<Playing> {};

TEST_P(StreamPlays, DeliversBothTonesAt48kHzStereo) {
    StreamOptions options = quick();
    if (GetParam().ownCa) {
        options.caFile = server->caFile();
    }
    StreamSource source(GetParam().url(*server), options);
    SourceError error;
    ASSERT_TRUE(source.open(error)) << error.key << ": " << error.text;
    const Reading reading = readAudio(source, rate * 3 / 2);
    ASSERT_EQ(reading.status, ReadStatus::Audio) << reading.error.key << ": " << reading.error.text;
    ASSERT_GE(reading.audio.size(), rate * 3);
    EXPECT_TRUE(source.stereo());
    EXPECT_STREQ(source.kind(), "stream");
    // The tones sit at their frequencies only if the rate was converted right (a wrong rate
    // leaves no tone above the noise), each on its own side only if the channels kept their
    // order. The bound leaves room for the AAC encoder's noise.
    const test::Tone left = test::measureTone(reading.audio, 0, 1000, rate / 3, rate);
    const test::Tone right = test::measureTone(reading.audio, 1, 1500, rate / 3, rate);
    EXPECT_GT(left.snrDb, 20) << "left amplitude " << left.amplitude;
    EXPECT_GT(right.snrDb, 20) << "right amplitude " << right.amplitude;
    EXPECT_NEAR(left.amplitude, 0.125, 0.03);
    EXPECT_LT(test::measureTone(reading.audio, 0, 1500, rate / 3, rate).amplitude, 0.01);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, StreamPlays,
    ::testing::Values(
        Playing{"Mp3", [](const LoopbackServer& s) { return s.http("/tone.mp3"); }, false},
        Playing{"Aac", [](const LoopbackServer& s) { return s.http("/tone.aac"); }, false},
        Playing{"OggOpus", [](const LoopbackServer& s) { return s.http("/tone.opus"); }, false},
        Playing{"Hls", [](const LoopbackServer& s) { return s.http("/hls/tone.m3u8"); }, false},
        Playing{"OneRedirect", [](const LoopbackServer& s) { return s.http("/redirect-once"); },
                false},
        Playing{"HttpsVerified", [](const LoopbackServer& s) { return s.https("/tone.mp3"); },
                true},
        Playing{"HlsOverHttps", [](const LoopbackServer& s) { return s.https("/hls/tone.m3u8"); },
                true}),
    [](const auto& test) { return std::string(test.param.name); });

// --- Streams refused at open -------------------------------------------------------------

struct Refusal {
    const char* name;
    std::string (*url)(const LoopbackServer&);
    const char* key;
    bool ownCa = false;
};

class StreamRefused : public StreamSourceTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(StreamRefused, WithItsReasonWithinTheConnectDeadline) {
    StreamOptions options = quick();
    if (GetParam().ownCa) {
        options.caFile = server->caFile();
    }
    StreamSource source(GetParam().url(*server), options);
    SourceError error;
    const auto start = Clock::now();
    EXPECT_FALSE(source.open(error));
    const double took = secondsSince(start);
    EXPECT_EQ(error.key, GetParam().key) << error.text;
    EXPECT_FALSE(error.text.empty());
    EXPECT_LT(took, 2 + 1.5) << error.text;
    std::vector<float> audio;
    EXPECT_EQ(source.read(audio, 10ms, error), ReadStatus::Lost);
    EXPECT_TRUE(audio.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Hostile, StreamRefused,
    ::testing::Values(
        Refusal{"NotFound", [](const LoopbackServer& s) { return s.http("/404"); }, "not-found"},
        Refusal{"WebPage", [](const LoopbackServer& s) { return s.http("/html"); }, "not-audio"},
        Refusal{"Text", [](const LoopbackServer& s) { return s.http("/text"); }, "not-audio"},
        Refusal{"EndlessHeader", [](const LoopbackServer& s) { return s.http("/endless-header"); },
                "timeout"},
        Refusal{"SilentServer", [](const LoopbackServer& s) { return s.http("/silent"); },
                "timeout"},
        Refusal{"RedirectLoop", [](const LoopbackServer& s) { return s.http("/loop"); },
                "too-many-redirects"},
        Refusal{"RedirectToFile", [](const LoopbackServer& s) { return s.http("/to-file"); },
                "forbidden-redirect"},
        Refusal{"HlsSegmentInFile",
                [](const LoopbackServer& s) { return s.http("/hls/evil.m3u8"); }, "forbidden-url"},
        Refusal{"NobodyListens",
                [](const LoopbackServer&) {
                    return "http://127.0.0.1:" + std::to_string(LoopbackServer::closedPort()) +
                           "/tone.mp3";
                },
                "connection-failed"},
        Refusal{"NotHttp", [](const LoopbackServer&) { return std::string("file:///etc/passwd"); },
                "bad-url"},
        Refusal{"UntrustedCertificate",
                [](const LoopbackServer& s) { return s.https("/tone.mp3"); }, "tls-failed"},
        Refusal{"CertificateForAnotherName",
                [](const LoopbackServer& s) { return s.https("/tone.mp3", "127.0.0.1"); },
                "tls-failed", true}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(StreamSourceTest, RedirectLoopIsCutBeforeFfmpegsOwnLimit) {
    StreamOptions options = quick();
    options.maxRedirects = 3;
    StreamSource source(server->http("/loop"), options);
    const int before = server->hits("/loop");
    SourceError error;
    EXPECT_FALSE(source.open(error));
    EXPECT_EQ(error.key, "too-many-redirects");
    EXPECT_EQ(server->hits("/loop") - before, 4); // the request and three redirects
}

// --- Streams that end or change while read -----------------------------------------------

struct Ending {
    const char* name;
    const char* path;
    ReadStatus status;
    const char* key;
    double minAudioSeconds;
};

class StreamEnds : public StreamSourceTest, public ::testing::WithParamInterface<Ending> {};

TEST_P(StreamEnds, AfterItsAudioWithoutBlockingTheReader) {
    StreamSource source(server->http(GetParam().path), quick());
    SourceError error;
    ASSERT_TRUE(source.open(error)) << error.key << ": " << error.text;
    const Reading reading = readAudio(source, rate * 60);
    EXPECT_EQ(reading.status, GetParam().status);
    EXPECT_EQ(reading.error.key, GetParam().key) << reading.error.text;
    EXPECT_GE(static_cast<double>(reading.audio.size()) / 2 / rate, GetParam().minAudioSeconds);
    EXPECT_LT(reading.longestRead, 0.2 + 0.5);
    if (std::string(GetParam().key) == "stalled") {
        // The read deadline counts from the last audio. (The last MP3 frame comes with the
        // end: the parser holds it until it knows no more data follows.)
        EXPECT_GT(reading.longestGap, 2 - 0.3);
        EXPECT_LT(reading.longestGap, 2 + 1.5);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Endings, StreamEnds,
    ::testing::Values(Ending{"Stall", "/stall", ReadStatus::Lost, "stalled", 0.9},
                      Ending{"DroppedConnection", "/drop", ReadStatus::Lost, "connection-lost",
                             0.9},
                      Ending{"CompletePlaylist", "/hls/tone.m3u8", ReadStatus::Finished, "", 5.9}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(StreamSourceTest, StallEndsAfterTheDefaultTenSeconds) {
    StreamSource source(server->http("/stall"));
    SourceError error;
    ASSERT_TRUE(source.open(error)) << error.text;
    const Reading reading = readAudio(source, rate * 60, 30);
    EXPECT_EQ(reading.error.key, "stalled");
    EXPECT_GT(reading.longestGap, 9.7);
    EXPECT_LT(reading.longestGap, 11.5);
    EXPECT_LT(reading.longestRead, 0.2 + 0.5);
}

TEST_F(StreamSourceTest, SampleRateAndChannelChangeGoOn) {
    StreamSource source(server->http("/rate-change"), quick());
    SourceError error;
    ASSERT_TRUE(source.open(error)) << error.text;
    const Reading reading = readAudio(source, rate * 4);
    ASSERT_EQ(reading.status, ReadStatus::Audio) << reading.error.text;
    ASSERT_GE(reading.audio.size(), rate * 8);
    // First 44.1 kHz stereo at 1 kHz, then 32 kHz mono at 2 kHz on both sides.
    EXPECT_GT(test::measureTone(reading.audio, 0, 1000, rate / 3, rate).snrDb, 20);
    for (int channel : {0, 1}) {
        EXPECT_GT(test::measureTone(reading.audio, channel, 2000, rate * 5 / 2, rate).snrDb, 20)
            << "channel " << channel;
    }
    EXPECT_FALSE(source.stereo());
}

TEST_F(StreamSourceTest, ReopensAfterALostConnection) {
    StreamSource source(server->http("/drop"), quick());
    SourceError error;
    ASSERT_TRUE(source.open(error)) << error.text;
    EXPECT_EQ(readAudio(source, rate * 60).status, ReadStatus::Lost);
    ASSERT_TRUE(source.open(error)) << error.text;
    EXPECT_GE(readAudio(source, rate / 2).audio.size(), rate);
}

TEST_F(StreamSourceTest, CloseIsPromptWhileTheWorkerWaits) {
    // Once in FFmpeg waiting for data, once waiting for room in a full buffer.
    for (const char* path : {"/stall", "/tone.mp3"}) {
        StreamOptions options = quick();
        options.bufferLength = 500ms;
        StreamSource source(server->http(path), options);
        SourceError error;
        ASSERT_TRUE(source.open(error)) << error.text;
        std::this_thread::sleep_for(700ms);
        const auto start = Clock::now();
        source.close();
        EXPECT_LT(secondsSince(start), 1.0) << path;
        std::vector<float> audio;
        EXPECT_EQ(source.read(audio, 10ms, error), ReadStatus::Lost);
        EXPECT_EQ(error.key, "not-open");
    }
}

} // namespace
} // namespace velto
