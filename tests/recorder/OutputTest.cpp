// Recording files: safe names, the Ogg Opus file with its tags and length, taken names,
// and the recovery of a file whose recorder was killed.
#include "OpusTools.h"
#include "SignalAnalysis.h"
#include "TempFolder.h"
#include "output/OpusFileWriter.h"
#include "output/PartRecovery.h"
#include "output/RecordingName.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sys/wait.h>
#include <unistd.h>

using namespace velto;
using namespace velto::test;

namespace {

bool validUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const std::size_t n = b < 0x80 ? 1 : (b & 0xe0) == 0xc0 ? 2 : (b & 0xf0) == 0xe0 ? 3 : 4;
        if (i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xc0) != 0x80)
                return false;
        i += n;
    }
    return true;
}

// `seconds` of 1 kHz on the left and 1.5 kHz on the right.
std::vector<float> tones(double seconds) {
    std::vector<float> frames(std::size_t(seconds * 48'000) * 2);
    for (std::size_t i = 0; i < frames.size() / 2; ++i) {
        const double t = double(i) / 48'000;
        frames[2 * i] = float(0.5 * std::sin(2 * std::numbers::pi * 1000 * t));
        frames[2 * i + 1] = float(0.5 * std::sin(2 * std::numbers::pi * 1500 * t));
    }
    return frames;
}

RecordingTags tags() {
    return {"Morning News", "2025-03-01T20:00:00+09:00", "Radio Velto", "FM 80.0 MHz (CH 8000)"};
}

std::vector<std::string> namesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(RecordingName, TitlesBecomeSafeFileNames) {
    struct Case {
        std::string title;
        std::string expected;
    };
    const Case cases[] = {
        {"Jazz Tonight", "Jazz Tonight"},
        {"AC/DC / Live", "AC-DC - Live"},
        {"Line\nbreak\tand\x7f"
         "bell\x07",
         "Line break and bell"},
        {"  padded  ", "padded"},
        {"", "Recording"},
        {"\n\t", "Recording"},
        {"..", "Recording .."},
        {"bad \xff byte", "bad \xef\xbf\xbd byte"},
        {"C1 \xc2\x85 control", "C1   control"},
        {"overlong \xc0\xaf slash", "overlong \xef\xbf\xbd\xef\xbf\xbd slash"},
        {"朝のニュース", "朝のニュース"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        EXPECT_EQ(safeTitle(c.title), c.expected);
    }
    // Long titles: at most 200 bytes, cut between characters.
    for (const std::string& unit : {std::string("a"), std::string("あ"), std::string("😀")}) {
        std::string title;
        while (title.size() < 10'000)
            title += unit;
        const std::string safe = safeTitle(title);
        EXPECT_LE(safe.size(), 200u);
        EXPECT_GT(safe.size(), 196u);
        EXPECT_TRUE(validUtf8(safe));
    }
}

TEST(RecordingName, StemIsTheLocalStartAndTheTitle) {
    const char* old = getenv("TZ");
    const std::string saved = old ? old : "";
    setenv("TZ", "Asia/Tokyo", 1);
    tzset();
    // 2025-03-01 11:00 UTC is 20:00 in Tokyo.
    const auto start = std::chrono::system_clock::from_time_t(1740826800);
    EXPECT_EQ(recordingStem(start, "Jazz/Blues"), "2025-03-01 2000 Jazz-Blues");
    EXPECT_EQ(localIsoTime(start), "2025-03-01T20:00:00+09:00");
    if (old)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST(OpusFileWriter, WritesAPlayableTaggedFileOfTheRightLength) {
    struct Case {
        int channels;
        double seconds;
    };
    for (const Case& c : {Case{2, 7.0}, Case{1, 3.0}}) {
        SCOPED_TRACE(c.channels);
        TempFolder folder;
        OpusFileWriter writer;
        FileError error;
        ASSERT_TRUE(writer.open(folder.path(), "2025-03-01 2000 Morning News", c.channels, {},
                                tags(), error))
            << error.text;
        EXPECT_TRUE(std::filesystem::exists(writer.partPath()));
        EXPECT_EQ(writer.bitrate(), c.channels == 2 ? 96'000 : 64'000);
        const auto frames = tones(c.seconds);
        // In reads' worth of pieces, as a recording writes it.
        for (std::size_t at = 0; at < frames.size() / 2; at += 4800)
            ASSERT_TRUE(writer.write(frames.data() + 2 * at,
                                     std::min<std::size_t>(4800, frames.size() / 2 - at), error));
        std::string path;
        ASSERT_TRUE(writer.finish(path, error)) << error.text;
        EXPECT_EQ(path, folder.file("2025-03-01 2000 Morning News.opus"));
        EXPECT_EQ(namesIn(folder.path()),
                  std::vector<std::string>{"2025-03-01 2000 Morning News.opus"});

        const OpusInfo info = inspectOpus(path);
        EXPECT_TRUE(info.clean) << info.text;
        for (const char* tag : {"TITLE=Morning News", "DATE=2025-03-01T20:00:00+09:00",
                                "ORGANIZATION=Radio Velto", "COMMENT=FM 80.0 MHz (CH 8000)"})
            EXPECT_NE(info.text.find(tag), std::string::npos) << tag;
        const Decoded decoded = decodeOpus(path);
        ASSERT_TRUE(decoded.ok);
        EXPECT_EQ(decoded.channels, c.channels);
        EXPECT_NEAR(decoded.seconds(), c.seconds, 0.05);
        if (c.channels == 2) {
            const auto left = channelOf(decoded.samples, 0, 0.5);
            const auto right = channelOf(decoded.samples, 1, 0.5);
            EXPECT_GT(toneAmplitude(left, 1000), 30 * toneAmplitude(left, 1500));
            EXPECT_GT(toneAmplitude(right, 1500), 30 * toneAmplitude(right, 1000));
        }
    }
}

TEST(OpusFileWriter, ATakenNameGetsTheNextNumber) {
    TempFolder folder;
    std::ofstream(folder.file("Show.opus")) << "someone else's";
    OpusFileWriter first, second;
    FileError error;
    ASSERT_TRUE(first.open(folder.path(), "Show", 2, {}, tags(), error));
    ASSERT_TRUE(second.open(folder.path(), "Show", 2, {}, tags(), error));
    EXPECT_EQ(first.partPath(), folder.file("Show (2).opus.part"));
    EXPECT_EQ(second.partPath(), folder.file("Show (3).opus.part"));
    const auto frames = tones(0.5);
    ASSERT_TRUE(second.write(frames.data(), frames.size() / 2, error));
    ASSERT_TRUE(first.write(frames.data(), frames.size() / 2, error));
    std::string a, b;
    ASSERT_TRUE(second.finish(b, error));
    ASSERT_TRUE(first.finish(a, error));
    EXPECT_EQ(a, folder.file("Show (2).opus"));
    EXPECT_EQ(b, folder.file("Show (3).opus"));
}

TEST(OpusFileWriter, AFolderThatCannotBeWrittenIsReported) {
    OpusFileWriter writer;
    FileError error;
    EXPECT_FALSE(writer.open("/nonexistent/folder", "Show", 2, {}, tags(), error));
    EXPECT_EQ(error.key, "folder-unwritable");
    EXPECT_FALSE(error.text.empty());
}

TEST(PartRecovery, AFileWhoseRecorderWasKilledIsFinishedAndPlays) {
    TempFolder folder;
    // A recorder killed 7 s into its recording, in a process of its own.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        OpusFileWriter writer;
        FileError error;
        std::string why;
        if (!writer.open(folder.path(), "Killed", 2, {}, tags(), error) ||
            !writeProgrammeNote(writer.partPath(), "what it records\n", why))
            _exit(1);
        const auto frames = tones(7.0);
        writer.write(frames.data(), frames.size() / 2, error);
        raise(SIGKILL);
        _exit(2);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_TRUE(std::filesystem::exists(folder.file("Killed.opus.part")));

    // Beside it: one that holds nothing but its headers, one that is no Ogg file at all, and
    // one a running recorder still writes.
    {
        OpusFileWriter empty;
        FileError error;
        ASSERT_TRUE(empty.open(folder.path(), "Empty", 2, {}, tags(), error));
        std::filesystem::copy_file(empty.partPath(), folder.file("Headers only.opus.part"));
        std::string path;
        EXPECT_FALSE(empty.finish(path, error));
        EXPECT_EQ(error.key, "no-sound");
        EXPECT_FALSE(std::filesystem::exists(folder.file("Empty.opus.part")));
    }
    std::ofstream(folder.file("Garbage.opus.part")) << std::string(10'000, 'x');
    OpusFileWriter running;
    FileError error;
    ASSERT_TRUE(running.open(folder.path(), "Running", 2, {}, tags(), error));
    // Notes that are not trusted: a link to one, one others may write, one of another user.
    std::string why;
    ASSERT_TRUE(writeProgrammeNote(folder.file("Elsewhere"), "a planted note\n", why)) << why;
    std::filesystem::create_symlink(folder.file("Elsewhere.programme"),
                                    notePath(folder.file("Headers only.opus.part")));
    ASSERT_TRUE(writeProgrammeNote(folder.file("Garbage.opus.part"), "a planted note\n", why));
    chmod(notePath(folder.file("Garbage.opus.part")).c_str(), 0666);
    ASSERT_TRUE(writeProgrammeNote(running.partPath(), "still recording\n", why));
    // What a crash just after a recording's end leaves: a note without its ".part".
    ASSERT_TRUE(writeProgrammeNote(folder.file("Ended.opus.part"), "reported\n", why));
    std::ofstream(notePath(folder.file("Ended.opus.part")) + ".new") << "half";
    const bool root = geteuid() == 0;
    if (root) {
        std::ofstream(folder.file("Foreign.opus.part")) << std::string(10'000, 'x');
        ASSERT_TRUE(writeProgrammeNote(folder.file("Foreign.opus.part"), "planted\n", why));
        ASSERT_EQ(chown(notePath(folder.file("Foreign.opus.part")).c_str(), 65534, 65534), 0);
    }

    const auto recovered = recoverPartFiles(folder.path());
    ASSERT_EQ(recovered.size(), root ? 4u : 3u);
    for (const RecoveredFile& file : recovered) {
        SCOPED_TRACE(file.partPath);
        if (file.partPath == folder.file("Killed.opus.part")) {
            ASSERT_TRUE(file.recovered) << file.reasonText;
            EXPECT_EQ(file.path, folder.file("Killed.opus"));
            EXPECT_EQ(file.note, "what it records\n");
            // At most 5 s lost; what was synced plays.
            EXPECT_GE(file.seconds, 2.0);
            EXPECT_LE(file.seconds, 7.0);
            const OpusInfo info = inspectOpus(file.path);
            EXPECT_TRUE(info.clean) << info.text;
            const Decoded decoded = decodeOpus(file.path);
            ASSERT_TRUE(decoded.ok);
            EXPECT_NEAR(decoded.seconds(), file.seconds, 0.05);
        } else if (file.partPath == folder.file("Headers only.opus.part")) {
            EXPECT_FALSE(file.recovered);
            EXPECT_EQ(file.reasonKey, "no-sound");
        } else {
            EXPECT_TRUE(file.partPath == folder.file("Garbage.opus.part") ||
                        file.partPath == folder.file("Foreign.opus.part"));
            EXPECT_FALSE(file.recovered);
            EXPECT_EQ(file.reasonKey, "unreadable");
        }
        // Each untrusted note is named on standard error at start-up.
        EXPECT_TRUE(!file.note.empty() || !file.noteProblem.empty());
    }
    // Nothing is lost: the running one and the unreadable one are still there, the note read
    // and those left alone are gone, the running one's is kept and the untrusted ones are left
    // as they were.
    std::vector<std::string> kept{"Elsewhere.programme",
                                  "Garbage.opus.part",
                                  "Garbage.opus.part.programme",
                                  "Headers only.opus.part.programme",
                                  "Killed.opus",
                                  "Running.opus.part",
                                  "Running.opus.part.programme"};
    if (root)
        kept.insert(kept.begin() + 1, {"Foreign.opus.part", "Foreign.opus.part.programme"});
    EXPECT_EQ(namesIn(folder.path()), kept);
    const auto frames = tones(0.5);
    ASSERT_TRUE(running.write(frames.data(), frames.size() / 2, error));
    std::string path;
    EXPECT_TRUE(running.finish(path, error));
}
