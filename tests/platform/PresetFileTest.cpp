#include "platform/linux/PresetFile.h"
#include "platform/linux/PlistScan.h"
#include "tests/support/BplistBuilder.h"

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
Bytes presetPayload(std::size_t size = ChannelPresetTable::kSize) {
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
    for (std::size_t i = ChannelPresetTable::kSize; i < size; ++i) {
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
    static bool allEmpty(ChannelPresetTable const& p) {
        ChannelPresetTable zero;
        std::memset(&zero, 0, sizeof zero);
        return std::memcmp(&p, &zero, sizeof p) == 0;
    }
    static ChannelPresetTable dirty() {
        ChannelPresetTable p;
        std::memset(&p, 0x5A, sizeof p);
        return p;
    }
    QTemporaryDir dir;
};

TEST_F(PresetFileTest, XmlAndBinaryFilesFillTheSlots) {
    PlistDoc doc = dictWith("Presets", dataNode(presetPayload()));
    for (Bytes const& file : {doc.xml(), doc.bin()}) {
        ChannelPresetTable p = dirty();
        ASSERT_TRUE(PresetFile::read(write(file), p));
        EXPECT_EQ(p.fm[0].frequency, 8000u);
        EXPECT_STREQ(p.fm[0].name, "NHK-FM");
        EXPECT_EQ(p.fm[1].frequency, 0u);
        EXPECT_EQ(p.fm[1].nameLength(), 0u);
        EXPECT_EQ(p.fm[2].frequency, 8070u);
        EXPECT_STREQ(p.fm[2].name, "FM横浜");
        EXPECT_EQ(p.am[0].frequency, 594u);
        EXPECT_STREQ(p.am[0].name, "NHK第1");
        // An unterminated name is bounded by its slot, which is the last byte of the record.
        EXPECT_EQ(p.am[11].frequency, 1134u);
        EXPECT_EQ(p.am[11].nameLength(), 256u);
    }
}

TEST_F(PresetFileTest, BytesBeyondThePayloadAreIgnored) {
    PlistDoc doc = dictWith("Presets", dataNode(presetPayload(ChannelPresetTable::kSize + 100)));
    ChannelPresetTable p;
    ASSERT_TRUE(PresetFile::read(write(doc.bin()), p));
    Bytes const expected = presetPayload();
    EXPECT_EQ(std::memcmp(&p.am[11].name, expected.data() + 23 * 260 + 4, 256), 0);
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
        ChannelPresetTable p = dirty();
        EXPECT_FALSE(PresetFile::read(write(c.content), p)) << c.what;
        EXPECT_TRUE(allEmpty(p)) << c.what;
    }
}

TEST_F(PresetFileTest, FilesThatAreMissingOddOrHugeAreNotRead) {
    ChannelPresetTable p = dirty();
    EXPECT_FALSE(PresetFile::read(dir.filePath("absent.plist").toStdString(), p));
    EXPECT_TRUE(allEmpty(p));

    p = dirty();
    EXPECT_FALSE(PresetFile::read(dir.path().toStdString(), p)); // a folder
    EXPECT_TRUE(allEmpty(p));

    p = dirty();
    EXPECT_FALSE(PresetFile::read("", p));
    EXPECT_TRUE(allEmpty(p));

    // A FIFO with no writer would block a plain open.
    std::string const fifo = dir.filePath("fifo.plist").toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    p = dirty();
    EXPECT_FALSE(PresetFile::read(fifo, p));
    EXPECT_TRUE(allEmpty(p));

    // A valid file padded past the size cap.
    Bytes big = dictWith("Presets", dataNode(presetPayload())).xml();
    big.insert(big.end(), PresetFile::kMaxBytes, '\n');
    p = dirty();
    EXPECT_FALSE(PresetFile::read(write(big, "big.plist"), p));
    EXPECT_TRUE(allEmpty(p));
}

// A binary file whose top dictionary holds "Presets" and, under "X", whatever extra()
// adds to the builder.
template <typename Extra> Bytes presetsBesides(Extra extra, unsigned refSize = 2) {
    BplistBuilder b(refSize);
    int const key = b.ascii("Presets");
    int const value = b.dataObject(presetPayload());
    int const otherKey = b.ascii("X");
    int const other = extra(b);
    return b.finish(b.dictObject({otherKey, key}, {other, value}));
}

