// Keeps the notifications the program shows and withdraws, and lets a test click an action.
#pragma once

#include "platform/IDesktopNotifier.h"

#include <map>
#include <vector>

class FakeDesktopNotifier : public IDesktopNotifier {
public:
    int notify(DesktopNotification const& notification) override {
        int const handle = m_next++;
        shown[handle] = notification;
        all.push_back(notification);
        return handle;
    }
    void close(int handle) override {
        if (shown.erase(handle) != 0) {
            ++closed;
        }
    }
    // The user clicks action key of the notification handle.
    void click(int handle, std::string const& key) {
        auto const it = shown.find(handle);
        if (it != shown.end() && it->second.onAction) {
            auto const onAction = it->second.onAction;
            shown.erase(it);
            onAction(key);
        }
    }

    std::map<int, DesktopNotification> shown; // by handle, still shown
    std::vector<DesktopNotification> all;     // every one, in order
    int closed = 0;

private:
    int m_next = 1;
};
