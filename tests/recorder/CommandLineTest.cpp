// The velto program itself: `velto record` from a capture (fast and at its own rate) into a
// file carrying the tones on the right sides, the exit statuses, the refusals, and
// `velto devices`.
#include "CaptureGenerator.h"
#include "OpusTools.h"
#include "SignalAnalysis.h"
#include "TempFolder.h"
#include "cli/TimeArgument.h"
#include "stream/LoopbackServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace velto;
using namespace velto::test;

namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
    double seconds = 0; // how long it ran
};

std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs velto with the arguments (and an environment assignment in front, if any).
Outcome runVelto(const std::vector<std::string>& args, const std::string& environment = "") {
    const std::string errFile = ::testing::TempDir() + "velto-err-" + std::to_string(getpid());
    std::string command = environment + " " + quoted(VELTO_BINARY);
    for (const auto& a : args)
        command += " " + quoted(a);
    command += " 2>" + quoted(errFile);
    Outcome run;
    const auto began = std::chrono::steady_clock::now();
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, n);
    const int raw = pclose(pipe);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::stringstream err;
    err << std::ifstream(errFile).rdbuf();
    run.err = err.str();
    std::filesystem::remove(errFile);
    while (!run.out.empty() && run.out.back() == '\n')
        run.out.pop_back();
    return run;
}

// A stereo capture: 1 kHz left, 1.5 kHz right, FM at 80.25 MHz around 80.0 MHz.
std::string stereoCapture(const TempFolder& folder, double seconds) {
    FmCapture capture;
    capture.seconds = seconds;
    capture.stereo = capture.pilot = true;
    capture.left = {{1000, 0.8}};
    capture.right = {{1500, 0.8}};
    capture.cnrDb = 40;
    const auto path = folder.file("fm.cu8");
    writeCapture(path, generateFm(capture), CaptureFormat::Cu8);
    return "iq:" + path + "?format=cu8&rate=1024000&center=80000000";
}

void expectStereoFile(const std::string& path, double seconds) {
    ASSERT_TRUE(std::filesystem::exists(path)) << path;
    const Decoded decoded = decodeOpus(path);
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.channels, 2);
    EXPECT_NEAR(decoded.seconds(), seconds, 1.0);
    const auto left = channelOf(decoded.samples, 0, 0.5);
    const auto right = channelOf(decoded.samples, 1, 0.5);
    EXPECT_GT(toneAmplitude(left, 1000), 10 * toneAmplitude(left, 1500));
    EXPECT_GT(toneAmplitude(right, 1500), 10 * toneAmplitude(right, 1000));
}

} // namespace