TEST_F(PresetFileTest, HostileFilesAreReadOrRefusedWithoutExpandingThem) {
    struct Case {
        char const* what;
        Bytes content;
        bool read;
    };
    std::vector<Case> cases;
    // 5,000 references to one array of 5,000 references: 25 million objects when expanded.
    cases.push_back({"square of shared references", presetsBesides([](BplistBuilder& b) {
                         int const leaf = b.trueObject();
                         int const inner = b.arrayObject(std::vector<int>(5000, leaf));
                         return b.arrayObject(std::vector<int>(5000, inner));
                     }),
                     true});
    // Sixty levels of [x, x]: 2^60 objects when expanded.
    cases.push_back({"doubling chain", presetsBesides([](BplistBuilder& b) {
                         int next = b.trueObject();
                         for (int i = 0; i < 60; ++i) {
                             next = b.arrayObject({next, next});
                         }
                         return next;
                     }),
                     true});
    cases.push_back({"a cycle", presetsBesides([](BplistBuilder& b) {
                         // An array holding itself: its own number is the next one.
                         int const self = b.trueObject() + 1;
                         return b.arrayObject({self});
                     }),
                     true});
    cases.push_back({"a deep chain",
                     presetsBesides(
                         [](BplistBuilder& b) {
                             int next = b.trueObject();
                             for (int i = 0; i < 100000; ++i) {
                                 next = b.arrayObject({next});
                             }
                             return next;
                         },
                         4),
                     true});
    {
        BplistBuilder b;
        int const key = b.utf16(u"Presets");
        cases.push_back(
            {"a UTF-16 key", b.finish(b.dictObject({key}, {b.dataObject(presetPayload())})), true});
    }
    {
        BplistBuilder b;
        int const key = b.ascii("Presets");
        cases.push_back({"a value beyond the objects", b.finish(b.dictObject({key}, {40})), false});
    }
    {
        BplistBuilder b;
        int const key = b.ascii("Presets");
        int const data = b.raw(BplistBuilder::header(0x4, uint64_t(1) << 62));
        cases.push_back(
            {"data longer than the file", b.finish(b.dictObject({key}, {data})), false});
    }
    {
        BplistBuilder b;
        int const top = b.raw(BplistBuilder::header(0xD, uint64_t(1) << 61));
        cases.push_back({"a dictionary longer than the file", b.finish(top), false});
    }
    {
        BplistBuilder b;
        int const key = b.ascii("Presets");
        int const data = b.dataObject(presetPayload());
        cases.push_back({"the top is an array", b.finish(b.arrayObject({key, data})), false});
    }
    std::string const head = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>X</key>";
    auto xml = [&](std::string const& x) {
        std::string const text = head + x + "</dict></plist>";
        return Bytes(text.begin(), text.end());
    };
    std::string deep;
    for (int i = 0; i < 100; ++i) {
        deep += "<array>";
    }
    for (int i = 0; i < 100; ++i) {
        deep += "</array>";
    }
    cases.push_back({"XML nested 100 deep", xml(deep), false});
    std::string many = "<array>";
    for (int i = 0; i < 20000; ++i) {
        many += "<true/>";
    }
    cases.push_back({"XML of 20,000 elements", xml(many + "</array>"), false});
    std::string const bomb = "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY a \"aaaa\">]>"
                             "<plist><dict><key>&a;</key><true/></dict></plist>";
    cases.push_back({"XML declaring entities", Bytes(bomb.begin(), bomb.end()), false});
    cases.push_back({"XML with an unterminated tag", xml("<array"), false});
    // libplist unescapes each reference by moving the rest of the text.
    std::string entities = "<string>";
    for (int i = 0; i < 150000; ++i) {
        entities += "&amp;";
    }
    cases.push_back({"XML of 150,000 entity references", xml(entities + "</string>"), false});

    for (Case const& c : cases) {
        ASSERT_LE(c.content.size(), PresetFile::kMaxBytes) << c.what;
        ChannelPresetTable p = dirty();
        EXPECT_EQ(PresetFile::read(write(c.content), p), c.read) << c.what;
        EXPECT_EQ(p.fm[0].frequency, c.read ? 8000u : 0u) << c.what;
    }
}

TEST(PlistScan, XmlBoundsCountElementsNestingAndEntitiesOnly) {
    auto within = [](std::string const& text, std::size_t elements, unsigned depth) {
        return xmlPlistWithinBounds({reinterpret_cast<uint8_t const*>(text.data()), text.size()},
                                    {elements, depth, 2});
    };
    std::string const doc = "<?xml version=\"1.0\"?>\n<!DOCTYPE plist PUBLIC \"-//x//EN\" "
                            "\"x.dtd\">\n<!-- <a><b><c> -->\n<plist version=\"1>0\"><dict>"
                            "<key>a</key><true/><key>b</key><array><string><![CDATA[<x><y>]]>"
                            "</string></array></dict></plist>";
    EXPECT_TRUE(within(doc, 7, 4)); // plist dict key true key array string
    EXPECT_FALSE(within(doc, 6, 4));
    EXPECT_FALSE(within(doc, 7, 3));
    EXPECT_FALSE(within("<plist></plist></plist>", 10, 10)); // more ends than starts
    EXPECT_FALSE(within("<plist><!-- unterminated", 10, 10));
    EXPECT_TRUE(within("<plist><string>&amp;&lt;</string></plist>", 10, 10));
    EXPECT_FALSE(within("<plist><string>&amp;&lt;&#x41;</string></plist>", 10, 10));
    EXPECT_TRUE(within("<plist><!-- &&& --><string><![CDATA[&&&]]></string></plist>", 10, 10));
    EXPECT_TRUE(within("", 0, 0));
}

TEST(PresetFileLocation, HomeFolderComesFromTheLoginUser) {
    struct passwd const* pw = ::getpwuid(::getuid());
    ASSERT_NE(pw, nullptr);
    std::string const expected = pw->pw_dir;
    char const* oldHome = std::getenv("HOME");
    std::string const saved = oldHome ? oldHome : "";
    ::setenv("HOME", "/somewhere/else", 1);
    EXPECT_EQ(PresetFile::loginHomeDirectory(), expected);
    EXPECT_EQ(PresetFile::companionPreferencesPath(), expected + "/.config/Velto/Velto.plist");
    if (oldHome) {
        ::setenv("HOME", saved.c_str(), 1);
    } else {
        ::unsetenv("HOME");
    }
}

} // namespace
