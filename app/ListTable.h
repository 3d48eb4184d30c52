// The list command's table: one row per reservation, the columns aligned for a terminal
// (East Asian wide characters count twice), in the user's language.
#pragma once

#include <QList>
#include <QString>
#include <QVariantMap>

// entries: the reservations as the request layer lists them. The whole text, each line
// ended; a line saying there are none when entries is empty. lateNight: a programme in the
// small hours shows on the day before at 24:00-28:59, with its weekly days as written.
QString listTable(QList<QVariantMap> const& entries, bool lateNight);
