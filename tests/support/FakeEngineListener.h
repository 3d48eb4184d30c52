// Counts what the engine tells the window, and keeps the planning outcomes.
#pragma once

#include "engine/IEngineListener.h"
#include "engine/WakePlanner.h"

#include <atomic>
#include <mutex>
#include <vector>

class FakeEngineListener : public IEngineListener {
public:
    void reservationMissed() override { ++missed; }
    void reservationHandedOver() override { ++handedOver; }
    void planFinished(PlanOutcome const& outcome) override {
        std::lock_guard lock(m_mutex);
        m_outcomes.push_back(outcome);
    }
    std::vector<PlanOutcome> outcomes() {
        std::lock_guard lock(m_mutex);
        return m_outcomes;
    }

    std::atomic<int> missed{0};
    std::atomic<int> handedOver{0};

private:
    std::mutex m_mutex;
    std::vector<PlanOutcome> m_outcomes;
};
