#include "platform/linux/CompanionBusWire.h"

#include "platform/linux/CompanionBusNames.h"

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

QVariant toVariant(CompanionValue const& value) {
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

template <typename T> std::optional<CompanionValue> fitInt32(T v) {
    if (!std::in_range<int32_t>(v)) {
        return std::nullopt;
    }
    return CompanionValue(static_cast<int32_t>(v));
}

std::optional<CompanionValue> fromVariant(QVariant const& v) {
    switch (v.metaType().id()) {
    case QMetaType::Int:
        return CompanionValue(static_cast<int32_t>(v.toInt()));
    case QMetaType::Double:
        return CompanionValue(v.toDouble());
    case QMetaType::Bool:
        return CompanionValue(v.toBool());
    case QMetaType::QString:
        return CompanionValue(v.toString().toStdString());
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

QDBusMessage CompanionBusWire::encode(QString const& path, std::string const& name,
                                      std::optional<std::string> const& object,
                                      CompanionValues const& values) {
    QDBusMessage message =
        QDBusMessage::createSignal(path, QString::fromLatin1(kCompanionBusInterface),
                                   QString::fromLatin1(kCompanionBusMember));

    // Written by hand rather than through a QVariantMap so that the entries keep their order.
    QDBusArgument info;
    info.beginMap(QMetaType::fromType<QString>(), QMetaType::fromType<QDBusVariant>());
    for (auto const& [key, value] : values) {
        info.beginMapEntry();
        info << busString(key) << QDBusVariant(toVariant(value));
        info.endMapEntry();
    }
    info.endMap();

    message << busString(name) << (object ? busString(*object) : QString()) << object.has_value()
            << QVariant::fromValue(info);
    return message;
}

std::optional<CompanionMessage> CompanionBusWire::decode(QDBusMessage const& message) {
    if (message.type() != QDBusMessage::SignalMessage ||
        message.interface() != QLatin1String(kCompanionBusInterface) ||
        message.member() != QLatin1String(kCompanionBusMember) ||
        message.signature() != QLatin1String(kCompanionBusSignature)) {
        return std::nullopt;
    }
    QList<QVariant> const args = message.arguments();
    CompanionMessage received;
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
        std::optional<CompanionValue> converted = fromVariant(value.variant());
        if (!converted) {
            continue;
        }
        std::string k = key.toStdString();
        bool replaced = false;
        for (auto& entry : received.values) {
            if (entry.first == k) { // a repeated key: the later entry counts
                entry.second = *converted;
                replaced = true;
            }
        }
        if (!replaced) {
            received.values.emplace_back(std::move(k), *converted);
        }
    }
    info.endMap();
    return received;
}
