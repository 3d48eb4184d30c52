#include "gui/VeltoSettings.h"

#include "output/RecordingsFolder.h"
#include "session/StationFile.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>

namespace velto {

namespace {
double number(const QSettings& file, const char* key, double fallback, double low, double high) {
    bool ok = false;
    const double value = file.value(QLatin1String(key)).toDouble(&ok);
    return ok && std::isfinite(value) && value >= low && value <= high ? value : fallback;
}
} // namespace

std::string VeltoSettings::recordingsFolder() const {
    return folder.empty() ? defaultRecordingsFolder() : folder;
}

SessionSettings VeltoSettings::sessionSettings() const {
    SessionSettings settings;
    settings.folder = recordingsFolder();
    settings.encoder.stereoBitrate = stereoBitrate;
    settings.encoder.monoBitrate = stereoBitrate * 2 / 3;
    return settings;
}

QString VeltoSettings::configFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/velto");
}

VeltoSettings VeltoSettings::load(const QString& dir) {
    VeltoSettings settings;
    const ReceiverSettings defaults;
    QSettings file(dir + QStringLiteral("/velto.conf"), QSettings::IniFormat);
    settings.source = file.value(QStringLiteral("Source/address")).toString().toStdString();
    ReceiverSettings& receiver = settings.receiver;
    const QString gain = file.value(QStringLiteral("Receiver/gain")).toString();
    if (bool ok = false; gain != QLatin1String("auto")) {
        const double value = gain.toDouble(&ok);
        if (ok && value >= 0 && value <= 60)
            receiver.gainDb = value;
    }
    receiver.ppm = number(file, "Receiver/ppm", 0, -500, 500);
    receiver.amInput =
        file.value(QStringLiteral("Receiver/amInput")).toString() == QLatin1String("upconverter")
            ? AmInput::Upconverter
            : AmInput::DirectSampling;
    receiver.upconverterHz =
        number(file, "Receiver/upconverterHz", defaults.upconverterHz, 1e6, 2e9);
    receiver.deemphasisSeconds =
        number(file, "Receiver/deemphasisMicroseconds", 50, 50, 75) == 75 ? 75e-6 : 50e-6;
    settings.folder = file.value(QStringLiteral("Recording/folder")).toString().toStdString();
    const int bitrate = file.value(QStringLiteral("Recording/stereoBitrate")).toInt();
    if (std::find(std::begin(kStereoBitrates), std::end(kStereoBitrates), bitrate) !=
        std::end(kStereoBitrates))
        settings.stereoBitrate = bitrate;

    std::string why;
    if (!StationFile::load((dir + QStringLiteral("/stations.conf")).toStdString(),
                           settings.stations, why)) {
        settings.stations = StationTable();
        settings.stationsProblem = why;
    }
    return settings;
}

bool VeltoSettings::save(const QString& dir) const {
    if (!QDir().mkpath(dir))
        return false;
    QSettings file(dir + QStringLiteral("/velto.conf"), QSettings::IniFormat);
    file.setValue(QStringLiteral("Source/address"), QString::fromStdString(source));
    file.setValue(QStringLiteral("Receiver/gain"),
                  receiver.gainDb ? QString::number(*receiver.gainDb) : QStringLiteral("auto"));
    file.setValue(QStringLiteral("Receiver/ppm"), receiver.ppm);
    file.setValue(QStringLiteral("Receiver/amInput"), receiver.amInput == AmInput::Upconverter
                                                          ? QStringLiteral("upconverter")
                                                          : QStringLiteral("direct"));
    file.setValue(QStringLiteral("Receiver/upconverterHz"), receiver.upconverterHz);
    file.setValue(QStringLiteral("Receiver/deemphasisMicroseconds"),
                  receiver.deemphasisSeconds > 60e-6 ? 75 : 50);
    file.setValue(QStringLiteral("Recording/folder"), QString::fromStdString(folder));
    file.setValue(QStringLiteral("Recording/stereoBitrate"), stereoBitrate);
    file.sync();

    std::string why;
    const bool stationsSaved =
        !stationsProblem.empty() ||
        StationFile::save((dir + QStringLiteral("/stations.conf")).toStdString(), stations, why);
    return file.status() == QSettings::NoError && stationsSaved;
}

} // namespace velto
