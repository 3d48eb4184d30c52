// Keeps every desktop notification it is asked to show.
#pragma once

#include "platform/IDesktopNotifier.h"

#include <vector>

class FakeDesktopNotifier : public IDesktopNotifier {
public:
    int notify(DesktopNotification const& notification) override {
        shown.push_back(notification);
        return static_cast<int>(shown.size());
    }
    void close(int /*handle*/) override {}

    std::vector<DesktopNotification> shown;
};
