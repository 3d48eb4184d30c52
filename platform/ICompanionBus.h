// The message bus between this program and the companion: named messages, each with an
// optional object string and a dictionary of typed values (docs/companion-protocol.md).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

using CompanionValue = std::variant<int32_t, double, std::string, bool>;
// Entries in the order they were added; keys are unique.
using CompanionValues = std::vector<std::pair<std::string, CompanionValue>>;

class ICompanionBus {
public:
    virtual ~ICompanionBus() = default;
    // object: std::nullopt is "no object". Answers whether the message was sent.
    virtual bool post(std::string const& name, std::optional<std::string> const& object,
                      CompanionValues const& values) = 0;
};

// The messages' names on the wire.
inline constexpr char const* kRecordMessage = "Schedule_Notification_SendMessage";
inline constexpr char const* kHideMessage = "Schedule_Notification_SendHide";
inline constexpr char const* kUnhideMessage = "Schedule_Notification_SendUnHide";
inline constexpr char const* kCompanionHidMessage = "Velto_Notification_SendHide";
inline constexpr char const* kCompanionShownMessage = "Velto_Notification_SendUnHide";
// The companion's reports on a reservation handed over to it (platform/CompanionReport.h).
inline constexpr char const* kRecordingStartedMessage = "Velto_Notification_RecordingStarted";
inline constexpr char const* kRecordingFinishedMessage = "Velto_Notification_RecordingFinished";