TEST(TimeArgument, TakesIsoTimesWithAnOffsetAndSecondsSince1970) {
    using std::chrono::system_clock;
    struct Case {
        const char* text;
        std::optional<std::int64_t> seconds;
    };
    const Case cases[] = {
        {"2026-01-01T09:59:00+09:00", 1767229140},
        {"2026-01-01T00:59:00Z", 1767229140},
        {"2026-01-01T00:59Z", 1767229140},
        {"2025-12-31T19:59:00-0500", 1767229140},
        {"1767229140", 1767229140},
        {"1767229140.5", 1767229140},
        {"2024-02-29T00:00:00Z", 1709164800},
        {"2026-01-01T09:59:00", std::nullopt}, // no offset
        {"2025-02-29T00:00:00Z", std::nullopt},
        {"2026-13-01T00:00:00Z", std::nullopt},
        {"2026-01-01T24:00:00Z", std::nullopt},
        {"2026-01-01T00:00:00+25:00", std::nullopt},
        {"-5", std::nullopt},
        {"1e10", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"", std::nullopt},
        {"tomorrow", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto t = parseTimeArgument(c.text);
        ASSERT_EQ(t.has_value(), c.seconds.has_value());
        if (t) {
            EXPECT_EQ(
                std::chrono::duration_cast<std::chrono::seconds>(t->time_since_epoch()).count(),
                *c.seconds);
        }
    }
}

TEST(VeltoRecord, FastReplayOfACaptureMakesAStereoFileNamedAfterItsTitle) {
    TempFolder folder;
    const auto source = stereoCapture(folder, 4.0);
    const Outcome run = runVelto({"record", "--band", "FM", "--ch", "8025", "--seconds", "3",
                                  "--title", "News/Weather\x01", "--source", source, "--output",
                                  folder.path().string(), "--fast"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.find(folder.path().string() + "/"), 0u);
    EXPECT_NE(run.out.find(" News-Weather.opus"), std::string::npos) << run.out;
    expectStereoFile(run.out, 3.0);
    const OpusInfo info = inspectOpus(run.out);
    EXPECT_TRUE(info.clean) << info.text;
    EXPECT_NE(info.text.find("COMMENT=FM 80.25 MHz (CH 8025)"), std::string::npos) << info.text;
}

TEST(VeltoRecord, RealTimeFromTheEnvironmentsSourceWithALongTitle) {
    TempFolder folder;
    const std::string title(10'000, 'x');
    const Outcome run = runVelto({"record", "--band", "FM", "--ch", "8025", "--seconds", "2",
                                  "--title", title, "--output", folder.path().string()},
                                 "VELTO_SOURCE=" + quoted(stereoCapture(folder, 3.0)));
    EXPECT_EQ(run.status, 0);
    EXPECT_LE(std::filesystem::path(run.out).filename().string().size(), 255u);
    expectStereoFile(run.out, 2.0);
}

TEST(VeltoRecord, WhatCannotBeRecordedExitsOneAndBadArgumentsTwo) {
    TempFolder folder;
    const auto source = stereoCapture(folder, 2.0);
    const auto dir = folder.path().string();
    const auto fifo = folder.file("fifo.cu8");
    mkfifo(fifo.c_str(), 0600);
    const std::vector<std::string> base = {"record", "--band",   "FM", "--ch",
                                           "8025",   "--output", dir,  "--fast"};
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int status;
        bool file; // a (partial) file's path is printed
    };
    auto with = [&](std::vector<std::string> more) {
        std::vector<std::string> all = base;
        all.insert(all.end(), more.begin(), more.end());
        return all;
    };
    const Case cases[] = {
        {"capture shorter than asked", with({"--seconds", "5", "--source", source}), 1, true},
        {"capture is a FIFO",
         with({"--seconds", "5", "--source",
               "iq:" + fifo + "?format=cu8&rate=1024000&center=80000000"}),
         1, false},
        {"station outside the capture",
         with({"--seconds", "1", "--source",
               "iq:" + folder.file("fm.cu8") + "?format=cu8&rate=1024000&center=90000000"}),
         1, false},
        {"no band", {"record", "--ch", "8025", "--seconds", "1"}, 2, false},
        {"CH outside FM", {"record", "--band", "FM", "--ch", "123", "--seconds", "1"}, 2, false},
        {"CH outside AM", {"record", "--band", "AM", "--ch", "99999", "--seconds", "1"}, 2, false},
        {"no length", with({"--source", source}), 2, false},
        {"both lengths", with({"--seconds", "1", "--start", "1767229140", "--end", "1767229200"}),
         2, false},
        {"end already past", with({"--start", "1000", "--end", "2000", "--source", source}), 2,
         false},
        {"bad time", with({"--start", "noon", "--end", "1767229200"}), 2, false},
        {"unknown argument", with({"--seconds", "1", "--loud"}), 2, false},
        {"bad source", with({"--seconds", "1", "--source", "iq:/x?format=mp3"}), 2, false},
        {"unknown scheme", with({"--seconds", "1", "--source", "rtl:0"}), 2, false},
        {"not an http address", with({"--seconds", "1", "--source", "url:file:///etc/passwd"}), 2,
         false},
        {"no server there",
         with({"--seconds", "1", "--source",
               "url:http://127.0.0.1:" + std::to_string(LoopbackServer::closedPort()) + "/a"}),
         1, false},
        {"no such tuner", with({"--seconds", "1", "--source", "v4l2:/dev/radio-none"}), 1, false},
        {"no such folder",
         {"record", "--band", "FM", "--ch", "8025", "--seconds", "1", "--output", dir + "/none"},
         2,
         false},
        {"not a command", {"play"}, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome run = runVelto(c.args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(!run.out.empty(), c.file) << run.out;
        if (c.file) {
            EXPECT_TRUE(std::filesystem::exists(run.out));
        }
    }
}

TEST(VeltoRecord, AStreamKeepsTheClocksTimeLineThroughBurstsAndADroppedConnection) {
    LoopbackServer server;
    ASSERT_TRUE(server.running()) << "the loopback server did not start";
    TempFolder folder;
    const std::string id = std::to_string(getpid());
    struct Case {
        const char* name;
        std::string path;
        int seconds;
        int status;
        const char* summary;                            // in what velto says at the end
        std::vector<std::pair<double, double>> tone;    // from, to (s in the file)
        std::vector<std::pair<double, double>> silence; // from, to
    };
    const Case cases[] = {
        {"MP3 stream", "/tone.mp3", 6, 0, "recorded, 0:06", {{0.5, 5.5}}, {}},
        // Three 2 s segments at once, then one every 2 s.
        {"live HLS", "/live/tone.m3u8?id=" + id, 10, 0, "recorded, 0:10", {{0.5, 9.5}}, {}},
        // Closed 4 s in (the 3 s the server sent at once still play), refused for 5 s,
        // back at the third reopening, 10 s in.
        {"dropped for 5 s",
         "/drop-gap?id=" + id + "&after=4&gap=5",
         16,
         1,
         "partial, 0:16, 1 dropout",
         {{0.5, 3.5}, {11, 15.5}},
         {{7.5, 9.5}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome run =
            runVelto({"record", "--band", "FM", "--ch", "8000", "--seconds",
                      std::to_string(c.seconds), "--title", c.name, "--source",
                      "url:" + server.http(c.path), "--output", folder.path().string()});
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(c.summary), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(", stream) into "), std::string::npos) << run.err;
        // It ends at the programme's end by the clock, not when enough sound has come.
        EXPECT_GE(run.seconds, c.seconds - 0.5);
        const Decoded decoded = decodeOpus(run.out);
        ASSERT_TRUE(decoded.ok);
        EXPECT_NEAR(decoded.seconds(), c.seconds, 1.0);
        const auto level = [&decoded](std::pair<double, double> span) {
            const std::vector<float> left = channelOf(decoded.stereo(), 0, 0);
            const auto from = std::size_t(span.first * 48'000);
            const auto to = std::min(left.size(), std::size_t(span.second * 48'000));
            return toneAmplitude({left.begin() + std::ptrdiff_t(from),
                                  left.begin() + std::ptrdiff_t(std::max(from, to))},
                                 1000);
        };
        for (const auto& span : c.tone)
            EXPECT_GT(level(span), 0.08) << span.first << " to " << span.second << " s";
        for (const auto& span : c.silence)
            EXPECT_LT(level(span), 0.01) << span.first << " to " << span.second << " s";
    }
}

TEST(VeltoDevices, ListsReceiversOrSaysThereAreNone) {
    const Outcome run = runVelto({"devices"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out == "No receivers found." || run.out.rfind("soapy:", 0) == 0) << run.out;
}
