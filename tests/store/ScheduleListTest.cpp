// Ids, the check, ordering, edit and delete, and counting by kind.
#include "StoreTestUtil.h"

#include <random>

using namespace storetest;

namespace {

int Add(CScheduleItem& list, SCHEDULEITEM_TAG r, signed char sort = 1) {
    SCHEDULE_RETURN ret;
    EXPECT_TRUE(list.addSchedule(&r, ret, sort));
    return ret.nResult;
}

std::vector<int> Ids(CScheduleItem& list) {
    std::vector<int> ids;
    SCHEDULEITEM_TAG r;
    for (int i = 0; list.readScheduleByIndex(i, &r); ++i)
        ids.push_back(r.nID);
    return ids;
}

} // namespace

TEST(ScheduleList, IdsAreTheSmallestFreeOnesAndCallersRecordIsKept) {
    CScheduleItem list;
    EXPECT_EQ(list.getNewId(), 0);
    SCHEDULEITEM_TAG r = Rec(kBase, kBase + 60);
    r.nID = 42;
    r.uState = 1;
    SCHEDULE_RETURN ret;
    ASSERT_TRUE(list.addSchedule(&r, ret, 1));
    EXPECT_EQ(r.nID, 42); // the new id is not reported back
    SCHEDULEITEM_TAG stored;
    ASSERT_TRUE(list.readScheduleByIndex(0, &stored));
    EXPECT_EQ(stored.nID, 0);
    EXPECT_EQ(stored.uState, 1u); // every field is copied in

    for (int i = 1; i < 4; ++i)
        Add(list, Rec(kBase + i * 100, kBase + i * 100 + 60));
    ASSERT_TRUE(list.deleteSchedule(2));
    EXPECT_EQ(Ids(list), (std::vector<int>{0, 1, 3}));
    EXPECT_EQ(list.getNewId(), 2);
    Add(list, Rec(kBase + 1000, kBase + 1060));
    EXPECT_EQ(list.getNewId(), 4);
    ASSERT_TRUE(list.deleteSchedule(1));
    SCHEDULEITEM_TAG late = Rec(kBase + 2000, kBase + 2060);
    int newId = -1;
    ASSERT_TRUE(list.addSchedule(&late, ret, 1, &newId));
    EXPECT_EQ(newId, 1); // reported when asked for
    EXPECT_EQ(Ids(list), (std::vector<int>{0, 3, 2, 1}));
    EXPECT_EQ(list.m_nCount.load(), 4);
}

TEST(ScheduleList, CheckReportsOverlapOnlyAgainstOtherEnabledRecords) {
    double const ten = kBase, eleven = kBase + 3600, twelve = kBase + 7200;
    CScheduleItem list;
    EXPECT_EQ(Add(list, Rec(eleven, twelve)), 0);
    EXPECT_EQ(Add(list, Rec(ten, eleven)), 0);            // touching spans do not overlap
    EXPECT_EQ(Add(list, Rec(ten + 1800, ten + 2700)), 1); // accepted with a warning
    EXPECT_EQ(list.m_nCount.load(), 3);

    CScheduleItem off;
    Add(off, Rec(ten + 1800, ten + 2700, kFM80, "off", 0));
    EXPECT_EQ(Add(off, Rec(ten, eleven)), 0);
    // A disabled record is still checked against the enabled ones, whatever the channels.
    EXPECT_EQ(Add(off, Rec(ten, eleven, 0x3E8, "also off", 0)), 1);

    // Over (cPending 0) but enabled still counts.
    CScheduleItem over;
    SCHEDULEITEM_TAG o = Rec(ten, eleven);
    o.cPending = 0;
    Add(over, o);
    SCHEDULE_RETURN ret;
    EXPECT_TRUE(over.GlovalCheck(Rec(ten + 60, ten + 120), ret));
    EXPECT_EQ(ret.nResult, 1);
}

