#include "platform/linux/BusTypes.h"

#include <QDBusArgument>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusSignature>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>
#include <QList>
#include <QMetaType>

void registerBusTypes() {
    qRegisterMetaType<QDBusMessage>();
    qRegisterMetaType<QDBusError>();
    qRegisterMetaType<QDBusArgument>();
    qRegisterMetaType<QDBusVariant>();
    qRegisterMetaType<QDBusObjectPath>();
    qRegisterMetaType<QDBusSignature>();
    qRegisterMetaType<QDBusUnixFileDescriptor>();
    qRegisterMetaType<QList<QDBusObjectPath>>();
    qRegisterMetaType<QList<QDBusSignature>>();
    qRegisterMetaType<QList<QDBusUnixFileDescriptor>>();
}
