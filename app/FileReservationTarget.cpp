#include "app/FileReservationTarget.h"

#include "engine/RecordingEngine.h"
#include "platform/linux/PresetFile.h"
#include "platform/linux/QSettingsStore.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <sys/stat.h>

FileReservationTarget::FileReservationTarget(std::string path) : m_file(std::move(path)) {}

bool FileReservationTarget::load(QString& error) {
    // The overlap check counts the margins, as the program does.
    QSettingsStore settings;
    m_list.setMargins(readRecordingMargins(settings));
    struct stat st {};
    if (::stat(m_file.path().c_str(), &st) != 0 && errno == ENOENT) {
        return true; // no reservations yet
    }
    // The ids this command reports must be those the next command and the file know.
    if (!m_file.loadKeepingIds(m_list)) {
        //% "The reservation file %1 could not be read. Start the program once: it keeps a copy of "
        //% "a damaged file and goes on with what it can read."
        error = qtTrId("IDS_CLI_READ_FAILED").arg(QString::fromStdString(m_file.path()));
        return false;
    }
    return true;
}

QString FileReservationTarget::stationName(bool fm, uint32_t freq) {
    if (!m_presetsLoaded) {
        m_presetsLoaded = true;
        std::string const path = PresetFile::companionPreferencesPath();
        if (!path.empty()) {
            PresetFile::read(path, m_presets);
        }
    }
    std::optional<std::string> const station = m_presets.station(fm, freq);
    return station ? QString::fromUtf8(station->data(), static_cast<qsizetype>(station->size()))
                   : QString();
}

double FileReservationTarget::now() {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

bool FileReservationTarget::commit(QString& error) {
    if (m_file.save(m_list)) {
        return true;
    }
    //% "The reservations could not be saved to %1."
    error = qtTrId("IDS_REQ_SAVE_FAILED").arg(QString::fromStdString(m_file.path()));
    return false;
}
