// Texts that several windows share: the application's title and the names of the weekdays.
// Every other text is looked up where it is shown, with its id written out, so that the
// translation tools find it there.
#pragma once

#include <QString>

// The application's title: window titles, alert panels, the tray icon's tooltip.
QString appTitle();

// A tooltip that shows text exactly as it is: a tooltip that looks like markup would
// otherwise be drawn as rich text (and load the images it names).
QString plainToolTip(QString const& text);

// The weekday's full name (0 Sunday .. 6 Saturday), as the table's date column shows it.
QString weekdayName(int weekday);

// The weekday's short name (0 Sunday .. 6 Saturday), as the weekly buttons show it.
QString weekdayShortName(int weekday);
