// The words for what the recording history holds, shared by the History window, the
// desktop notifications and the table's tooltips. Times are in the process's time zone.
#pragma once

#include "history/IRecordingJournal.h"

#include <QString>

// "2024/01/15 (Mon) 21:00"
QString historyTime(double instant);
// The reservation an entry is about: "Title", or "" for events of the computer and program.
QString historyTitle(JournalEntry const& entry);
// When and where: "01/15 21:00–21:30, FM 80.0", and for a hand-off with margins what was
// recorded: "01/15 21:00–21:30, FM 80.0, recorded 20:58–21:35". lateNight: late-night
// times as 24:00-29:59 of the day before.
QString historyReservation(JournalEntry const& entry, bool lateNight);
// What happened, in a few words.
QString historyOutcome(JournalEntry const& entry);
// Why, or the details that matter.
QString historyReason(JournalEntry const& entry);
QString missReasonText(MissReason reason);
// How a test wake-up went, in a sentence.
QString testWakeText(JournalEntry const& entry);
// Which alarm of another program a wake-up replaced.
QString alarmReplacedText(JournalEntry const& entry);
