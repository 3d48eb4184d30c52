// Sources: capture addresses, captures replayed through the receiver (every sample format,
// looping, and the captures that must be refused or cut short), the source factory.
#include "CaptureGenerator.h"
#include "SignalAnalysis.h"
#include "TempFolder.h"
#include "sources/IqFileSource.h"
#include "sources/Receiver.h"
#include "sources/SoapySource.h"
#include "sources/SourceFactory.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sys/stat.h>

using namespace velto;
using namespace velto::test;
using namespace std::chrono_literals;

namespace {

const Station kStation{Band::FM, 8025}; // 80.25 MHz, 250 kHz above the centre

std::string address(const std::string& path, const char* format, const char* extra = "") {
    return "iq:" + path + "?format=" + format + "&rate=1024000&center=80000000" + extra;
}

// Reads a source to its end (or `seconds` of sound); the last status and error.
struct Played {
    std::vector<float> audio;
    ReadStatus status = ReadStatus::Audio;
    SourceError error;
    bool stereo = false;
};
Played play(AudioSource& source, double seconds = 1e9) {
    Played played;
    for (int i = 0; i < 10'000 && played.audio.size() < seconds * 96'000; ++i) {
        played.status = source.read(played.audio, 500ms, played.error);
        if (played.status != ReadStatus::Audio)
            break;
    }
    played.stereo = source.stereo();
    return played;
}

std::unique_ptr<AudioSource> make(const std::string& text, SourceError& error,
                                  Station station = kStation) {
    static const SourceFactory factory;
    SourceRequest request;
    request.address = text;
    request.station = station;
    request.fast = true;
    return factory.create(request, error);
}

FmCapture stereoCapture(double seconds) {
    FmCapture capture;
    capture.seconds = seconds;
    capture.stereo = capture.pilot = true;
    capture.left = {{1000, 0.8}};
    capture.right = {{1500, 0.8}};
    capture.cnrDb = 40;
    return capture;
}

} // namespace

TEST(CaptureInfo, ParsesWhatItNeedsAndRefusesTheRest) {
    struct Case {
        const char* text;
        bool good;
    };
    const Case cases[] = {
        {"/tmp/a.cu8?format=cu8&rate=1024000&center=80000000", true},
        {"/tmp/a%20b.cs16?format=cs16&rate=2400000&center=80e6&loop=1", true},
        {"/tmp/what?.cf32?format=cf32&rate=1024000&center=1000000", true},
        {"/tmp/a.cu8", false},                                    // no settings
        {"/tmp/a.cu8?format=cu8&rate=1024000", false},            // no centre
        {"/tmp/a.cu8?format=u8&rate=1024000&center=1", false},    // unknown format
        {"/tmp/a.cu8?format=cu8&rate=-5&center=1", false},        // negative rate
        {"/tmp/a.cu8?format=cu8&rate=1e300&center=1", false},     // absurd rate
        {"/tmp/a.cu8?format=cu8&rate=1024000.5&center=1", false}, // fractional rate
        {"/tmp/a.cu8?format=cu8&rate=1024000&center=nan", false}, // not a number
        {"/tmp/a.cu8?format=cu8&rate=1024000&center=1&loop=2", false},
        {"/tmp/a.cu8?format=cu8&rate=1024000&center=1&rate=2", false}, // repeated
        {"/tmp/a.cu8?format=cu8&rate=1024000&center=1&gain=3", false}, // unknown key
        {"/tmp/a%2.cu8?format=cu8&rate=1024000&center=1", false},      // broken escape
        {"/tmp/a%00.cu8?format=cu8&rate=1024000&center=1", false},     // NUL in the name
        {"?format=cu8&rate=1024000&center=1", false},                  // no file
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string why;
        const auto info = CaptureInfo::parse(c.text, why);
        EXPECT_EQ(info.has_value(), c.good) << why;
        if (!c.good) {
            EXPECT_FALSE(why.empty());
        }
    }
    std::string why;
    const auto info =
        CaptureInfo::parse("/tmp/what?.cf32?format=cf32&rate=1024000&center=1e6", why);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->path, "/tmp/what?.cf32");
    EXPECT_EQ(info->centreHz, 1e6);
}

