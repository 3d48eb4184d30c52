#include "app/VeltoSettings.h"

#include "output/RecordingsFolder.h"

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

VeltoSettings VeltoSettings::load(QStringList* problems, const QString& dir) {
    VeltoSettings settings;
    const ReceiverSettings defaults;
    QSettings file(dir + QStringLiteral("/velto.conf"), QSettings::IniFormat);
    settings.source = file.value(QStringLiteral("Source/spec")).toString().toStdString();
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

    QSettings stations(dir + QStringLiteral("/stations.conf"), QSettings::IniFormat);
    const int count = stations.beginReadArray(QStringLiteral("stations"));
    for (int i = 0; i < count; ++i) {
        stations.setArrayIndex(i);
        StationEntry entry;
        const auto band =
            bandFromName(stations.value(QStringLiteral("band")).toString().toStdString());
        bool ok = false;
        entry.station.channel = stations.value(QStringLiteral("ch")).toInt(&ok);
        entry.name = stations.value(QStringLiteral("name")).toString().toStdString();
        entry.streamUrl = stations.value(QStringLiteral("url")).toString().toStdString();
        const auto use =
            sourceUseFromName(stations.value(QStringLiteral("use")).toString().toStdString());
        SourceError error;
        if (band && ok && use) {
            entry.station.band = *band;
            entry.use = *use;
            if (settings.stations.set(entry, error))
                continue;
        } else {
            error.text = "The entry lacks a band, a CH or its use.";
        }
        if (problems != nullptr)
            *problems << QStringLiteral("%1: %2").arg(i + 1).arg(
                QString::fromStdString(error.text));
    }
    stations.endArray();
    return settings;
}

bool VeltoSettings::save(const QString& dir) const {
    if (!QDir().mkpath(dir))
        return false;
    QSettings file(dir + QStringLiteral("/velto.conf"), QSettings::IniFormat);
    file.setValue(QStringLiteral("Source/spec"), QString::fromStdString(source));
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

    QSettings table(dir + QStringLiteral("/stations.conf"), QSettings::IniFormat);
    table.clear();
    table.beginWriteArray(QStringLiteral("stations"), int(stations.entries().size()));
    int i = 0;
    for (const StationEntry& entry : stations.entries()) {
        table.setArrayIndex(i++);
        table.setValue(QStringLiteral("band"), QString::fromLatin1(bandName(entry.station.band)));
        table.setValue(QStringLiteral("ch"), entry.station.channel);
        table.setValue(QStringLiteral("name"), QString::fromStdString(entry.name));
        table.setValue(QStringLiteral("url"), QString::fromStdString(entry.streamUrl));
        table.setValue(QStringLiteral("use"), QString::fromLatin1(sourceUseName(entry.use)));
    }
    table.endArray();
    table.sync();
    return file.status() == QSettings::NoError && table.status() == QSettings::NoError;
}

} // namespace velto
