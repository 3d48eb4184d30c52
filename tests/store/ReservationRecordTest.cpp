// The record's file form, equality and title bounds; the channel presets payload.
#include "StoreTestUtil.h"

#include "store/ChannelPresetTable.h"
#include "store/ReservationRecord.h"

using namespace storetest;

TEST(ReservationRecord, FileFormIsPackedLittleEndian) {
    FileRecord f;
    f.id = 0x01020304;
    f.start = kBase;
    f.end = kBase + 3600;
    f.freq = 0x000003E8;
    f.title = "Morning \xE3\x83\x8B\xE3\x83\xA5\xE3\x83\xBC\xE3\x82\xB9"; // UTF-8 as is
    f.week = kWeekdayBits[1] | kWeekdayBits[5];
    f.pending = 0;
    f.valid = 1;
    f.state = 1;
    std::vector<uint8_t> expected = Bytes(f);
    expected[286] = expected[287] = 0; // padding is written as zero

    Reservation rec;
    rec = ReservationRecord::read(Bytes(f).data());
    EXPECT_EQ(rec.id, 0x01020304);
    EXPECT_EQ(rec.start, kBase);
    EXPECT_EQ(rec.end, kBase + 3600);
    EXPECT_EQ(rec.frequency, 0x3E8u);
    EXPECT_STREQ(rec.title, f.title.c_str());
    EXPECT_EQ(rec.weekdays, 34u);
    EXPECT_EQ(rec.pending, 0);
    EXPECT_EQ(rec.enabled, 1);
    EXPECT_EQ(rec.state, 1u); // the record form keeps it; only Load resets it

    uint8_t out[ReservationRecord::kSize];
    std::memset(out, 0xEE, sizeof out);
    ReservationRecord::write(rec, out);
    EXPECT_EQ(std::vector<uint8_t>(out, out + ReservationRecord::kSize), expected);
}

TEST(ReservationRecord, NegativeIdAndSpecialDoublesSurviveTheFileForm) {
    Reservation rec;
    rec.start = -0.0;
    rec.end = std::numeric_limits<double>::infinity();
    uint8_t out[ReservationRecord::kSize];
    ReservationRecord::write(rec, out);
    EXPECT_EQ(out[0], 0xFF); // -1
    EXPECT_EQ(out[3], 0xFF);
    EXPECT_EQ(out[11], 0x80); // sign bit of -0.0, last byte of dStartTime
    Reservation back;
    back.id = 5;
    back = ReservationRecord::read(out);
    EXPECT_EQ(back.id, -1);
    EXPECT_TRUE(std::signbit(back.start));
    EXPECT_EQ(back.end, std::numeric_limits<double>::infinity());
}

TEST(ReservationRecord, EqualityIgnoresStateButNotHiddenTitleBytes) {
    Reservation a = makeRec(kBase, kBase + 60);
    Reservation b = a;
    b.state = 1;
    EXPECT_TRUE(a == b);

    b = a;
    b.title[200] = 'x'; // after the terminator: reads the same, yet differs
    EXPECT_FALSE(a == b);

    for (auto change :
         {+[](Reservation& r) { r.id = 3; }, +[](Reservation& r) { r.end += 1; },
          +[](Reservation& r) { r.frequency += 1; }, +[](Reservation& r) { r.weekdays = 1; },
          +[](Reservation& r) { r.pending = 0; }, +[](Reservation& r) { r.enabled = 0; }}) {
        b = a;
        change(b);
        EXPECT_FALSE(a == b);
    }

    a.start = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(a == a);
}

TEST(ReservationRecord, TitleLengthStopsAtTheField) {
    Reservation r = makeRec(0, 1, kFM80, "abc");
    EXPECT_EQ(r.titleLength(), 3u);
    std::memset(r.title, 'X', sizeof r.title);
    EXPECT_EQ(r.titleLength(), 256u);
}

TEST(ChannelPresetTable, CopiesSlotsInOrderWithLittleEndianFrequency) {
    std::vector<uint8_t> data(ChannelPresetTable::kSize + 10, 0);
    auto slot = [&](int index) { return data.data() + index * 260; };
    slot(0)[0] = 0x40; // FM slot 0: 8000
    slot(0)[1] = 0x1F;
    std::memcpy(slot(0) + 4, "FM One", 6);
    slot(12)[0] = 0xE8; // AM slot 0: 1000
    slot(12)[1] = 0x03;
    slot(23)[3] = 0x01; // AM slot 11: 0x01000000
    std::memset(slot(23) + 4, 'N', 256);

    ChannelPresetTable p;
    ASSERT_TRUE(p.read(data.data(), data.size()));
    EXPECT_EQ(p.fm[0].frequency, 8000u);
    EXPECT_STREQ(p.fm[0].name, "FM One");
    EXPECT_EQ(p.am[0].frequency, 1000u);
    EXPECT_EQ(p.am[11].frequency, 0x01000000u);
    EXPECT_EQ(p.am[11].nameLength(), 256u);
    EXPECT_EQ(p.fm[0].nameLength(), 6u);
}

TEST(ChannelPresetTable, ShortDataEmptiesEverySlot) {
    std::vector<uint8_t> data(ChannelPresetTable::kSize - 1, 0x11);
    ChannelPresetTable p;
    std::memset(&p, 0x5A, sizeof p);
    EXPECT_FALSE(p.read(data.data(), data.size()));
    EXPECT_EQ(p.fm[0].frequency, 0u);
    EXPECT_EQ(p.am[11].frequency, 0u);
    EXPECT_EQ(p.am[11].nameLength(), 0u);
    EXPECT_FALSE(p.read(nullptr, 0));
}