TEST(IqFileSource, EveryFormatReplaysAsStereoWithEachToneOnItsSide) {
    TempFolder folder;
    const auto samples = generateFm(stereoCapture(1.0));
    struct Case {
        const char* format;
        CaptureFormat encoding;
    };
    for (const Case& c : {Case{"cu8", CaptureFormat::Cu8}, Case{"cs16", CaptureFormat::Cs16},
                          Case{"cf32", CaptureFormat::Cf32}}) {
        SCOPED_TRACE(c.format);
        const auto path = folder.file(std::string("fm.") + c.format);
        ASSERT_TRUE(writeCapture(path, samples, c.encoding));
        SourceError error;
        auto source = make(address(path, c.format), error);
        ASSERT_TRUE(source) << error.text;
        ASSERT_TRUE(source->open(error)) << error.text;
        const Played played = play(*source);
        EXPECT_EQ(played.status, ReadStatus::Finished);
        EXPECT_EQ(played.error.key, "capture-ended");
        EXPECT_TRUE(played.stereo);
        EXPECT_STREQ(source->kind(), "receiver");
        // A second of sound, less what the filters still hold.
        EXPECT_NEAR(played.audio.size() / 2 / 48'000.0, 1.0, 0.02);
        const auto left = channelOf(played.audio, 0, 0.3);
        const auto right = channelOf(played.audio, 1, 0.3);
        EXPECT_GT(toneAmplitude(left, 1000), 30 * toneAmplitude(left, 1500));
        EXPECT_GT(toneAmplitude(right, 1500), 30 * toneAmplitude(right, 1000));
    }
}

TEST(IqFileSource, LoopsWhenAskedAndReopensFromTheStart) {
    TempFolder folder;
    const auto path = folder.file("short.cu8");
    ASSERT_TRUE(writeCapture(path, generateFm(stereoCapture(0.25)), CaptureFormat::Cu8));
    SourceError error;
    auto source = make(address(path, "cu8", "&loop=1"), error);
    ASSERT_TRUE(source && source->open(error)) << error.text;
    const Played looped = play(*source, 1.0);
    EXPECT_EQ(looped.status, ReadStatus::Audio);
    EXPECT_GE(looped.audio.size(), 96'000u);
    source->close();
    ASSERT_TRUE(source->open(error));
    EXPECT_GE(play(*source, 0.2).audio.size(), 2u * 9'600);
}

TEST(IqFileSource, RefusesOrCutsShortWhatIsNotAGoodCapture) {
    TempFolder folder;
    const auto good = encodeCapture(generateFm(stereoCapture(0.2)), CaptureFormat::Cs16);
    const auto fifo = folder.file("fifo.cs16");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto odd = folder.file("odd.cs16");
    std::ofstream(odd, std::ios::binary) << good.substr(0, good.size() - 3);
    const auto empty = folder.file("empty.cs16");
    std::ofstream(empty, std::ios::binary) << "\x01";
    struct Case {
        const char* name;
        std::string path;
        Station station;
        std::string openKey;   // refused at open with this key
        std::string finishKey; // or played and finished with this one
    };
    const Case cases[] = {
        {"FIFO", fifo, kStation, "capture-not-a-file", ""},
        {"folder", folder.path().string(), kStation, "capture-not-a-file", ""},
        {"missing", folder.file("none.cs16"), kStation, "capture-unreadable", ""},
        {"shorter than a sample", empty, kStation, "capture-empty", ""},
        {"station outside the capture", odd, Station{Band::FM, 9000}, "station-outside-capture",
         ""},
        {"AM station in an FM capture", odd, Station{Band::AM, 594}, "station-outside-capture", ""},
        {"ends inside a sample", odd, kStation, "", "capture-truncated"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SourceError error;
        auto source = make(address(c.path, "cs16"), error, c.station);
        ASSERT_TRUE(source) << error.text;
        const bool opened = source->open(error);
        if (!c.openKey.empty()) {
            EXPECT_FALSE(opened);
            EXPECT_EQ(error.key, c.openKey);
            EXPECT_FALSE(error.text.empty());
            continue;
        }
        ASSERT_TRUE(opened) << error.text;
        const Played played = play(*source);
        EXPECT_EQ(played.status, ReadStatus::Finished);
        EXPECT_EQ(played.error.key, c.finishKey);
        EXPECT_NEAR(played.audio.size() / 2 / 48'000.0, 0.2, 0.02);
    }
}

TEST(IqFileSource, HostileFloatsNeverReachTheFiltersAsInfinities) {
    TempFolder folder;
    auto samples = generateFm(stereoCapture(0.3));
    for (std::size_t i = 0; i < samples.size(); i += 997)
        samples[i] = {std::numeric_limits<float>::infinity(), std::nanf("")};
    const auto path = folder.file("hostile.cf32");
    ASSERT_TRUE(writeCapture(path, samples, CaptureFormat::Cf32));
    SourceError error;
    auto source = make(address(path, "cf32"), error);
    ASSERT_TRUE(source && source->open(error)) << error.text;
    const Played played = play(*source);
    ASSERT_FALSE(played.audio.empty());
    for (float v : played.audio)
        ASSERT_TRUE(std::isfinite(v) && std::abs(v) <= 1.0f);
}

TEST(SourceFactory, EveryKindRefusesWhatItCannotTakeAndOtherKindsCanBeAdded) {
    SourceFactory factory;
    EXPECT_EQ(factory.schemes(), (std::vector<std::string>{"iq", "soapy", "url", "v4l2"}));
    SourceRequest request;
    request.station = kStation;
    SourceError error;
    const std::pair<const char*, const char*> refused[] = {
        {"rtl:0", "bad-source"},
        {"nothing", "bad-source"},
        {":x", "bad-source"},
        {"IQ:/x?format=cu8&rate=1&center=1", "bad-source"},
        {"iq:/x", "bad-source"},
        {"soapy:driver=rtlsdr?gain=loud", "bad-source"},
        {"soapy:?ppm=1e9", "bad-source"},
        {"url:file:///etc/passwd", "bad-url"},
        {"url:radio.example/live.mp3", "bad-url"},
        {"v4l2:radio0", "bad-source"},
        {"v4l2:/dev/radio0?gain=3", "bad-source"},
    };
    for (const auto& [bad, key] : refused) {
        SCOPED_TRACE(bad);
        request.address = bad;
        error = {};
        EXPECT_FALSE(factory.create(request, error));
        EXPECT_EQ(error.key, key);
    }
    // Made without connecting or touching a device: opening comes later.
    for (const char* good : {"url:https://radio.example/live.mp3", "v4l2:/dev/radio9"}) {
        SCOPED_TRACE(good);
        request.address = good;
        const auto source = factory.create(request, error);
        ASSERT_TRUE(source);
        EXPECT_STREQ(source->kind(), *good == 'u' ? "stream" : "receiver");
    }
    // A scheme of a test's own, with the rest of the address.
    std::string seen;
    factory.add("fake",
                [&seen](const SourceRequest&, const std::string& details,
                        SourceError& e) -> std::unique_ptr<AudioSource> {
                    seen = details;
                    e = {"connection-lost", "test"};
                    return nullptr;
                });
    request.address = "fake:https://example.org/live?x=1";
    EXPECT_FALSE(factory.create(request, error));
    EXPECT_EQ(seen, "https://example.org/live?x=1");
}

TEST(SoapySource, WithoutAReceiverOpeningSaysSoAtOnce) {
    SourceError error;
    if (!listReceivers(10s, error).empty())
        GTEST_SKIP() << "a receiver is attached to this machine";
    auto source = make("soapy:", error);
    ASSERT_TRUE(source);
    EXPECT_FALSE(source->open(error));
    EXPECT_EQ(error.key, "no-receiver");
    auto named = make("soapy:driver=rtlsdr,serial=none", error);
    ASSERT_TRUE(named);
    EXPECT_FALSE(named->open(error));
    EXPECT_EQ(error.key, "no-receiver");
    EXPECT_NE(error.text.find("serial=none"), std::string::npos);
}
