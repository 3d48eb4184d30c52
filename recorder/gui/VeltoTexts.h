// The words the window shows for what the session and the sources report: their English
// keys in the user's language.
#pragma once
#include "session/RecordingReport.h"

#include <QString>

namespace velto {

// The reason for a key, translated; the source's own English sentence when the key is one
// this window does not know.
QString reasonText(const std::string& key, const std::string& englishText);
// "Recorded 59:58", "Partly recorded 12:03", "Not recorded".
QString resultText(const RecordingReport& report);
// "1:02:03" or "2:03".
QString clockText(double seconds);
// "FM 80.0 MHz", "AM 594 kHz", with the preset's name when known.
QString stationText(const Programme& programme);

} // namespace velto
