// Texts that several windows share: the application's title and the names of the weekdays.
// Every other text is looked up where it is shown, with its id written out, so that the
// translation tools find it there.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// The application's title: window titles, alert panels, the tray icon's tooltip.
QString appTitle();

// A tooltip that shows text exactly as it is: a tooltip that looks like markup would
// otherwise be drawn as rich text (and load the images it names).
QString plainToolTip(QString const& text);

// The weekday's full name (0 Sunday .. 6 Saturday), as the table's date column shows it.
QString weekdayName(int weekday);

// The weekday's short name (0 Sunday .. 6 Saturday), as the weekly buttons show it.
QString weekdayShortName(int weekday);

// A local date and a clock time as words a screen reader reads well ("Wednesday, 1 May
// 2024", "21:30"; "2024年5月1日 水曜日", "21時30分"). Empty for an instant the C library
// cannot break down.
QString spokenDate(double instant);
QString spokenTime(double instant);
// The same for a day as written and for minutes after its midnight ("25:30" for a programme
// in the small hours written on the day before).
QString spokenDate(QDate day);
QString spokenMinutes(int minutes);
// Items of a spoken list, joined as the language joins them.
QString spokenList(QStringList const& items);
