// The four queries: by index, by id, the next reservation and the one that ends last.
#include "StoreTestUtil.h"
#include "tests/support/FakeClock.h"

using namespace storetest;

namespace {

class ReservationQueryTest : public ::testing::Test {
protected:
    void Add(Reservation r, signed char sort = 1) {
        CheckResult ret;
        ASSERT_TRUE(m_list.add(r, ret, sort));
    }
    static Reservation untouched() {
        Reservation r = makeRec(1, 2, 3, "caller's own");
        r.id = 77;
        return r;
    }

    FakeClock m_clock{kBase};
    ReservationList m_list{m_clock};
};

} // namespace

TEST_F(ReservationQueryTest, FalseLeavesTheCallersRecordAlone) {
    Reservation out = untouched();
    EXPECT_FALSE(m_list.readAt(0, out));
    EXPECT_FALSE(m_list.read(0, out));
    EXPECT_FALSE(m_list.next());
    EXPECT_FALSE(m_list.latest());
    Add(makeRec(kBase + 60, kBase + 120));
    EXPECT_FALSE(m_list.readAt(1, out));
    EXPECT_FALSE(m_list.readAt(-1, out));
    EXPECT_FALSE(m_list.read(1, out));
    EXPECT_TRUE(out == untouched());
    EXPECT_EQ(out.state, 0u);
}

TEST_F(ReservationQueryTest, ReadsCopyWholeRecords) {
    Reservation r = makeRec(kBase + 60, kBase + 120, 0x3E8, "abc");
    r.title[100] = 'z'; // bytes after the terminator travel too
    r.weekdays = 5;
    r.state = 1;
    Add(r);
    Add(makeRec(kBase, kBase + 30));
    Reservation out;
    ASSERT_TRUE(m_list.read(0, out));
    r.id = 0;
    EXPECT_TRUE(out == r);
    EXPECT_EQ(out.state, 1u);
    ASSERT_TRUE(m_list.readAt(1, out)); // position, not id
    EXPECT_EQ(out.id, 0);
}

TEST_F(ReservationQueryTest, NextIsTheEarliestEnabledStartStrictlyAfterNow) {
    Add(makeRec(kBase - 3600, kBase + 3600, kFM80, "A running"));
    Add(makeRec(kBase + 300, kBase + 400, kFM80, "B disabled", 0));
    Reservation c = makeRec(kBase + 600, kBase + 900, kFM80, "C");
    c.pending = 0; // not looked at
    c.state = 1;
    Add(c);
    Add(makeRec(kBase + 600, kBase + 700, kFM80, "C shorter"), 0); // unsorted: the query sorts
    ASSERT_TRUE(m_list.next());
    EXPECT_STREQ(m_list.next()->title, "C shorter");
    EXPECT_STREQ(recordsOf(m_list)[1].title, "B disabled") << "list left sorted";

    m_clock.advanceTo(kBase + 600); // a start equal to now is not next
    EXPECT_FALSE(m_list.next());
}

TEST_F(ReservationQueryTest, LatestIsTheLastEndingActiveOneOff) {
    double const noon = kBase + 3600, two = kBase + 3 * 3600;
    Add(makeRec(kBase + 1800, two, kFM80, "14:00"));
    Add(makeRec(kBase + 600, noon, kFM80, "12:00"));
    Add(makeRec(kBase + 100, two, kFM80, "also 14:00, earlier in order"));
    Reservation off = makeRec(kBase, kBase + 9 * 3600, kFM80, "disabled", 0);
    Add(off);
    Reservation over = makeRec(kBase, kBase + 8 * 3600, kFM80, "over");
    over.pending = 0;
    Add(over);
    Reservation weeklyOff = makeRec(kBase + 5000, kBase + 6000, kFM80, "weekly, off", 0);
    weeklyOff.weekdays = kWeekdayBits[3];
    Add(weeklyOff);

    ASSERT_TRUE(m_list.latest());
    // Ties keep the earlier one.
    EXPECT_STREQ(m_list.latest()->title, "also 14:00, earlier in order");

    Reservation weekly = makeRec(kBase - 9000, kBase - 8000, kFM80, "weekly, long past");
    weekly.weekdays = kWeekdayBits[0];
    CheckResult ret;
    int weeklyId = -1;
    ASSERT_TRUE(m_list.add(weekly, ret, true, &weeklyId));
    EXPECT_FALSE(m_list.latest());
    m_list.remove(weeklyId);

    m_clock.advanceTo(two); // latest end not later than now
    EXPECT_FALSE(m_list.latest());
}
