// Ids, the check, ordering, edit and delete, and counting by kind.
#include "StoreTestUtil.h"

#include "store/ReservationFile.h"

#include <random>

using namespace storetest;

namespace {

CheckResult Add(ReservationList& list, Reservation r, bool sort = true) {
    CheckResult ret;
    EXPECT_TRUE(list.add(r, ret, sort));
    return ret;
}

std::vector<int> idsOf(ReservationList& list) {
    std::vector<int> ids;
    Reservation r;
    for (int i = 0; list.readAt(i, r); ++i)
        ids.push_back(r.id);
    return ids;
}

} // namespace

TEST(ReservationList, IdsAreTheSmallestFreeOnesAndCallersRecordIsKept) {
    ReservationList list;
    EXPECT_EQ(list.newId(), 0);
    Reservation r = makeRec(kBase, kBase + 60);
    r.id = 42;
    r.state = 1;
    CheckResult ret;
    ASSERT_TRUE(list.add(r, ret, 1));
    EXPECT_EQ(r.id, 42); // the new id is not reported back
    Reservation stored;
    ASSERT_TRUE(list.readAt(0, stored));
    EXPECT_EQ(stored.id, 0);
    EXPECT_EQ(stored.state, 1u); // every field is copied in

    for (int i = 1; i < 4; ++i)
        Add(list, makeRec(kBase + i * 100, kBase + i * 100 + 60));
    ASSERT_TRUE(list.remove(2));
    EXPECT_EQ(idsOf(list), (std::vector<int>{0, 1, 3}));
    EXPECT_EQ(list.newId(), 2);
    Add(list, makeRec(kBase + 1000, kBase + 1060));
    EXPECT_EQ(list.newId(), 4);
    ASSERT_TRUE(list.remove(1));
    Reservation late = makeRec(kBase + 2000, kBase + 2060);
    int newId = -1;
    ASSERT_TRUE(list.add(late, ret, 1, &newId));
    EXPECT_EQ(newId, 1); // reported when asked for
    EXPECT_EQ(idsOf(list), (std::vector<int>{0, 3, 2, 1}));
    EXPECT_EQ(list.size(), 4);
}

TEST(ReservationList, CheckReportsOverlapOnlyAgainstOtherEnabledRecords) {
    double const ten = kBase, eleven = kBase + 3600, twelve = kBase + 7200;
    ReservationList list;
    EXPECT_EQ(Add(list, makeRec(eleven, twelve)), CheckResult::Ok);
    EXPECT_EQ(Add(list, makeRec(ten, eleven)), CheckResult::Ok); // touching spans do not overlap
    EXPECT_EQ(Add(list, makeRec(ten + 1800, ten + 2700)),
              CheckResult::Overlap); // accepted with a warning
    EXPECT_EQ(list.size(), 3);

    ReservationList off;
    Add(off, makeRec(ten + 1800, ten + 2700, kFM80, "off", 0));
    EXPECT_EQ(Add(off, makeRec(ten, eleven)), CheckResult::Ok);
    // A disabled record is still checked against the enabled ones, whatever the channels.
    EXPECT_EQ(Add(off, makeRec(ten, eleven, 0x3E8, "also off", 0)), CheckResult::Overlap);

    // Over (cPending 0) but enabled still counts.
    ReservationList over;
    Reservation o = makeRec(ten, eleven);
    o.pending = 0;
    Add(over, o);
    CheckResult ret;
    EXPECT_TRUE(over.checkAgainstList(makeRec(ten + 60, ten + 120), ret));
    EXPECT_EQ(ret, CheckResult::Overlap);
}

