#include "platform/linux/DBusNotificationWire.h"

#include "platform/linux/DBusNames.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QMetaType>
#include <QVariant>

#include <cstdint>
#include <utility>

namespace {

QString busString(std::string const& text) {
    auto end = text.find('\0');
    return QString::fromUtf8(text.data(),
                             static_cast<qsizetype>(end == std::string::npos ? text.size() : end));
}

QVariant toVariant(NotificationValue const& value) {
    return std::visit(
        [](auto const& v) -> QVariant {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, int32_t>) {
                return QVariant(static_cast<int>(v));
            } else if constexpr (std::is_same_v<T, double>) {
                return QVariant(v);
            } else if constexpr (std::is_same_v<T, bool>) {
                return QVariant(v);
            } else {
                return QVariant(busString(v));
            }
        },
        value);
}

template <typename T> std::optional<NotificationValue> fitInt32(T v) {
    if (!std::in_range<int32_t>(v)) {
        return std::nullopt;
    }
    return NotificationValue(static_cast<int32_t>(v));
}

std::optional<NotificationValue> fromVariant(QVariant const& v) {
    switch (v.metaType().id()) {
    case QMetaType::Int:
        return NotificationValue(static_cast<int32_t>(v.toInt()));
    case QMetaType::Double:
        return NotificationValue(v.toDouble());
    case QMetaType::Bool:
        return NotificationValue(v.toBool());
    case QMetaType::QString:
        return NotificationValue(v.toString().toStdString());
    case QMetaType::UChar:
        return fitInt32(v.value<uchar>());
    case QMetaType::Short:
        return fitInt32(v.value<short>());
    case QMetaType::UShort:
        return fitInt32(v.value<ushort>());
    case QMetaType::UInt:
        return fitInt32(v.value<uint>());
    case QMetaType::LongLong:
        return fitInt32(v.value<qlonglong>());
    case QMetaType::ULongLong:
        return fitInt32(v.value<qulonglong>());
    default:
        return std::nullopt;
    }
}

} // namespace

QDBusMessage BuildNotificationSignal(QString const& path, std::string const& name,
                                     std::optional<std::string> const& object,
                                     NotificationInfo const& userInfo) {
    QDBusMessage message =
        QDBusMessage::createSignal(path, QString::fromLatin1(kNotificationInterface),
                                   QString::fromLatin1(kNotificationMember));

    // Written by hand rather than through a QVariantMap so that the entries keep their order.
    QDBusArgument info;
    info.beginMap(QMetaType::fromType<QString>(), QMetaType::fromType<QDBusVariant>());
    for (auto const& [key, value] : userInfo) {
        info.beginMapEntry();
        info << busString(key) << QDBusVariant(toVariant(value));
        info.endMapEntry();
    }
    info.endMap();

    message << busString(name) << (object ? busString(*object) : QString()) << object.has_value()
            << QVariant::fromValue(info);
    return message;
}

std::optional<ReceivedNotification> ParseNotificationSignal(QDBusMessage const& message) {
    if (message.type() != QDBusMessage::SignalMessage ||
        message.interface() != QLatin1String(kNotificationInterface) ||
        message.member() != QLatin1String(kNotificationMember) ||
        message.signature() != QLatin1String(kNotificationSignature)) {
        return std::nullopt;
    }
    QList<QVariant> const args = message.arguments();
    ReceivedNotification received;
    received.name = args.at(0).toString().toStdString();
    if (args.at(2).toBool()) {
        received.object = args.at(1).toString().toStdString();
    }

    QDBusArgument const info = args.at(3).value<QDBusArgument>();
    info.beginMap();
    while (!info.atEnd()) {
        QString key;
        QDBusVariant value;
        info.beginMapEntry();
        info >> key >> value;
        info.endMapEntry();
        std::optional<NotificationValue> converted = fromVariant(value.variant());
        if (!converted) {
            continue;
        }
        std::string k = key.toStdString();
        bool replaced = false;
        for (auto& entry : received.userInfo) {
            if (entry.first == k) { // a repeated key: the later entry counts
                entry.second = *converted;
                replaced = true;
            }
        }
        if (!replaced) {
            received.userInfo.emplace_back(std::move(k), *converted);
        }
    }
    info.endMap();
    return received;
}
