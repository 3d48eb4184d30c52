// Turning companion messages into the bus signal and back. Kept apart from the bus so that
// the companion stand-in and the tests read and write exactly the same format.
#pragma once

#include "platform/ICompanionBus.h"
#include "platform/linux/CompanionMessage.h"

#include <QDBusMessage>
#include <QString>

#include <optional>
#include <string>

namespace CompanionBusWire {

// The signal for one message, entries in the order given. Strings are cut at an embedded
// zero byte and invalid UTF-8 is replaced, since the bus accepts neither.
QDBusMessage encode(QString const& path, std::string const& name,
                    std::optional<std::string> const& object, CompanionValues const& values);

// The message a signal carries; nullopt when it is not one (another member or signature).
// Entries of a type outside the protocol are left out; integers of other widths are taken
// when they fit in 32 bits.
std::optional<CompanionMessage> decode(QDBusMessage const& message);

} // namespace CompanionBusWire