TEST(ScheduleList, RefusalsLeaveTheListUnchanged) {
    CScheduleItem list;
    Add(list, Rec(kBase, kBase + 60));
    double const nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        SCHEDULEITEM_TAG rec;
        int result;
    } cases[] = {
        {Rec(kBase, kBase), 2}, {Rec(kBase + 10, kBase), 2},           {Rec(nan, kBase), 2},
        {Rec(kBase, nan), 2},   {Rec(kBase + 100, kBase + 200, 0), 3},
    };
    for (Case& c : cases) {
        SCHEDULE_RETURN ret;
        ret.nResult = 99;
        EXPECT_FALSE(list.mCheck(c.rec, ret));
        EXPECT_EQ(ret.nResult, c.result);
        ret.nResult = 99;
        EXPECT_FALSE(list.addSchedule(&c.rec, ret, 1));
        EXPECT_EQ(ret.nResult, c.result);
        c.rec.nID = 0; // an edit of the stored record
        EXPECT_FALSE(list.editSchedule(&c.rec, ret));
        EXPECT_EQ(ret.nResult, c.result);
    }
    ASSERT_EQ(list.m_nCount.load(), 1);
    SCHEDULEITEM_TAG original = Rec(kBase, kBase + 60);
    original.nID = 0;
    EXPECT_TRUE(Records(list)[0] == original) << "stored record unchanged";
    // Infinite times follow the plain comparison.
    EXPECT_EQ(Add(list, Rec(-std::numeric_limits<double>::infinity(), kBase - 10)), 0);
}

class ScheduleListFull : public TempDirTest {};

TEST_F(ScheduleListFull, RefusesWithoutRunningTheCheck) {
    // Filled from a file: ten thousand checked adds would make the sanitizer runs slow.
    std::vector<FileRecord> file;
    for (int i = 0; i < kScheduleMaxCount; ++i)
        file.push_back({.id = i, .start = kBase + i * 100, .end = kBase + i * 100 + 50});
    WriteFile(m_file, Bytes(file));
    CScheduleItem list;
    ASSERT_TRUE(list.Load(m_file.c_str()));
    ASSERT_EQ(list.m_nCount.load(), kScheduleMaxCount);
    EXPECT_EQ(list.getNewId(), -1);
    SCHEDULEITEM_TAG bad = Rec(kBase, kBase); // would be 2 if the check ran
    SCHEDULE_RETURN ret;
    EXPECT_FALSE(list.addSchedule(&bad, ret, 1));
    EXPECT_EQ(ret.nResult, 4);
    EXPECT_FALSE(list.editSchedule(&bad, ret)); // unknown id, so an add
    EXPECT_EQ(ret.nResult, 2);
    SCHEDULEITEM_TAG fresh = Rec(kBase - 100, kBase - 50);
    EXPECT_FALSE(list.editSchedule(&fresh, ret));
    EXPECT_EQ(ret.nResult, 4);
    EXPECT_EQ(list.m_nCount.load(), kScheduleMaxCount);
    ASSERT_TRUE(list.deleteSchedule(5000));
    EXPECT_EQ(list.getNewId(), 5000);
}

TEST(ScheduleList, OrderIsStartThenEndAndStableForEqualKeys) {
    CScheduleItem list;
    Add(list, Rec(kBase + 100, kBase + 300, kFM80, "late"));
    Add(list, Rec(kBase + 100, kBase + 200, kFM80, "first equal"));
    Add(list, Rec(kBase + 100, kBase + 200, kFM80, "second equal"));
    Add(list, Rec(kBase, kBase + 1000, kFM80, "early"));
    std::vector<std::string> titles;
    for (auto const& r : Records(list))
        titles.push_back(r.cTitle);
    EXPECT_EQ(titles, (std::vector<std::string>{"early", "first equal", "second equal", "late"}));

    // Without the sort flag the new record stays last until something sorts.
    Add(list, Rec(kBase - 500, kBase - 400, kFM80, "unsorted"), 0);
    Add(list, Rec(kBase + 100, kBase + 200, kFM80, "third equal"), 0);
    EXPECT_STREQ(Records(list)[4].cTitle, "unsorted");
    list.mSort();
    titles.clear();
    for (auto const& r : Records(list))
        titles.push_back(r.cTitle);
    EXPECT_EQ(titles, (std::vector<std::string>{"unsorted", "early", "first equal", "second equal",
                                                "third equal", "late"}));
}

