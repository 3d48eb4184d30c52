#include "platform/linux/PresetFile.h"
#include "platform/linux/BinaryPlistCheck.h"

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <QTemporaryDir>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// The payload as the companion stores it: 12 FM slots, then 12 AM slots, 260 bytes each,
// the frequency little-endian.
Bytes presetPayload(std::size_t size = kChannelPresetSize) {
    Bytes b(size, 0);
    auto slot = [&](int index, uint32_t freq, std::string const& name) {
        uint8_t* p = b.data() + index * 260;
        for (int i = 0; i < 4; ++i) {
            p[i] = static_cast<uint8_t>(freq >> (8 * i));
        }
        std::memcpy(p + 4, name.data(), std::min<std::size_t>(name.size(), 256));
    };
    slot(0, 8000, "NHK-FM");
    slot(2, 8070, "FM横浜");
    slot(12, 594, "NHK第1");
    slot(23, 1134, std::string(256, 'A')); // no terminating zero: fills the slot
    for (std::size_t i = kChannelPresetSize; i < size; ++i) {
        b[i] = 0xEE;
    }
    return b;
}

// Property lists made with libplist itself, never with the code under test.
struct PlistDoc {
    plist_t root;
    ~PlistDoc() { plist_free(root); }
    Bytes xml() const {
        char* out = nullptr;
        uint32_t len = 0;
        plist_to_xml(root, &out, &len);
        Bytes b(out, out + len);
        std::free(out);
        return b;
    }
    Bytes bin() const {
        char* out = nullptr;
        uint32_t len = 0;
        plist_to_bin(root, &out, &len);
        Bytes b(out, out + len);
        std::free(out);
        return b;
    }
};

PlistDoc dictWith(char const* key, plist_t value) {
    plist_t dict = plist_new_dict();
    plist_dict_set_item(dict, "NSWindow Frame", plist_new_string("0 0 400 300"));
    if (key != nullptr) {
        plist_dict_set_item(dict, key, value);
    }
    return PlistDoc{dict};
}

plist_t dataNode(Bytes const& b) {
    return plist_new_data(reinterpret_cast<char const*>(b.data()), b.size());
}

class PresetFileTest : public ::testing::Test {
protected:
    std::string write(Bytes const& content, char const* name = "Velto.plist") {
        std::string const path = dir.filePath(QString::fromLatin1(name)).toStdString();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<char const*>(content.data()),
                   static_cast<std::streamsize>(content.size()));
        return path;
    }
    static bool allEmpty(CHANNELPRESET_TAG const& p) {
        CHANNELPRESET_TAG zero;
        std::memset(&zero, 0, sizeof zero);
        return std::memcmp(&p, &zero, sizeof p) == 0;
    }
    static CHANNELPRESET_TAG dirty() {
        CHANNELPRESET_TAG p;
        std::memset(&p, 0x5A, sizeof p);
        return p;
    }
    QTemporaryDir dir;
};

TEST_F(PresetFileTest, XmlAndBinaryFilesFillTheSlots) {
    PlistDoc doc = dictWith("Presets", dataNode(presetPayload()));
    for (Bytes const& file : {doc.xml(), doc.bin()}) {
        CHANNELPRESET_TAG p = dirty();
        ASSERT_TRUE(LoadChannelPresetFile(write(file), p));
        EXPECT_EQ(p.psFM[0].uFreq, 8000u);
        EXPECT_STREQ(p.psFM[0].cName, "NHK-FM");
        EXPECT_EQ(p.psFM[1].uFreq, 0u);
        EXPECT_EQ(PresetNameLength(p.psFM[1]), 0u);
        EXPECT_EQ(p.psFM[2].uFreq, 8070u);
        EXPECT_STREQ(p.psFM[2].cName, "FM横浜");
        EXPECT_EQ(p.psAM[0].uFreq, 594u);
        EXPECT_STREQ(p.psAM[0].cName, "NHK第1");
        // An unterminated name is bounded by its slot, which is the last byte of the record.
        EXPECT_EQ(p.psAM[11].uFreq, 1134u);
        EXPECT_EQ(PresetNameLength(p.psAM[11]), 256u);
    }
}

