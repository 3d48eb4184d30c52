// Turning notifications into the bus signal and back. Kept apart from the centre so that
// the companion stand-in and the tests read and write exactly the same format.
#pragma once

#include "platform/INotificationCenter.h"
#include "platform/linux/ReceivedNotification.h"

#include <QDBusMessage>
#include <QString>

#include <optional>
#include <string>

// The signal for one notification, entries in the order given. Strings are cut at an
// embedded zero byte and invalid UTF-8 is replaced, since the bus accepts neither.
QDBusMessage BuildNotificationSignal(QString const& path, std::string const& name,
                                     std::optional<std::string> const& object,
                                     NotificationInfo const& userInfo);

// The notification a signal carries; nullopt when it is not one (another member or
// signature). Entries of a type outside the protocol are left out; integers of other
// widths are taken when they fit in 32 bits.
std::optional<ReceivedNotification> ParseNotificationSignal(QDBusMessage const& message);
