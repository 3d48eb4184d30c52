// One of every fake the engine needs, wired to a shared virtual clock.
#pragma once

#include "engine/RecEngine.h"
#include "tests/support/FakeBundle.h"
#include "tests/support/FakeCalendar.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeDefaults.h"
#include "tests/support/FakeLauncher.h"
#include "tests/support/FakeMainThread.h"
#include "tests/support/FakeNotificationCenter.h"
#include "tests/support/FakePrivilegedOps.h"

struct FakeEngineServices {
    explicit FakeEngineServices(double start = 0.0) : clock(start) {}

    // The engine's view; calendar and clock may be swapped for others before this is taken.
    CRecEngine::Services services(IClock* otherClock = nullptr,
                                  ILocalCalendar* otherCalendar = nullptr) {
        CRecEngine::Services s;
        s.clock = otherClock != nullptr ? otherClock : &clock;
        s.defaults = &defaults;
        s.notifications = &notifications;
        s.launcher = &launcher;
        s.mainThread = &mainThread;
        s.privileged = &privileged;
        s.calendar = otherCalendar != nullptr ? otherCalendar : &calendar;
        s.bundle = &bundle;
        return s;
    }

    FakeClock clock;
    FakeDefaults defaults;
    FakeNotificationCenter notifications{&clock};
    FakeLauncher launcher{&clock};
    FakeMainThread mainThread;
    FakePrivilegedOps privileged;
    FakeCalendar calendar;
    FakeBundle bundle;
};
