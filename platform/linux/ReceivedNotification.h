// One notification as an observer sees it.
#pragma once

#include "platform/INotificationCenter.h"

#include <optional>
#include <string>

struct ReceivedNotification {
    std::string name;
    std::optional<std::string> object; // nullopt: the sender gave no object
    NotificationInfo userInfo;
};
