#pragma once

// Registers Qt D-Bus's own types (QDBusMessage, QDBusError, …) on the calling thread. Qt 6.4
// registers them in its D-Bus thread when the first connection is made; a program whose main
// thread meets one of them at that moment sees a half-registered type and prints "Trying to
// construct an instance of an invalid type" (about one run in twenty of a short command).
// Call it first in main(), before anything touches a bus.
void registerBusTypes();
