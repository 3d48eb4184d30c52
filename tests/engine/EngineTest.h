// Shared set-up for the engine tests: an engine on a virtual clock that starts on Monday
// 2024-01-15 09:00 JST (TZ is pinned to JST-9 by main), with every service faked.
#pragma once

#include "engine/RecordingEngine.h"
#include "posix/LocalCalendar.h"
#include "tests/support/FakeEngineServices.h"
#include "tests/support/ZoneScope.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

inline constexpr double kMonday0900 = 1705276800.0; // Mon 2024-01-15 09:00:00 JST
inline constexpr double kDay = 86400.0;
inline constexpr uint32_t kFM800 = 0x01001F40; // FM 80.0 MHz
inline constexpr uint32_t kAM594 = 594;

// Can keep the recording threads from starting, so a test sees exactly what one pass did.
class TestEngine : public RecordingEngine {
public:
    TestEngine(Services const& services, bool realThreads)
        : RecordingEngine(services), m_realThreads(realThreads) {}
    ~TestEngine() override { stopThreads(); }

    std::vector<int> launched() {
        std::lock_guard lock(m_mutex);
        return m_launched;
    }
    void launch(int id) { launchRecordingThread(id); }

protected:
    void launchRecordingThread(int id) override {
        {
            std::lock_guard lock(m_mutex);
            m_launched.push_back(id);
        }
        if (m_realThreads) {
            RecordingEngine::launchRecordingThread(id);
        }
    }

private:
    bool const m_realThreads;
    std::mutex m_mutex;
    std::vector<int> m_launched;
};

inline Reservation makeRec(double start, double end, char const* title, uint32_t freq = kFM800,
                           uint32_t week = 0) {
    Reservation rec;
    rec.start = start;
    rec.end = end;
    rec.frequency = freq;
    std::strncpy(rec.title, title, sizeof rec.title - 1);
    rec.weekdays = week;
    return rec;
}

// Polls pred in real time; false when it did not come true within the timeout.
inline bool waitFor(std::function<bool()> const& pred,
                    std::chrono::milliseconds timeout = std::chrono::milliseconds(10000)) {
    auto const deadline = std::chrono::steady_clock::now() + timeout;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

class EngineTest : public ::testing::Test {
protected:
    // realThreads: whether a started reservation really gets its recording thread.
    void makeEngine(bool realThreads) {
        engine = std::make_unique<TestEngine>(fx.services(nullptr, &calendar), realThreads);
        list = &engine->list();
    }
    void SetUp() override { makeEngine(false); }
    void TearDown() override {
        // Lets any sleeper run out so the engine can stop its threads.
        fx.clock.setAutoAdvance(true);
        engine.reset();
    }

    // Adds to the list and answers the id the list gave it.
    int Add(Reservation rec) {
        CheckResult result;
        EXPECT_TRUE(list->add(rec, result, 1));
        return idOf(rec.title);
    }
    int idOf(std::string const& title) {
        for (auto const& rec : allReservations()) {
            if (title == rec.title) {
                return rec.id;
            }
        }
        return -1;
    }
    Reservation reservationById(int id) {
        Reservation rec;
        EXPECT_TRUE(list->read(id, rec)) << "no reservation " << id;
        return rec;
    }
    std::vector<Reservation> allReservations() {
        std::vector<Reservation> all;
        Reservation rec;
        for (int i = 0; list->readAt(i, rec); ++i) {
            all.push_back(rec);
        }
        return all;
    }
    std::vector<std::string> titlesOf() {
        std::vector<std::string> titles;
        for (auto const& rec : allReservations()) {
            titles.emplace_back(rec.title);
        }
        return titles;
    }

    FakeEngineServices fx{kMonday0900};
    LocalCalendar calendar;
    std::unique_ptr<TestEngine> engine;
    ReservationList* list = nullptr;
};