TEST(ScheduleList, EditKeepsIdResortsAndFallsBackToAdd) {
    CScheduleItem list;
    for (int i = 0; i < 4; ++i)
        Add(list, Rec(kBase + i * 100, kBase + i * 100 + 50)); // ids 0..3 in order
    Add(list, Rec(kBase + 200, kBase + 250, kFM80, "twin"));   // id 4, after id 2

    // Unchanged times: not compared with its own stored copy.
    SCHEDULEITEM_TAG e = Records(list)[1];
    SCHEDULE_RETURN ret;
    std::strcpy(e.cTitle, "renamed");
    e.uState = 1;
    ASSERT_TRUE(list.editSchedule(&e, ret));
    EXPECT_EQ(ret.nResult, 0);
    EXPECT_TRUE(Records(list)[1] == e);

    // Moving id 4 before id 2 (equal key): a stable sort keeps it after records of equal key
    // that preceded it; here it now has the key of id 1 and stood after it.
    SCHEDULEITEM_TAG twin = Records(list)[3];
    ASSERT_EQ(twin.nID, 4);
    twin.dStartTime = kBase + 100;
    twin.dEndTime = kBase + 150;
    ASSERT_TRUE(list.editSchedule(&twin, ret));
    EXPECT_EQ(ret.nResult, 1); // overlaps id 1 now
    EXPECT_EQ(Ids(list), (std::vector<int>{0, 1, 4, 2, 3}));
    // And back to an earlier position than an equal key that stood after it.
    SCHEDULEITEM_TAG first = Records(list)[0];
    first.dStartTime = kBase + 100;
    first.dEndTime = kBase + 150;
    ASSERT_TRUE(list.editSchedule(&first, ret));
    EXPECT_EQ(Ids(list), (std::vector<int>{0, 1, 4, 2, 3}));
    // Moving to the end.
    first.dStartTime = kBase + 900;
    first.dEndTime = kBase + 950;
    ASSERT_TRUE(list.editSchedule(&first, ret));
    EXPECT_EQ(Ids(list), (std::vector<int>{1, 4, 2, 3, 0}));

    // Edit of an unsorted list sorts it all.
    Add(list, Rec(kBase - 100, kBase - 50), 0); // id 5, last
    SCHEDULEITEM_TAG three = Records(list)[3];
    ASSERT_TRUE(list.editSchedule(&three, ret));
    EXPECT_EQ(Ids(list), (std::vector<int>{5, 1, 4, 2, 3, 0}));

    // An id not in the list is added under a new id, sorted.
    SCHEDULEITEM_TAG fresh = Rec(kBase - 1000, kBase - 900, kFM80, "new");
    ASSERT_TRUE(list.editSchedule(&fresh, ret));
    EXPECT_EQ(Records(list)[0].nID, 6);
    EXPECT_STREQ(Records(list)[0].cTitle, "new");
}

