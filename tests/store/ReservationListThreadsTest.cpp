// Every operation from several threads at once; meant to run under ThreadSanitizer too.
#include "StoreTestUtil.h"

#include "store/ReservationFile.h"
#include "tests/support/FakeClock.h"

#include <atomic>
#include <chrono>
#include <random>
#include <set>
#include <thread>

using namespace storetest;

namespace {

double fixedNow() {
    return kBase + 5000;
}

// A record read from the list must be one that some thread stored, never a torn mixture.
bool isPlausible(Reservation const& r) {
    return r.id >= 0 && r.id < ReservationList::kCapacity && r.start < r.end &&
           r.end - r.start == 60 && r.frequency == kFM80 && r.title[0] == 'w';
}

class ReservationListThreadsTest : public TempDirTest {};

} // namespace

TEST_F(ReservationListThreadsTest, MixedOperationsKeepTheListConsistent) {
    FakeClock clock(fixedNow());
    ReservationList list(clock);
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    auto const deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    constexpr int kOpsPerThread = 3000;

    auto writer = [&](unsigned seed) {
        std::mt19937 rng(seed);
        for (int i = 0; i < kOpsPerThread && !stop; ++i) {
            double start = kBase + static_cast<double>(rng() % 10000);
            Reservation r = makeRec(start, start + 60, kFM80, "w");
            r.enabled = static_cast<uint8_t>(rng() % 2);
            CheckResult ret;
            switch (rng() % 6) {
            case 0:
            case 1:
                if (list.size() < 300)
                    list.add(r, ret, static_cast<signed char>(rng() % 2));
                break;
            case 2: {
                Reservation e;
                if (list.readAt(static_cast<int>(rng() % 300), e)) {
                    e.start = start;
                    e.end = start + 60;
                    list.update(e, ret);
                }
                break;
            }
            case 3:
                list.remove(static_cast<int>(rng() % 300));
                break;
            case 4:
                if (rng() % 200 == 0)
                    list.clear();
                else
                    list.sort();
                break;
            default:
                if (rng() % 50 == 0)
                    ReservationFile(m_file).save(list);
                break;
            }
        }
    };
    auto reader = [&](unsigned seed) {
        std::mt19937 rng(seed);
        Reservation r;
        std::optional<Reservation> next;
        CheckResult ret;
        while (!stop) {
            int n = list.size();
            if (n < 0 || n > ReservationList::kCapacity)
                ++bad;
            if (list.readAt(static_cast<int>(rng() % 300), r) && !isPlausible(r))
                ++bad;
            if (list.read(static_cast<int>(rng() % 300), r) && !isPlausible(r))
                ++bad;
            if ((next = list.next()) && !(isPlausible(*next) && next->start > fixedNow()))
                ++bad;
            if ((next = list.latest()) && !isPlausible(*next))
                ++bad;
            if (list.count(0x17) < 0)
                ++bad;
            Reservation probe = makeRec(kBase + 100, kBase + 160, kFM80, "w");
            if (!list.checkAgainstList(probe, ret) || !list.check(probe, ret))
                ++bad;
            int id = list.newId();
            if (id < 0 || id >= ReservationList::kCapacity)
                ++bad;
            (void)list.size();
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
    list.sort();
    std::vector<Reservation> recs = recordsOf(list);
    EXPECT_EQ(static_cast<int>(recs.size()), list.size());
    std::set<int> ids;
    for (std::size_t i = 0; i < recs.size(); ++i) {
        EXPECT_TRUE(isPlausible(recs[i]));
        ids.insert(recs[i].id);
        if (i > 0) {
            EXPECT_LE(recs[i - 1].start, recs[i].start);
        }
    }
    EXPECT_EQ(ids.size(), recs.size()) << "ids are unique";

    // Whatever the last save caught, it is a whole file of plausible records.
    if (ReservationFile(m_file).save(list)) {
        ReservationList back;
        ReservationFile file(m_file);
        EXPECT_TRUE(file.load(back));
        EXPECT_EQ(back.size(), list.size());
        EXPECT_EQ(file.lastRescuedCopy(), "");
    }
}