// With margins (2 min early, 5 late) two programmes overlap when their recording spans do;
// back to back on one station they record as one span, with no margins between them.
TEST(ReservationList, MarginsCountInTheOverlapAndTheRecordingSpan) {
    double const eight = kBase, nine = kBase + 3600, ten = kBase + 7200;
    uint32_t const other = 0x01000000 + 9160; // FM 91.6
    RecordingMargins const margins{120.0, 300.0};
    struct Case {
        char const* what;
        Reservation stored;
        Reservation added;
        CheckResult withMargins;
        RecordingSpan addedSpan;
    } const cases[] = {
        {"back to back, two stations",
         makeRec(eight, nine),
         makeRec(nine, ten, other),
         CheckResult::Overlap,
         {nine - 120, ten + 300}},
        {"back to back, one station",
         makeRec(eight, nine),
         makeRec(nine, ten),
         CheckResult::Ok,
         {nine, ten + 300}},
        {"before it, one station",
         makeRec(nine, ten),
         makeRec(eight, nine),
         CheckResult::Ok,
         {eight - 120, nine}},
        {"a gap of 6 minutes, two stations",
         makeRec(eight, nine),
         makeRec(nine + 360, ten, other),
         CheckResult::Overlap,
         {nine + 240, ten + 300}},
        {"a gap of 8 minutes",
         makeRec(eight, nine),
         makeRec(nine + 480, ten, other),
         CheckResult::Ok,
         {nine + 360, ten + 300}},
        {"one station, switched off",
         makeRec(eight, nine, kFM80, "off", 0),
         makeRec(nine, ten),
         CheckResult::Ok,
         {nine - 120, ten + 300}},
    };
    for (Case const& c : cases) {
        ReservationList list;
        list.setMargins(margins);
        Add(list, c.stored);
        CheckResult ret;
        EXPECT_TRUE(list.checkAgainstList(c.added, ret));
        EXPECT_EQ(ret, c.withMargins) << c.what;
        EXPECT_TRUE(list.checkWithoutMargins(c.added, ret));
        EXPECT_EQ(ret, CheckResult::Ok) << c.what; // only the margins make them overlap
        RecordingSpan const span = list.recordingSpan(c.added);
        EXPECT_EQ(span.start, c.addedSpan.start) << c.what;
        EXPECT_EQ(span.end, c.addedSpan.end) << c.what;
        list.setMargins({});
        EXPECT_TRUE(list.check(c.added, ret));
        EXPECT_EQ(ret, CheckResult::Ok) << c.what; // none set: as before margins existed
        EXPECT_EQ(list.recordingSpan(c.added).start, c.added.start) << c.what;
    }
}

TEST(ReservationList, RefusalsLeaveTheListUnchanged) {
    ReservationList list;
    Add(list, makeRec(kBase, kBase + 60));
    double const nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        Reservation rec;
        CheckResult result;
    } cases[] = {
        {makeRec(kBase, kBase), CheckResult::StartNotBeforeEnd},
        {makeRec(kBase + 10, kBase), CheckResult::StartNotBeforeEnd},
        {makeRec(nan, kBase), CheckResult::StartNotBeforeEnd},
        {makeRec(kBase, nan), CheckResult::StartNotBeforeEnd},
        {makeRec(kBase + 100, kBase + 200, 0), CheckResult::NoFrequency},
    };
    for (Case& c : cases) {
        CheckResult ret;
        ret = CheckResult::Ok;
        EXPECT_FALSE(list.check(c.rec, ret));
        EXPECT_EQ(ret, c.result);
        ret = CheckResult::Ok;
        EXPECT_FALSE(list.add(c.rec, ret, 1));
        EXPECT_EQ(ret, c.result);
        c.rec.id = 0; // an edit of the stored record
        EXPECT_FALSE(list.update(c.rec, ret));
        EXPECT_EQ(ret, c.result);
    }
    ASSERT_EQ(list.size(), 1);
    Reservation original = makeRec(kBase, kBase + 60);
    original.id = 0;
    EXPECT_TRUE(recordsOf(list)[0] == original) << "stored record unchanged";
    // Infinite times follow the plain comparison.
    EXPECT_EQ(Add(list, makeRec(-std::numeric_limits<double>::infinity(), kBase - 10)),
              CheckResult::Ok);
}

class ReservationListFull : public TempDirTest {};

