// The distributed notification centre: named messages between this program and the
// companion, each with an optional object string and a dictionary of typed values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

using NotificationValue = std::variant<int32_t, double, std::string, bool>;
// Entries in the order they were added; keys are unique.
using NotificationInfo = std::vector<std::pair<std::string, NotificationValue>>;

class INotificationCenter {
public:
    virtual ~INotificationCenter() = default;
    // object: std::nullopt is "no object" (nil). Answers whether the message was sent.
    virtual bool postNotification(std::string const& name,
                                  std::optional<std::string> const& object,
                                  NotificationInfo const& userInfo) = 0;
};

// Names on the wire.
inline constexpr char const* kNotifySendMessage = "Schedule_Notification_SendMessage";
inline constexpr char const* kNotifySendHide = "Schedule_Notification_SendHide";
inline constexpr char const* kNotifySendUnHide = "Schedule_Notification_SendUnHide";
inline constexpr char const* kNotifyCompanionHide = "Velto_Notification_SendHide";
inline constexpr char const* kNotifyCompanionUnHide = "Velto_Notification_SendUnHide";
