// Desktop notifications about recordings that went wrong: a reservation missed, a hand-over
// that reached no companion, a planned wake-up that came late or not at all. At start-up,
// everything missed while the program was not running is told in one notification rather
// than one each. A click on any of them opens the History window. Main thread only; without
// a notification service nothing is shown and nothing fails.
#pragma once

#include "history/IRecordingJournal.h"
#include "platform/IDesktopNotifier.h"

#include <QObject>

#include <set>
#include <string>
#include <tuple>
#include <vector>

class RecordingNotices : public QObject {
    Q_OBJECT
public:
    // notifier: not owned, may be null (nothing is shown).
    explicit RecordingNotices(IDesktopNotifier* notifier, QObject* parent = nullptr);

    void setNotifier(IDesktopNotifier* notifier) { m_notifier = notifier; }
    // Late-night times written as 24:00-29:59 of the day before.
    void setLateNightHours(bool on) { m_lateNight = on; }

    // The reservations that passed unrecorded while the program was not running (entries
    // as the journal keeps reservations). Told in one notification; when the journal later
    // reports their misses, those are not told again.
    void startupMissed(std::vector<JournalEntry> const& passed);

    // An entry the journal has handled.
    void entryRecorded(JournalEntry const& entry);

signals:
    // The user clicked a notification: the History window is to open.
    void historyRequested();

private:
    using Key = std::tuple<std::string, uint32_t, double, double>;
    static Key keyOf(JournalEntry const& entry) {
        return {entry.title, entry.freq, entry.start, entry.end};
    }
    void notify(QString const& summary, QString const& body, bool critical);

    IDesktopNotifier* m_notifier;
    bool m_lateNight = false;
    std::set<Key> m_toldAtStartup;
};
