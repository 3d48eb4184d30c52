// The reservation file itself, for the command line when the program is not running. The
// caller holds the instance lock beside the file for as long as it uses this.
#pragma once

#include "app/ReservationRequests.h"
#include "store/ChannelPresetTable.h"
#include "store/ReservationFile.h"

#include <string>

class FileReservationTarget : public IReservationTarget {
public:
    explicit FileReservationTarget(std::string path);

    // Reads the file. A missing file is an empty list; a file that exists but cannot be
    // read whole answers false with a message, and nothing may then be written over it.
    bool load(QString& error);

    ReservationList* reservations() override { return &m_list; }
    QString stationName(bool fm, uint32_t freq) override;
    double now() override;
    bool commit(QString& error) override;

private:
    ReservationFile m_file;
    ReservationList m_list;
    ChannelPresetTable m_presets{};
    bool m_presetsLoaded = false;
};
