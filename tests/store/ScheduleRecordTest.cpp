// The record's file form, equality and title bounds; the channel presets payload.
#include "StoreTestUtil.h"

#include "store/ChannelPreset.h"

using namespace storetest;

TEST(ScheduleRecord, FileFormIsPackedLittleEndian) {
    FileRecord f;
    f.id = 0x01020304;
    f.start = kBase;
    f.end = kBase + 3600;
    f.freq = 0x000003E8;
    f.title = "Morning \xE3\x83\x8B\xE3\x83\xA5\xE3\x83\xBC\xE3\x82\xB9"; // UTF-8 as is
    f.week = kWeeklyKeys[1] | kWeeklyKeys[5];
    f.pending = 0;
    f.valid = 1;
    f.state = 1;
    std::vector<uint8_t> expected = Bytes(f);
    expected[286] = expected[287] = 0; // padding is written as zero

    SCHEDULEITEM_TAG rec;
    ScheduleRecordFromBytes(Bytes(f).data(), rec);
    EXPECT_EQ(rec.nID, 0x01020304);
    EXPECT_EQ(rec.dStartTime, kBase);
    EXPECT_EQ(rec.dEndTime, kBase + 3600);
    EXPECT_EQ(rec.uFreq, 0x3E8u);
    EXPECT_STREQ(rec.cTitle, f.title.c_str());
    EXPECT_EQ(rec.uWeek, 34u);
    EXPECT_EQ(rec.cPending, 0);
    EXPECT_EQ(rec.cValid, 1);
    EXPECT_EQ(rec.uState, 1u); // the record form keeps it; only Load resets it

    uint8_t out[kScheduleRecordSize];
    std::memset(out, 0xEE, sizeof out);
    ScheduleRecordToBytes(rec, out);
    EXPECT_EQ(std::vector<uint8_t>(out, out + kScheduleRecordSize), expected);
}

TEST(ScheduleRecord, NegativeIdAndSpecialDoublesSurviveTheFileForm) {
    SCHEDULEITEM_TAG rec;
    rec.dStartTime = -0.0;
    rec.dEndTime = std::numeric_limits<double>::infinity();
    uint8_t out[kScheduleRecordSize];
    ScheduleRecordToBytes(rec, out);
    EXPECT_EQ(out[0], 0xFF); // -1
    EXPECT_EQ(out[3], 0xFF);
    EXPECT_EQ(out[11], 0x80); // sign bit of -0.0, last byte of dStartTime
    SCHEDULEITEM_TAG back;
    back.nID = 5;
    ScheduleRecordFromBytes(out, back);
    EXPECT_EQ(back.nID, -1);
    EXPECT_TRUE(std::signbit(back.dStartTime));
    EXPECT_EQ(back.dEndTime, std::numeric_limits<double>::infinity());
}

TEST(ScheduleRecord, EqualityIgnoresStateButNotHiddenTitleBytes) {
    SCHEDULEITEM_TAG a = Rec(kBase, kBase + 60);
    SCHEDULEITEM_TAG b = a;
    b.uState = 1;
    EXPECT_TRUE(a == b);

    b = a;
    b.cTitle[200] = 'x'; // after the terminator: reads the same, yet differs
    EXPECT_FALSE(a == b);

    for (auto change :
         {+[](SCHEDULEITEM_TAG& r) { r.nID = 3; }, +[](SCHEDULEITEM_TAG& r) { r.dEndTime += 1; },
          +[](SCHEDULEITEM_TAG& r) { r.uFreq += 1; }, +[](SCHEDULEITEM_TAG& r) { r.uWeek = 1; },
          +[](SCHEDULEITEM_TAG& r) { r.cPending = 0; },
          +[](SCHEDULEITEM_TAG& r) { r.cValid = 0; }}) {
        b = a;
        change(b);
        EXPECT_FALSE(a == b);
    }

    a.dStartTime = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(a == a);
}

TEST(ScheduleRecord, TitleLengthStopsAtTheField) {
    SCHEDULEITEM_TAG r = Rec(0, 1, kFM80, "abc");
    EXPECT_EQ(ScheduleTitleLength(r), 3u);
    std::memset(r.cTitle, 'X', sizeof r.cTitle);
    EXPECT_EQ(ScheduleTitleLength(r), 256u);
}

TEST(ChannelPreset, CopiesSlotsInOrderWithLittleEndianFrequency) {
    std::vector<uint8_t> data(kChannelPresetSize + 10, 0);
    auto slot = [&](int index) { return data.data() + index * 260; };
    slot(0)[0] = 0x40; // FM slot 0: 8000
    slot(0)[1] = 0x1F;
    std::memcpy(slot(0) + 4, "FM One", 6);
    slot(12)[0] = 0xE8; // AM slot 0: 1000
    slot(12)[1] = 0x03;
    slot(23)[3] = 0x01; // AM slot 11: 0x01000000
    std::memset(slot(23) + 4, 'N', 256);

    CHANNELPRESET_TAG p;
    ASSERT_TRUE(ChannelPresetFromBytes(data.data(), data.size(), p));
    EXPECT_EQ(p.psFM[0].uFreq, 8000u);
    EXPECT_STREQ(p.psFM[0].cName, "FM One");
    EXPECT_EQ(p.psAM[0].uFreq, 1000u);
    EXPECT_EQ(p.psAM[11].uFreq, 0x01000000u);
    EXPECT_EQ(PresetNameLength(p.psAM[11]), 256u);
    EXPECT_EQ(PresetNameLength(p.psFM[0]), 6u);
}

TEST(ChannelPreset, ShortDataEmptiesEverySlot) {
    std::vector<uint8_t> data(kChannelPresetSize - 1, 0x11);
    CHANNELPRESET_TAG p;
    std::memset(&p, 0x5A, sizeof p);
    EXPECT_FALSE(ChannelPresetFromBytes(data.data(), data.size(), p));
    EXPECT_EQ(p.psFM[0].uFreq, 0u);
    EXPECT_EQ(p.psAM[11].uFreq, 0u);
    EXPECT_EQ(PresetNameLength(p.psAM[11]), 0u);
    EXPECT_FALSE(ChannelPresetFromBytes(nullptr, 0, p));
}
