// Whether a user is at the computer: this program's logind session is the active one on
// its seat and not idle. Asked without waiting; where logind does not answer (no system
// bus, no session) the answer is yes, so that a warning is rather shown than not.
#pragma once

#include <QDBusConnection>

#include <functional>

class QObject;

namespace SessionActivity {

// Calls answer on the main thread, within about two seconds. context: answer is dropped
// when it is destroyed first.
void askUserActive(QObject* context, std::function<void(bool active)> answer,
                   QDBusConnection const& system = QDBusConnection::systemBus());

} // namespace SessionActivity
