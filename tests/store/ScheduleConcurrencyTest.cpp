// Every operation from several threads at once; meant to run under ThreadSanitizer too.
#include "StoreTestUtil.h"

#include <atomic>
#include <chrono>
#include <random>
#include <set>
#include <thread>

using namespace storetest;

namespace {

double FixedNow() {
    return kBase + 5000;
}

// A record read from the list must be one that some thread stored, never a torn mixture.
bool Plausible(SCHEDULEITEM_TAG const& r) {
    return r.nID >= 0 && r.nID < kScheduleMaxCount && r.dStartTime < r.dEndTime &&
           r.dEndTime - r.dStartTime == 60 && r.uFreq == kFM80 && r.cTitle[0] == 'w';
}

class ScheduleConcurrency : public TempDirTest {};

} // namespace

TEST_F(ScheduleConcurrency, MixedOperationsKeepTheListConsistent) {
    CScheduleItem list;
    list.setNowFunction(&FixedNow);
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    auto const deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    constexpr int kOpsPerThread = 3000;

    auto writer = [&](unsigned seed) {
        std::mt19937 rng(seed);
        for (int i = 0; i < kOpsPerThread && !stop; ++i) {
            double start = kBase + static_cast<double>(rng() % 10000);
            SCHEDULEITEM_TAG r = Rec(start, start + 60, kFM80, "w");
            r.cValid = static_cast<uint8_t>(rng() % 2);
            SCHEDULE_RETURN ret;
            switch (rng() % 6) {
            case 0:
            case 1:
                if (list.m_nCount < 300)
                    list.addSchedule(&r, ret, static_cast<signed char>(rng() % 2));
                break;
            case 2: {
                SCHEDULEITEM_TAG e;
                if (list.readScheduleByIndex(static_cast<int>(rng() % 300), &e)) {
                    e.dStartTime = start;
                    e.dEndTime = start + 60;
                    list.editSchedule(&e, ret);
                }
                break;
            }
            case 3:
                list.deleteSchedule(static_cast<int>(rng() % 300));
                break;
            case 4:
                if (rng() % 200 == 0)
                    list.Initialize();
                else
                    list.mSort();
                break;
            default:
                if (rng() % 50 == 0)
                    list.Save(m_file.c_str());
                break;
            }
        }
    };
    auto reader = [&](unsigned seed) {
        std::mt19937 rng(seed);
        SCHEDULEITEM_TAG r;
        SCHEDULE_RETURN ret;
        while (!stop) {
            int n = list.m_nCount;
            if (n < 0 || n > kScheduleMaxCount)
                ++bad;
            if (list.readScheduleByIndex(static_cast<int>(rng() % 300), &r) && !Plausible(r))
                ++bad;
            if (list.readSchedule(static_cast<int>(rng() % 300), &r) && !Plausible(r))
                ++bad;
            if (list.readSchedule(&r) && !(Plausible(r) && r.dStartTime > FixedNow()))
                ++bad;
            if (list.readScheduleLatest(&r) && !Plausible(r))
                ++bad;
            if (list.GetCountByKind(0x17) < 0)
                ++bad;
            SCHEDULEITEM_TAG probe = Rec(kBase + 100, kBase + 160, kFM80, "w");
            if (!list.GlovalCheck(probe, ret) || !list.mCheck(probe, ret))
                ++bad;
            int id = list.getNewId();
            if (id < 0 || id >= kScheduleMaxCount)
                ++bad;
            (void)list.lastRescuedCopy();
            if (std::chrono::steady_clock::now() > deadline)
                stop = true;
        }
    };

    std::vector<std::thread> threads;
    for (unsigned i = 0; i < 3; ++i)
        threads.emplace_back(writer, 100 + i);
    for (unsigned i = 0; i < 2; ++i)
        threads.emplace_back(reader, 200 + i);
    for (int i = 0; i < 3; ++i)
        threads[static_cast<std::size_t>(i)].join();
    stop = true;
    for (std::size_t i = 3; i < threads.size(); ++i)
        threads[i].join();

    EXPECT_EQ(bad.load(), 0);
    list.mSort();
    std::vector<SCHEDULEITEM_TAG> recs = Records(list);
    EXPECT_EQ(static_cast<int>(recs.size()), list.m_nCount.load());
    std::set<int> ids;
    for (std::size_t i = 0; i < recs.size(); ++i) {
        EXPECT_TRUE(Plausible(recs[i]));
        ids.insert(recs[i].nID);
        if (i > 0) {
            EXPECT_LE(recs[i - 1].dStartTime, recs[i].dStartTime);
        }
    }
    EXPECT_EQ(ids.size(), recs.size()) << "ids are unique";

    // Whatever the last save caught, it is a whole file of plausible records.
    if (list.Save(m_file.c_str())) {
        CScheduleItem back;
        EXPECT_TRUE(back.Load(m_file.c_str()));
        EXPECT_EQ(back.m_nCount.load(), list.m_nCount.load());
        EXPECT_EQ(back.lastRescuedCopy(), "");
    }
}
