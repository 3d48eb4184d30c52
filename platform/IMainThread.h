// Requests from the engine threads to the main thread. Both return at once; the work runs
// later on the main thread.
#pragma once

class IMainThreadRequests {
public:
    virtual ~IMainThreadRequests() = default;
    virtual void requestDisplayTheTable() = 0;  // from the watch thread
    virtual void requestTableReload() = 0;      // from a recording run
};
