// Shared set-up for the engine tests: an engine on a virtual clock that starts on Monday
// 2024-01-15 09:00 JST (TZ is pinned to JST-9 by main), with every service faked.
#pragma once

#include "engine/RecEngine.h"
#include "platform/linux/LocalCalendar.h"
#include "tests/support/FakeEngineServices.h"

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
class TestEngine : public CRecEngine {
public:
    TestEngine(Services const& services, bool realThreads)
        : CRecEngine(services), m_realThreads(realThreads) {}
    ~TestEngine() override { StopThreads(); }

    std::vector<int> launched() {
        std::lock_guard lock(m_mutex);
        return m_launched;
    }
    void Launch(int id) { LaunchRecordingThread(id); }
    std::vector<PlanOutcome> outcomes() {
        std::lock_guard lock(m_mutex);
        return m_outcomes;
    }

protected:
    void PlanFinished(PlanOutcome const& outcome) override {
        std::lock_guard lock(m_mutex);
        m_outcomes.push_back(outcome);
    }
    void LaunchRecordingThread(int id) override {
        {
            std::lock_guard lock(m_mutex);
            m_launched.push_back(id);
        }
        if (m_realThreads) {
            CRecEngine::LaunchRecordingThread(id);
        }
    }

private:
    bool const m_realThreads;
    std::mutex m_mutex;
    std::vector<int> m_launched;
    std::vector<PlanOutcome> m_outcomes;
};

inline SCHEDULEITEM_TAG MakeRec(double start, double end, char const* title, uint32_t freq = kFM800,
                                uint32_t week = 0) {
    SCHEDULEITEM_TAG rec;
    rec.dStartTime = start;
    rec.dEndTime = end;
    rec.uFreq = freq;
    std::strncpy(rec.cTitle, title, sizeof rec.cTitle - 1);
    rec.uWeek = week;
    return rec;
}

// Polls pred in real time; false when it did not come true within the timeout.
inline bool WaitFor(std::function<bool()> const& pred,
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
    void MakeEngine(bool realThreads) {
        engine = std::make_unique<TestEngine>(fx.services(nullptr, &calendar), realThreads);
        engine->CreateSchedule();
        list = engine->m_Schedule;
    }
    void SetUp() override { MakeEngine(false); }
    void TearDown() override {
        // Lets any sleeper run out so the engine can stop its threads.
        fx.clock.setAutoAdvance(true);
        engine.reset();
    }

    // Adds to the list and answers the id the list gave it.
    int Add(SCHEDULEITEM_TAG rec) {
        SCHEDULE_RETURN result;
        EXPECT_TRUE(list->addSchedule(&rec, result, 1));
        return IdOf(rec.cTitle);
    }
    int IdOf(std::string const& title) {
        for (auto const& rec : All()) {
            if (title == rec.cTitle) {
                return rec.nID;
            }
        }
        return -1;
    }
    SCHEDULEITEM_TAG Get(int id) {
        SCHEDULEITEM_TAG rec;
        EXPECT_TRUE(list->readSchedule(id, &rec)) << "no reservation " << id;
        return rec;
    }
    std::vector<SCHEDULEITEM_TAG> All() {
        std::vector<SCHEDULEITEM_TAG> all;
        SCHEDULEITEM_TAG rec;
        for (int i = 0; list->readScheduleByIndex(i, &rec); ++i) {
            all.push_back(rec);
        }
        return all;
    }
    std::vector<std::string> Titles() {
        std::vector<std::string> titles;
        for (auto const& rec : All()) {
            titles.emplace_back(rec.cTitle);
        }
        return titles;
    }

    FakeEngineServices fx{kMonday0900};
    LocalCalendar calendar;
    std::unique_ptr<TestEngine> engine;
    CScheduleItem* list = nullptr;
};
