// The four queries: by index, by id, the next reservation and the one that ends last.
#include "StoreTestUtil.h"

using namespace storetest;

namespace {

double g_now = kBase;
double TestNow() {
    return g_now;
}

class ScheduleQuery : public ::testing::Test {
protected:
    void SetUp() override {
        g_now = kBase;
        m_list.setNowFunction(&TestNow);
    }
    void Add(SCHEDULEITEM_TAG r, signed char sort = 1) {
        SCHEDULE_RETURN ret;
        ASSERT_TRUE(m_list.addSchedule(&r, ret, sort));
    }
    static SCHEDULEITEM_TAG Untouched() {
        SCHEDULEITEM_TAG r = Rec(1, 2, 3, "caller's own");
        r.nID = 77;
        return r;
    }

    CScheduleItem m_list;
};

} // namespace

TEST_F(ScheduleQuery, FalseLeavesTheCallersRecordAlone) {
    SCHEDULEITEM_TAG out = Untouched();
    EXPECT_FALSE(m_list.readScheduleByIndex(0, &out));
    EXPECT_FALSE(m_list.readSchedule(0, &out));
    EXPECT_FALSE(m_list.readSchedule(&out));
    EXPECT_FALSE(m_list.readScheduleLatest(&out));
    Add(Rec(kBase + 60, kBase + 120));
    EXPECT_FALSE(m_list.readScheduleByIndex(1, &out));
    EXPECT_FALSE(m_list.readScheduleByIndex(-1, &out));
    EXPECT_FALSE(m_list.readSchedule(1, &out));
    EXPECT_TRUE(out == Untouched());
    EXPECT_EQ(out.uState, 0u);
}

TEST_F(ScheduleQuery, ReadsCopyWholeRecords) {
    SCHEDULEITEM_TAG r = Rec(kBase + 60, kBase + 120, 0x3E8, "abc");
    r.cTitle[100] = 'z'; // bytes after the terminator travel too
    r.uWeek = 5;
    r.uState = 1;
    Add(r);
    Add(Rec(kBase, kBase + 30));
    SCHEDULEITEM_TAG out;
    ASSERT_TRUE(m_list.readSchedule(0, &out));
    r.nID = 0;
    EXPECT_TRUE(out == r);
    EXPECT_EQ(out.uState, 1u);
    ASSERT_TRUE(m_list.readScheduleByIndex(1, &out)); // position, not id
    EXPECT_EQ(out.nID, 0);
}

TEST_F(ScheduleQuery, NextIsTheEarliestEnabledStartStrictlyAfterNow) {
    Add(Rec(kBase - 3600, kBase + 3600, kFM80, "A running"));
    Add(Rec(kBase + 300, kBase + 400, kFM80, "B disabled", 0));
    SCHEDULEITEM_TAG c = Rec(kBase + 600, kBase + 900, kFM80, "C");
    c.cPending = 0; // not looked at
    c.uState = 1;
    Add(c);
    Add(Rec(kBase + 600, kBase + 700, kFM80, "C shorter"), 0); // unsorted: the query sorts
    SCHEDULEITEM_TAG out;
    ASSERT_TRUE(m_list.readSchedule(&out));
    EXPECT_STREQ(out.cTitle, "C shorter");
    EXPECT_STREQ(Records(m_list)[1].cTitle, "B disabled") << "list left sorted";

    g_now = kBase + 600; // a start equal to now is not next
    SCHEDULEITEM_TAG keep = Untouched();
    EXPECT_FALSE(m_list.readSchedule(&keep));
    EXPECT_TRUE(keep == Untouched());
}

TEST_F(ScheduleQuery, LatestIsTheLastEndingActiveOneOff) {
    double const noon = kBase + 3600, two = kBase + 3 * 3600;
    Add(Rec(kBase + 1800, two, kFM80, "14:00"));
    Add(Rec(kBase + 600, noon, kFM80, "12:00"));
    Add(Rec(kBase + 100, two, kFM80, "also 14:00, earlier in order"));
    SCHEDULEITEM_TAG off = Rec(kBase, kBase + 9 * 3600, kFM80, "disabled", 0);
    Add(off);
    SCHEDULEITEM_TAG over = Rec(kBase, kBase + 8 * 3600, kFM80, "over");
    over.cPending = 0;
    Add(over);
    SCHEDULEITEM_TAG weeklyOff = Rec(kBase + 5000, kBase + 6000, kFM80, "weekly, off", 0);
    weeklyOff.uWeek = kWeeklyKeys[3];
    Add(weeklyOff);

    SCHEDULEITEM_TAG out;
    ASSERT_TRUE(m_list.readScheduleLatest(&out));
    EXPECT_STREQ(out.cTitle, "also 14:00, earlier in order"); // ties keep the earlier one

    g_now = two; // latest end not later than now
    SCHEDULEITEM_TAG keep = Untouched();
    EXPECT_FALSE(m_list.readScheduleLatest(&keep));
    EXPECT_TRUE(keep == Untouched());

    g_now = kBase;
    SCHEDULEITEM_TAG weekly = Rec(kBase - 9000, kBase - 8000, kFM80, "weekly, long past");
    weekly.uWeek = kWeeklyKeys[0];
    Add(weekly);
    EXPECT_FALSE(m_list.readScheduleLatest(&keep));
    EXPECT_TRUE(keep == Untouched());
}