TEST_F(ReservationListFull, RefusesWithoutRunningTheCheck) {
    // Filled from a file: ten thousand checked adds would make the sanitizer runs slow.
    std::vector<FileRecord> file;
    for (int i = 0; i < ReservationList::kCapacity; ++i)
        file.push_back({.id = i, .start = kBase + i * 100, .end = kBase + i * 100 + 50});
    writeFile(m_file, Bytes(file));
    ReservationList list;
    ASSERT_TRUE(ReservationFile(m_file).load(list));
    ASSERT_EQ(list.size(), ReservationList::kCapacity);
    EXPECT_EQ(list.newId(), -1);
    Reservation bad = makeRec(kBase, kBase); // would be 2 if the check ran
    CheckResult ret;
    EXPECT_FALSE(list.add(bad, ret, 1));
    EXPECT_EQ(ret, CheckResult::ListFull);
    EXPECT_FALSE(list.update(bad, ret)); // unknown id, so an add
    EXPECT_EQ(ret, CheckResult::StartNotBeforeEnd);
    Reservation fresh = makeRec(kBase - 100, kBase - 50);
    EXPECT_FALSE(list.update(fresh, ret));
    EXPECT_EQ(ret, CheckResult::ListFull);
    EXPECT_EQ(list.size(), ReservationList::kCapacity);
    ASSERT_TRUE(list.remove(5000));
    EXPECT_EQ(list.newId(), 5000);
}

TEST(ReservationList, OrderIsStartThenEndAndStableForEqualKeys) {
    ReservationList list;
    Add(list, makeRec(kBase + 100, kBase + 300, kFM80, "late"));
    Add(list, makeRec(kBase + 100, kBase + 200, kFM80, "first equal"));
    Add(list, makeRec(kBase + 100, kBase + 200, kFM80, "second equal"));
    Add(list, makeRec(kBase, kBase + 1000, kFM80, "early"));
    std::vector<std::string> titles;
    for (auto const& r : recordsOf(list))
        titles.push_back(r.title);
    EXPECT_EQ(titles, (std::vector<std::string>{"early", "first equal", "second equal", "late"}));

    // Without the sort flag the new record stays last until something sorts.
    Add(list, makeRec(kBase - 500, kBase - 400, kFM80, "unsorted"), false);
    Add(list, makeRec(kBase + 100, kBase + 200, kFM80, "third equal"), false);
    EXPECT_STREQ(recordsOf(list)[4].title, "unsorted");
    list.sort();
    titles.clear();
    for (auto const& r : recordsOf(list))
        titles.push_back(r.title);
    EXPECT_EQ(titles, (std::vector<std::string>{"unsorted", "early", "first equal", "second equal",
                                                "third equal", "late"}));
}

TEST(ReservationList, EditKeepsIdResortsAndFallsBackToAdd) {
    ReservationList list;
    for (int i = 0; i < 4; ++i)
        Add(list, makeRec(kBase + i * 100, kBase + i * 100 + 50)); // ids 0..3 in order
    Add(list, makeRec(kBase + 200, kBase + 250, kFM80, "twin"));   // id 4, after id 2

    // Unchanged times: not compared with its own stored copy.
    Reservation e = recordsOf(list)[1];
    CheckResult ret;
    std::strcpy(e.title, "renamed");
    e.state = 1;
    ASSERT_TRUE(list.update(e, ret));
    EXPECT_EQ(ret, CheckResult::Ok);
    EXPECT_TRUE(recordsOf(list)[1] == e);

    // Moving id 4 before id 2 (equal key): a stable sort keeps it after records of equal key
    // that preceded it; here it now has the key of id 1 and stood after it.
    Reservation twin = recordsOf(list)[3];
    ASSERT_EQ(twin.id, 4);
    twin.start = kBase + 100;
    twin.end = kBase + 150;
    ASSERT_TRUE(list.update(twin, ret));
    EXPECT_EQ(ret, CheckResult::Overlap); // overlaps id 1 now
    EXPECT_EQ(idsOf(list), (std::vector<int>{0, 1, 4, 2, 3}));
    // And back to an earlier position than an equal key that stood after it.
    Reservation first = recordsOf(list)[0];
    first.start = kBase + 100;
    first.end = kBase + 150;
    ASSERT_TRUE(list.update(first, ret));
    EXPECT_EQ(idsOf(list), (std::vector<int>{0, 1, 4, 2, 3}));
    // Moving to the end.
    first.start = kBase + 900;
    first.end = kBase + 950;
    ASSERT_TRUE(list.update(first, ret));
    EXPECT_EQ(idsOf(list), (std::vector<int>{1, 4, 2, 3, 0}));

    // Edit of an unsorted list sorts it all.
    Add(list, makeRec(kBase - 100, kBase - 50), false); // id 5, last
    Reservation three = recordsOf(list)[3];
    ASSERT_TRUE(list.update(three, ret));
    EXPECT_EQ(idsOf(list), (std::vector<int>{5, 1, 4, 2, 3, 0}));

    // An id not in the list is added under a new id, sorted.
    Reservation fresh = makeRec(kBase - 1000, kBase - 900, kFM80, "new");
    ASSERT_TRUE(list.update(fresh, ret));
    EXPECT_EQ(recordsOf(list)[0].id, 6);
    EXPECT_STREQ(recordsOf(list)[0].title, "new");
}

