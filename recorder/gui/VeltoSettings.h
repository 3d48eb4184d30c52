// Velto's own settings: the source, the receiver, the recordings and the stations table,
// in $XDG_CONFIG_HOME/velto/ (velto.conf; the stations in stations.conf, the format of
// `velto stations`). A value that is missing or out of range reads as its default: the
// files are the user's to edit.
#pragma once
#include "session/SessionSettings.h"
#include "session/StationTable.h"
#include "sources/ReceiverSettings.h"

#include <QString>
#include <QStringList>

namespace velto {

struct VeltoSettings {
    // A source address ("soapy:driver=rtlsdr,serial=…", "v4l2:…"); empty: the first receiver.
    std::string source;
    ReceiverSettings receiver;
    std::string folder; // empty: defaultRecordingsFolder()
    int stereoBitrate = 96'000;
    StationTable stations;
    // Why stations.conf could not be read (English); empty when it was. The table is then
    // not written back, so that the user's file is kept as it is.
    std::string stationsProblem;

    // The folder recordings go to, the default filled in.
    std::string recordingsFolder() const;
    SessionSettings sessionSettings() const;

    // The folder both files lie in.
    static QString configFolder();
    static VeltoSettings load(const QString& dir = configFolder());
    // False when a file could not be written.
    bool save(const QString& dir = configFolder()) const;
};

// The bitrates offered; mono recordings take two thirds.
inline constexpr int kStereoBitrates[] = {64'000, 96'000, 128'000, 160'000};

} // namespace velto
