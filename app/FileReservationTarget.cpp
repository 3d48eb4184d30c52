#include "app/FileReservationTarget.h"

#include "platform/linux/PresetFile.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <sys/stat.h>

FileReservationTarget::FileReservationTarget(std::string path) : m_path(std::move(path)) {}

bool FileReservationTarget::load(QString& error) {
    struct stat st {};
    if (::stat(m_path.c_str(), &st) != 0 && errno == ENOENT) {
        return true; // no reservations yet
    }
    // The ids this command reports must be those the next command and the file know.
    if (!m_list.LoadWithStoredIds(m_path.c_str())) {
        //% "The reservation file %1 could not be read. Start the program once: it keeps a copy of "
        //% "a damaged file and goes on with what it can read."
        error = qtTrId("IDS_CLI_READ_FAILED").arg(QString::fromStdString(m_path));
        return false;
    }
    return true;
}

QString FileReservationTarget::stationName(bool fm, uint32_t freq) {
    if (!m_presetsLoaded) {
        m_presetsLoaded = true;
        std::string const path = CompanionPreferencesPath();
        if (!path.empty()) {
            LoadChannelPresetFile(path, m_presets);
        }
    }
    if (freq == 0) {
        return QString();
    }
    PRESETITEM_TAG const* const bandSlots = fm ? m_presets.psFM : m_presets.psAM;
    for (int i = 0; i < 12; ++i) {
        if (bandSlots[i].uFreq == freq) {
            return QString::fromUtf8(bandSlots[i].cName,
                                     static_cast<qsizetype>(PresetNameLength(bandSlots[i])));
        }
    }
    return QString();
}

double FileReservationTarget::now() {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

bool FileReservationTarget::commit(QString& error) {
    if (m_list.Save(m_path.c_str())) {
        return true;
    }
    //% "The reservations could not be saved to %1."
    error = qtTrId("IDS_REQ_SAVE_FAILED").arg(QString::fromStdString(m_path));
    return false;
}
