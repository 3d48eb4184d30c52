// Desktop notifications: the small messages the desktop shows in a corner of the screen
// (org.freedesktop.Notifications on Linux). Used to tell the user what happened while the
// window may be hidden: a shutdown about to happen, a recording missed, a late wake-up.
//
// Nothing here waits for the notification service: notify() returns at once, and a desktop
// without the service simply shows nothing. Texts are UTF-8.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

struct DesktopNotification {
    std::string summary; // one short line
    std::string body;    // plain text, may be empty
    // Buttons, as (key, label) pairs in the order shown. The key "default" stands for a
    // click on the notification itself (no button is drawn for it).
    std::vector<std::pair<std::string, std::string>> actions;
    bool critical = false; // stays until dismissed (the service's "critical" urgency)
    // Runs on the main thread with the key of the action the user chose. Not called when
    // the notification expires or is dismissed.
    std::function<void(std::string const& actionKey)> onAction;
};

class IDesktopNotifier {
public:
    virtual ~IDesktopNotifier() = default;
    // Shows the notification. Answers a handle for close() (never 0), whether or not a
    // notification service is there to show it.
    virtual int notify(DesktopNotification const& notification) = 0;
    // Withdraws a notification that is still shown; unknown or expired handles are ignored.
    virtual void close(int handle) = 0;
};
