// One of every fake the engine needs, wired to a shared virtual clock.
#pragma once

#include "engine/RecordingEngine.h"
#include "tests/support/FakeAppLocation.h"
#include "tests/support/FakeCalendar.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeCompanionBus.h"
#include "tests/support/FakeEngineListener.h"
#include "tests/support/FakeLauncher.h"
#include "tests/support/FakePrivilegedOps.h"
#include "tests/support/FakeSettings.h"

struct FakeEngineServices {
    explicit FakeEngineServices(double start = 0.0) : clock(start) {}

    // The engine's view; calendar and clock may be swapped for others before this is taken.
    RecordingEngine::Services services(IClock* otherClock = nullptr,
                                       ILocalCalendar* otherCalendar = nullptr) {
        RecordingEngine::Services s;
        s.clock = otherClock != nullptr ? otherClock : &clock;
        s.settings = &settings;
        s.bus = &bus;
        s.launcher = &launcher;
        s.listener = &listener;
        s.privileged = &privileged;
        s.calendar = otherCalendar != nullptr ? otherCalendar : &calendar;
        s.location = &location;
        return s;
    }

    FakeClock clock;
    FakeSettings settings;
    FakeCompanionBus bus{&clock};
    FakeLauncher launcher{&clock};
    FakeEngineListener listener;
    FakePrivilegedOps privileged;
    FakeCalendar calendar;
    FakeAppLocation location;
};
