// What the recording engine tells the window. Called from the engine's own threads: an
// implementation hands the work to its own thread and returns at once.
#pragma once

struct PlanOutcome;

class IEngineListener {
public:
    virtual ~IEngineListener() = default;
    // The watch loop marked a reservation over (its end passed without a start).
    virtual void reservationMissed() = 0;
    // A recording run handed a reservation over and took it out of the list.
    virtual void reservationHandedOver() = 0;
    // After each planning run, on the planning thread.
    virtual void planFinished(PlanOutcome const& outcome) = 0;
};