TEST(ReservationList, DeleteKeepsOrderAndUnknownIdChangesNothing) {
    ReservationList list;
    Add(list, makeRec(kBase + 100, kBase + 150));
    Add(list, makeRec(kBase, kBase + 50), false); // unsorted on purpose
    Add(list, makeRec(kBase + 200, kBase + 250), false);
    EXPECT_FALSE(list.remove(7));
    EXPECT_FALSE(list.remove(-1));
    EXPECT_EQ(idsOf(list), (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(list.remove(2));
    EXPECT_EQ(idsOf(list), (std::vector<int>{0, 1})); // not re-sorted
    EXPECT_EQ(list.size(), 2);
}

TEST(ReservationList, CountByKindCountsEveryMatchingFlag) {
    ReservationList list;
    EXPECT_EQ(list.count(0x17), 0);
    Add(list, makeRec(kBase, kBase + 60));
    EXPECT_EQ(list.count(0x03), 2);
    EXPECT_EQ(list.count(0), 0);
    Reservation off = makeRec(kBase + 100, kBase + 160, kFM80, "off", 0);
    Add(list, off);
    Reservation over = makeRec(kBase + 200, kBase + 260);
    over.pending = 0;
    Add(list, over);
    EXPECT_EQ(list.count(0x01), 1);
    EXPECT_EQ(list.count(0x02), 2);
    EXPECT_EQ(list.count(0x04), 1);
    EXPECT_EQ(list.count(0x10), 1);
    EXPECT_EQ(list.count(0x17), 5);
    EXPECT_EQ(list.count(0x08 | 0x20 | 0x40), 0);
}

TEST(ReservationList, ClearEmptiesTheList) {
    ReservationList list;
    Add(list, makeRec(kBase, kBase + 60));
    list.clear();
    EXPECT_EQ(list.size(), 0);
    EXPECT_EQ(list.newId(), 0);
    Reservation r;
    EXPECT_FALSE(list.readAt(0, r));
    EXPECT_EQ(Add(list, makeRec(kBase, kBase + 60)), CheckResult::Ok);
    EXPECT_EQ(list.size(), 1);
}

// The list inserts, merges and moves single records instead of sorting everything; its
// order must match a plain stable sort after every step, ties included.
TEST(ReservationList, OrderMatchesAPlainStableSortUnderRandomChanges) {
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
    ReservationList list;
    std::mt19937 rng(7);
    for (int step = 0; step < 2000; ++step) {
        double const start = kBase + static_cast<double>(rng() % 8); // many equal keys
        double const end = start + 1 + static_cast<double>(rng() % 3);
        Reservation r = makeRec(start, end);
        CheckResult ret;
        switch (rng() % 5) {
        case 0:
        case 1: {
            int const id = list.newId();
            bool const sort = rng() % 2;
            ASSERT_TRUE(list.add(r, ret, sort ? 1 : 0));
            model.push_back({id, start, end});
            if (sort)
                sortModel();
            break;
        }
        case 2:
            if (!model.empty()) {
                Model& m = model[rng() % model.size()];
                r.id = m.id;
                ASSERT_TRUE(list.update(r, ret));
                m.start = start;
                m.end = end;
                sortModel();
            }
            break;
        case 3:
            if (!model.empty()) {
                std::size_t const at = rng() % model.size();
                ASSERT_TRUE(list.remove(model[at].id));
                model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
            }
            break;
        default:
            list.sort();
            sortModel();
            break;
        }
        std::vector<int> expected;
        for (Model const& m : model)
            expected.push_back(m.id);
        ASSERT_EQ(idsOf(list), expected) << "step " << step;
    }
}