TEST_F(PresetFileTest, BytesBeyondThePayloadAreIgnored) {
    PlistDoc doc = dictWith("Presets", dataNode(presetPayload(kChannelPresetSize + 100)));
    CHANNELPRESET_TAG p;
    ASSERT_TRUE(LoadChannelPresetFile(write(doc.bin()), p));
    Bytes const expected = presetPayload();
    EXPECT_EQ(std::memcmp(&p.psAM[11].cName, expected.data() + 23 * 260 + 4, 256), 0);
}

TEST_F(PresetFileTest, EveryFailureLeavesAllSlotsEmpty) {
    struct Case {
        char const* what;
        Bytes content;
    };
    std::vector<Case> cases;
    cases.push_back({"short data", dictWith("Presets", dataNode(presetPayload(6239))).xml()});
    cases.push_back({"empty data", dictWith("Presets", dataNode({})).bin()});
    cases.push_back({"string value", dictWith("Presets", plist_new_string("abc")).xml()});
    cases.push_back({"missing key", dictWith(nullptr, nullptr).bin()});
    cases.push_back({"other key", dictWith("presets", dataNode(presetPayload())).xml()});
    {
        plist_t array = plist_new_array();
        plist_array_append_item(array, dataNode(presetPayload()));
        cases.push_back({"array root", PlistDoc{array}.bin()});
    }
    Bytes truncated = dictWith("Presets", dataNode(presetPayload())).bin();
    truncated.resize(truncated.size() - 20);
    cases.push_back({"truncated binary", truncated});
    Bytes xml = dictWith("Presets", dataNode(presetPayload())).xml();
    xml.resize(xml.size() / 2);
    cases.push_back({"truncated xml", xml});
    cases.push_back({"empty file", {}});
    cases.push_back({"not a plist", Bytes{'h', 'e', 'l', 'l', 'o'}});

    for (Case const& c : cases) {
        CHANNELPRESET_TAG p = dirty();
        EXPECT_FALSE(LoadChannelPresetFile(write(c.content), p)) << c.what;
        EXPECT_TRUE(allEmpty(p)) << c.what;
    }
}

TEST_F(PresetFileTest, FilesThatAreMissingOddOrHugeAreNotRead) {
    CHANNELPRESET_TAG p = dirty();
    EXPECT_FALSE(LoadChannelPresetFile(dir.filePath("absent.plist").toStdString(), p));
    EXPECT_TRUE(allEmpty(p));

    p = dirty();
    EXPECT_FALSE(LoadChannelPresetFile(dir.path().toStdString(), p)); // a folder
    EXPECT_TRUE(allEmpty(p));

    p = dirty();
    EXPECT_FALSE(LoadChannelPresetFile("", p));
    EXPECT_TRUE(allEmpty(p));

    // A FIFO with no writer would block a plain open.
    std::string const fifo = dir.filePath("fifo.plist").toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    p = dirty();
    EXPECT_FALSE(LoadChannelPresetFile(fifo, p));
    EXPECT_TRUE(allEmpty(p));

    // A valid file padded past the size cap.
    Bytes big = dictWith("Presets", dataNode(presetPayload())).xml();
    big.insert(big.end(), kPresetFileMaxBytes, '\n');
    p = dirty();
    EXPECT_FALSE(LoadChannelPresetFile(write(big, "big.plist"), p));
    EXPECT_TRUE(allEmpty(p));
}

// Hand-made binary property lists for shapes libplist will not write: deep chains, shared
// objects and cycles. Object i's references are listed in refs[i]; an empty list is an
// empty array, a null entry a leaf (the integer 1).
Bytes handMadeBplist(std::vector<std::vector<int>> const& refs, std::vector<bool> const& leaf,
                     int top = 0) {
    Bytes b = {'b', 'p', 'l', 'i', 's', 't', '0', '0'};
    std::vector<uint32_t> offsets;
    for (std::size_t i = 0; i < refs.size(); ++i) {
        offsets.push_back(static_cast<uint32_t>(b.size()));
        if (leaf[i]) {
            b.insert(b.end(), {0x10, 0x01});
            continue;
        }
        b.push_back(static_cast<uint8_t>(0xA0 | refs[i].size()));
        for (int r : refs[i]) {
            b.insert(b.end(), {static_cast<uint8_t>(r >> 8), static_cast<uint8_t>(r)});
        }
    }
    uint64_t const table = b.size();
    for (uint32_t o : offsets) {
        b.insert(b.end(), {static_cast<uint8_t>(o >> 24), static_cast<uint8_t>(o >> 16),
                           static_cast<uint8_t>(o >> 8), static_cast<uint8_t>(o)});
    }
    auto be64 = [&](uint64_t v) {
        for (int i = 7; i >= 0; --i) {
            b.push_back(static_cast<uint8_t>(v >> (8 * i)));
        }
    };
    b.insert(b.end(), {0, 0, 0, 0, 0, 0, 4, 2});
    be64(refs.size());
    be64(static_cast<uint64_t>(top));
    be64(table);
    return b;
}

