#include "platform/linux/QSettingsStore.h"

#include <QFile>
#include <QSettings>
#include <QVariant>

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <utility>

namespace {

constexpr char const* kOrganization = "Velto";
constexpr char const* kApplication = "ResvMan";

QString defaultFilePath() {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromLatin1(kOrganization), QString::fromLatin1(kApplication));
    return settings.fileName();
}

// The whole text must be a decimal integer that fits in a long: "5", " -3 ", "+7".
std::optional<long> parseInteger(QString const& text) {
    QByteArray const bytes = text.trimmed().toLatin1();
    if (bytes.isEmpty()) {
        return std::nullopt;
    }
    char const* begin = bytes.constData();
    char* end = nullptr;
    errno = 0;
    long const value = std::strtol(begin, &end, 10);
    if (errno != 0 || end != begin + bytes.size() ||
        !(begin[0] == '-' || begin[0] == '+' || (begin[0] >= '0' && begin[0] <= '9'))) {
        return std::nullopt;
    }
    return value;
}

// QSettings opens the file with an ordinary blocking open: anything but a regular file in its
// place (a FIFO would hang the caller) is left alone, and the settings read as absent.
bool usable(QString const& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) != 0 || S_ISREG(st.st_mode);
}

} // namespace

QSettingsStore::QSettingsStore() : m_filePath(defaultFilePath()) {}

QSettingsStore::QSettingsStore(QString filePath) : m_filePath(std::move(filePath)) {}

std::optional<long> QSettingsStore::read(std::string const& key) {
    // A QSettings per call: the object is not meant to be shared between threads, and a
    // fresh one also sees what another process wrote since.
    std::lock_guard lock(m_mutex);
    if (!usable(m_filePath)) {
        return std::nullopt;
    }
    QSettings settings(m_filePath, QSettings::IniFormat);
    QVariant const value = settings.value(QString::fromStdString(key));
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong: {
        bool ok = false;
        qlonglong const v = value.toLongLong(&ok);
        if (ok && std::in_range<long>(v)) {
            return static_cast<long>(v);
        }
        return std::nullopt;
    }
    case QMetaType::QString:
        return parseInteger(value.toString());
    default:
        return std::nullopt; // absent, a list, or some other stored type
    }
}

bool QSettingsStore::contains(std::string const& key) {
    return read(key).has_value();
}

long QSettingsStore::integer(std::string const& key) {
    return read(key).value_or(0);
}

bool QSettingsStore::isOn(std::string const& key) {
    return read(key).value_or(0) != 0;
}

void QSettingsStore::setInteger(std::string const& key, long value) {
    std::lock_guard lock(m_mutex);
    if (!usable(m_filePath)) {
        return;
    }
    QSettings settings(m_filePath, QSettings::IniFormat);
    settings.setValue(QString::fromStdString(key), static_cast<qlonglong>(value));
    settings.sync();
}
