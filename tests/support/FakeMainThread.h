// Counts the requests the engine threads send to the main thread.
#pragma once

#include "platform/IMainThread.h"

#include <atomic>

class FakeMainThread : public IMainThreadRequests {
public:
    void requestDisplayTheTable() override { ++displayTheTable; }
    void requestTableReload() override { ++tableReload; }

    std::atomic<int> displayTheTable{0};
    std::atomic<int> tableReload{0};
};