TEST(ScheduleList, DeleteKeepsOrderAndUnknownIdChangesNothing) {
    CScheduleItem list;
    Add(list, Rec(kBase + 100, kBase + 150));
    Add(list, Rec(kBase, kBase + 50), 0); // unsorted on purpose
    Add(list, Rec(kBase + 200, kBase + 250), 0);
    EXPECT_FALSE(list.deleteSchedule(7));
    EXPECT_FALSE(list.deleteSchedule(-1));
    EXPECT_EQ(Ids(list), (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(list.deleteSchedule(2));
    EXPECT_EQ(Ids(list), (std::vector<int>{0, 1})); // not re-sorted
    EXPECT_EQ(list.m_nCount.load(), 2);
}

TEST(ScheduleList, CountByKindCountsEveryMatchingFlag) {
    CScheduleItem list;
    EXPECT_EQ(list.GetCountByKind(0x17), 0);
    Add(list, Rec(kBase, kBase + 60));
    EXPECT_EQ(list.GetCountByKind(0x03), 2);
    EXPECT_EQ(list.GetCountByKind(0), 0);
    SCHEDULEITEM_TAG off = Rec(kBase + 100, kBase + 160, kFM80, "off", 0);
    Add(list, off);
    SCHEDULEITEM_TAG over = Rec(kBase + 200, kBase + 260);
    over.cPending = 0;
    Add(list, over);
    EXPECT_EQ(list.GetCountByKind(0x01), 1);
    EXPECT_EQ(list.GetCountByKind(0x02), 2);
    EXPECT_EQ(list.GetCountByKind(0x04), 1);
    EXPECT_EQ(list.GetCountByKind(0x10), 1);
    EXPECT_EQ(list.GetCountByKind(0x17), 5);
    EXPECT_EQ(list.GetCountByKind(0x08 | 0x20 | 0x40), 0);
}

TEST(ScheduleList, InitializeAndTerminateEmptyTheList) {
    CScheduleItem list;
    Add(list, Rec(kBase, kBase + 60));
    EXPECT_TRUE(list.Initialize());
    EXPECT_EQ(list.m_nCount.load(), 0);
    EXPECT_EQ(list.getNewId(), 0);
    Add(list, Rec(kBase, kBase + 60));
    list.Terminate();
    EXPECT_EQ(list.m_nCount.load(), 0);
    SCHEDULEITEM_TAG r;
    EXPECT_FALSE(list.readScheduleByIndex(0, &r));
    // Still usable after Terminate.
    EXPECT_EQ(Add(list, Rec(kBase, kBase + 60)), 0);
    EXPECT_EQ(list.m_nCount.load(), 1);
}

// The list inserts, merges and moves single records instead of sorting everything; its
// order must match a plain stable sort after every step, ties included.
TEST(ScheduleList, OrderMatchesAPlainStableSortUnderRandomChanges) {
    struct Model {
        int id;
        double start, end;
    };
    std::vector<Model> model;
    auto sortModel = [&] {
        std::stable_sort(model.begin(), model.end(), [](Model const& a, Model const& b) {
            return a.start < b.start || (a.start == b.start && a.end < b.end);
        });
    };
    CScheduleItem list;
    std::mt19937 rng(7);
    for (int step = 0; step < 2000; ++step) {
        double const start = kBase + static_cast<double>(rng() % 8); // many equal keys
        double const end = start + 1 + static_cast<double>(rng() % 3);
        SCHEDULEITEM_TAG r = Rec(start, end);
        SCHEDULE_RETURN ret;
        switch (rng() % 5) {
        case 0:
        case 1: {
            int const id = list.getNewId();
            bool const sort = rng() % 2;
            ASSERT_TRUE(list.addSchedule(&r, ret, sort ? 1 : 0));
            model.push_back({id, start, end});
            if (sort)
                sortModel();
            break;
        }
        case 2:
            if (!model.empty()) {
                Model& m = model[rng() % model.size()];
                r.nID = m.id;
                ASSERT_TRUE(list.editSchedule(&r, ret));
                m.start = start;
                m.end = end;
                sortModel();
            }
            break;
        case 3:
            if (!model.empty()) {
                std::size_t const at = rng() % model.size();
                ASSERT_TRUE(list.deleteSchedule(model[at].id));
                model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
            }
            break;
        default:
            list.mSort();
            sortModel();
            break;
        }
        std::vector<int> expected;
        for (Model const& m : model)
            expected.push_back(m.id);
        ASSERT_EQ(Ids(list), expected) << "step " << step;
    }
}