// A chain of n arrays, each holding the next; the last is empty.
Bytes chain(int n) {
    std::vector<std::vector<int>> refs(n);
    for (int i = 0; i + 1 < n; ++i) {
        refs[i] = {i + 1};
    }
    return handMadeBplist(refs, std::vector<bool>(n, false));
}

TEST(BinaryPlistCheck, NestingIsMeasuredAlongTheDeepestPath) {
    Bytes const c = chain(10);
    EXPECT_TRUE(BinaryPlistNestingWithin(c.data(), c.size(), 10));
    EXPECT_FALSE(BinaryPlistNestingWithin(c.data(), c.size(), 9));

    // 0 -> {1, 2}; 1 -> 3 -> 4 (leaf); 2 -> 5 -> 6 -> 1: object 1 is reached first near the
    // top and again four containers down, where its subtree makes the path six deep.
    std::vector<std::vector<int>> const refs = {{1, 2}, {3}, {5}, {4}, {}, {6}, {1}};
    std::vector<bool> const leaf = {false, false, false, false, true, false, false};
    Bytes const dag = handMadeBplist(refs, leaf);
    EXPECT_TRUE(BinaryPlistNestingWithin(dag.data(), dag.size(), 6));
    EXPECT_FALSE(BinaryPlistNestingWithin(dag.data(), dag.size(), 5));

    // Thirty levels of [x, x]: shared objects must not be walked once per path.
    std::vector<std::vector<int>> wide(31);
    for (int i = 0; i < 30; ++i) {
        wide[i] = {i + 1, i + 1};
    }
    Bytes const doubling = handMadeBplist(wide, std::vector<bool>(31, false));
    EXPECT_TRUE(BinaryPlistNestingWithin(doubling.data(), doubling.size(), 64));
}

TEST(BinaryPlistCheck, CyclesAndBrokenTablesAreRefused) {
    Bytes const self = handMadeBplist({{0}}, {false});
    EXPECT_FALSE(BinaryPlistNestingWithin(self.data(), self.size(), 64));
    Bytes const loop = handMadeBplist({{1}, {2}, {1}}, {false, false, false});
    EXPECT_FALSE(BinaryPlistNestingWithin(loop.data(), loop.size(), 64));

    Bytes const outOfRange = handMadeBplist({{7}}, {false});
    EXPECT_FALSE(BinaryPlistNestingWithin(outOfRange.data(), outOfRange.size(), 64));
    Bytes const badTop = handMadeBplist({{}}, {false}, 3);
    EXPECT_FALSE(BinaryPlistNestingWithin(badTop.data(), badTop.size(), 64));

    Bytes cut = chain(3);
    cut.resize(cut.size() - 1);
    EXPECT_FALSE(BinaryPlistNestingWithin(cut.data(), cut.size(), 64));
    EXPECT_FALSE(BinaryPlistNestingWithin(nullptr, 0, 64));
}

TEST_F(PresetFileTest, DeeplyNestedBinaryFileIsRefusedWithoutCrashing) {
    // Deep enough to overflow the stack inside libplist if it were parsed.
    CHANNELPRESET_TAG p = dirty();
    EXPECT_FALSE(LoadChannelPresetFile(write(chain(100000), "deep.plist"), p));
    EXPECT_TRUE(allEmpty(p));
}

TEST(PresetFileLocation, HomeFolderComesFromTheLoginUser) {
    struct passwd const* pw = ::getpwuid(::getuid());
    ASSERT_NE(pw, nullptr);
    std::string const expected = pw->pw_dir;
    char const* oldHome = std::getenv("HOME");
    std::string const saved = oldHome ? oldHome : "";
    ::setenv("HOME", "/somewhere/else", 1);
    EXPECT_EQ(LoginHomeDirectory(), expected);
    EXPECT_EQ(CompanionPreferencesPath(), expected + "/.config/Velto/Velto.plist");
    if (oldHome) {
        ::setenv("HOME", saved.c_str(), 1);
    } else {
        ::unsetenv("HOME");
    }
}

} // namespace
