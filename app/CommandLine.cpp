#include "app/CommandLine.h"

#include "app/AppLocation.h"
#include "app/CommandSession.h"
#include "app/ListTable.h"
#include "app/TextTable.h"
#include "app/Translations.h"
#include "app/TrustTexts.h"
#include "app/WakeCheckCommand.h"
#include "config.h"
#include "engine/RecordingEngine.h"
#include "history/SqliteJournal.h"
#include "platform/linux/QSettingsStore.h"
#include "posix/SafeFile.h"
#include "ui/BroadcastTimes.h"
#include "ui/HistoryTexts.h"
#include "ui/UiTexts.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string_view>
#include <unistd.h>

namespace {

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitRefused = 2;

int exitCode(RequestOutcome const& outcome) {
    switch (outcome.kind) {
    case RequestOutcome::Kind::Done:
        return kExitDone;
    case RequestOutcome::Kind::Refused:
        return kExitRefused;
    case RequestOutcome::Kind::Failed:
        break;
    }
    return kExitFailed;
}

// Standard output carries the answer (ids, the list, the calendar); standard error the
// messages. A write that fails is a failure of the command.
bool g_outputFailed = false;

void out(QByteArray const& bytes) {
    if (std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout) !=
        static_cast<std::size_t>(bytes.size())) {
        g_outputFailed = true;
    }
}

void out(QString const& text) {
    out(text.toUtf8());
}

void say(QString const& message) {
    QByteArray const line = "resvman: " + message.toUtf8() + '\n';
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
}

int refuse(QString const& message) {
    say(message);
    return kExitRefused;
}

int report(RequestOutcome const& outcome) {
    if (!outcome.ok()) {
        say(outcome.message);
    }
    return exitCode(outcome);
}

QString helpHint() {
    //% "See “resvman --help”."
    return qtTrId("IDS_CLI_HELP_HINT");
}

void noteDirectChange(CommandSession const& session) {
    if (session.direct()) {
        //% "The program is not running: the reservation file was changed directly. The wake-up "
        //% "plan is brought up to date when the program next starts."
        say(qtTrId("IDS_CLI_PLAN_LATER"));
    }
}

// ---- The commands ----

struct Arguments {
    QStringList list;
    CommandSession& session;
};

// The one option of list and history: json tells whether "--json" was given; answers the
// first other argument ("" when there is none).
QString firstNotJson(QStringList const& list, bool& json) {
    json = false;
    for (QString const& arg : list) {
        if (arg != QLatin1String("--json")) {
            return arg;
        }
        json = true;
    }
    return {};
}

int runList(Arguments& a) {
    bool json = false;
    if (QString const bad = firstNotJson(a.list, json); !bad.isEmpty()) {
        //% "list: unknown argument “%1”."
        return refuse(qtTrId("IDS_CLI_BAD_ARGUMENT_LIST").arg(bad) + QLatin1Char(' ') + helpHint());
    }
    QList<QVariantMap> entries;
    RequestOutcome const outcome =
        a.session.perform([&](IReservationRequests& r) { return r.list(entries); });
    if (!outcome.ok()) {
        return report(outcome);
    }
    if (json) {
        QJsonArray array;
        for (QVariantMap const& e : entries) {
            array.append(QJsonObject::fromVariantMap(e));
        }
        out(QJsonDocument(array).toJson(QJsonDocument::Indented));
    } else {
        QSettingsStore settings;
        out(listTable(entries, lateNightHours(settings)));
    }
    return kExitDone;
}

int runAdd(Arguments& a) {
    struct Option {
        char const* name;
        char const* field;
        bool takesValue;
    };
    static Option const options[] = {
        {"--date", "date", true},     {"--start", "start", true}, {"--end", "end", true},
        {"--fm", "fm", true},         {"--am", "am", true},       {"--title", "title", true},
        {"--weekly", "weekly", true}, {"--off", "off", false},
    };
    QVariantMap fields;
    for (int i = 0; i < a.list.size(); ++i) {
        QString name = a.list[i];
        QString value;
        bool inlineValue = false;
        if (int const eq = name.indexOf(QLatin1Char('='));
            name.startsWith(QLatin1String("--")) && eq > 0) {
            value = name.mid(eq + 1);
            name = name.left(eq);
            inlineValue = true;
        }
        Option const* option = nullptr;
        for (Option const& o : options) {
            if (name == QLatin1String(o.name)) {
                option = &o;
            }
        }
        if (option == nullptr || (inlineValue && !option->takesValue)) {
            //% "add: unknown argument “%1”."
            return refuse(qtTrId("IDS_CLI_BAD_ARGUMENT_ADD").arg(a.list[i]) + QLatin1Char(' ') +
                          helpHint());
        }
        QString const field = QLatin1String(option->field);
        if (fields.contains(field)) {
            //% "add: “%1” is given twice."
            return refuse(qtTrId("IDS_CLI_TWICE").arg(name));
        }
        if (!option->takesValue) {
            fields.insert(field, true);
            continue;
        }
        if (!inlineValue) {
            if (i + 1 >= a.list.size()) {
                //% "add: “%1” needs a value."
                return refuse(qtTrId("IDS_CLI_NEEDS_VALUE").arg(name));
            }
            value = a.list[++i];
        }
        fields.insert(field, value);
    }
    int id = -1;
    int result = 0;
    RequestOutcome const outcome =
        a.session.perform([&](IReservationRequests& r) { return r.add(fields, id, result); });
    if (!outcome.ok()) {
        return report(outcome);
    }
    out(QByteArray::number(id) + '\n');
    if (result == kOverlapResult) {
        //% "This reservation overlaps the time of another reservation. Both are kept; only one of "
        //% "them can be recorded."
        say(qtTrId("IDS_WARN_OVERWRAP_TASK"));
    } else if (result == kOverlapByMarginsResult) {
        QSettingsStore settings;
        RecordingMargins const margins = readRecordingMargins(settings);
        say(qtTrId("IDS_WARN_OVERLAP_MARGINS")
                .arg(static_cast<int>(margins.before / 60.0))
                .arg(static_cast<int>(margins.after / 60.0)));
    }
    noteDirectChange(a.session);
    return kExitDone;
}

// The ids of remove, enable and disable.
bool parseIds(QStringList const& list, QList<int>& ids) {
    for (QString const& arg : list) {
        bool ok = false;
        int const id = arg.toInt(&ok, 10);
        if (!ok || id < 0 || arg.startsWith(QLatin1Char('+'))) {
            //% "“%1” is not a reservation id. The ids are the numbers that “resvman list” "
            //% "shows."
            say(qtTrId("IDS_CLI_BAD_ID").arg(arg));
            return false;
        }
        ids << id;
    }
    return true;
}

int runRemove(Arguments& a) {
    QList<int> ids;
    if (!parseIds(a.list, ids)) {
        return kExitRefused;
    }
    RequestOutcome const outcome =
        a.session.perform([&](IReservationRequests& r) { return r.remove(ids); });
    if (outcome.ok()) {
        noteDirectChange(a.session);
    }
    return report(outcome);
}

int runSwitch(Arguments& a, bool enabled) {
    QList<int> ids;
    if (!parseIds(a.list, ids)) {
        return kExitRefused;
    }
    RequestOutcome const outcome =
        a.session.perform([&](IReservationRequests& r) { return r.setEnabled(ids, enabled); });
    if (outcome.ok()) {
        noteDirectChange(a.session);
    }
    return report(outcome);
}

int runEnable(Arguments& a) {
    return runSwitch(a, true);
}

int runDisable(Arguments& a) {
    return runSwitch(a, false);
}

int runExport(Arguments& a) {
    QStringList rest = a.list;
    if (rest.removeAll(QStringLiteral("--ics")) != 1 || rest.size() > 1 ||
        (rest.size() == 1 && rest.first().startsWith(QLatin1String("--")))) {
        //% "export: give --ics and, if you like, a file to write (standard output otherwise)."
        return refuse(qtTrId("IDS_CLI_EXPORT_USAGE") + QLatin1Char(' ') + helpHint());
    }
    QString calendar;
    RequestOutcome const outcome =
        a.session.perform([&](IReservationRequests& r) { return r.exportICalendar(calendar); });
    if (!outcome.ok()) {
        return report(outcome);
    }
    QByteArray const bytes = calendar.toUtf8();
    if (rest.isEmpty() || rest.first() == QLatin1String("-")) {
        out(bytes);
        return kExitDone;
    }
    std::string const path = QFile::encodeName(rest.first()).toStdString();
    // Never through a symbolic link: in a folder others may write, someone else may have
    // put one there in place of the file.
    if (!writeFileAtomically(path, reinterpret_cast<uint8_t const*>(bytes.constData()),
                             static_cast<std::size_t>(bytes.size()), FinalLink::Refuse)) {
        if (errno == ELOOP) {
            //% "The calendar was not written: %1 is a symbolic link. Name the file itself, or "
            //% "a new file."
            say(qtTrId("IDS_CLI_WRITE_LINK").arg(rest.first()));
        } else {
            //% "The calendar could not be written to %1."
            say(qtTrId("IDS_CLI_WRITE_FAILED").arg(rest.first()) + QLatin1Char(' ') +
                QString::fromLocal8Bit(std::strerror(errno)));
        }
        return kExitFailed;
    }
    return kExitDone;
}

// The recording history is read beside the running program (or without it); it never goes
// through the program, which only ever appends to it.
char const* kindKey(JournalKind kind) {
    switch (kind) {
    case JournalKind::HandedOver:
        return "handed-over";
    case JournalKind::Missed:
        return "missed";
    case JournalKind::Woke:
        return "woke";
    case JournalKind::ProgramStarted:
        return "program-started";
    case JournalKind::ProgramExited:
        return "program-exited";
    case JournalKind::Sleep:
        return "sleep";
    case JournalKind::WakeUpsPlanned:
        return "wake-ups-planned";
    case JournalKind::ShutdownPlanned:
        return "shutdown-planned";
    case JournalKind::ShutdownCancelled:
        return "shutdown-cancelled";
    case JournalKind::TestWakeUp:
        return "test-wake-up";
    case JournalKind::AlarmReplaced:
        return "alarm-replaced";
    case JournalKind::RecordingStarted:
        return "recording-started";
    case JournalKind::RecordingFinished:
        return "recording-finished";
    }
    return "unknown";
}

char const* recordingResultKey(JournalEntry const& e) {
    switch (e.result) {
    case RecordingOutcome::Recorded:
        return "recorded";
    case RecordingOutcome::Partial:
        return "partial";
    case RecordingOutcome::Failed:
        break;
    }
    return "failed";
}

int runHistory(Arguments& a) {
    bool json = false;
    if (QString const bad = firstNotJson(a.list, json); !bad.isEmpty()) {
        //% "history: unknown argument “%1”."
        return refuse(qtTrId("IDS_CLI_BAD_ARGUMENT_HISTORY").arg(bad) + QLatin1Char(' ') +
                      helpHint());
    }
    std::string const path = a.session.folder() + "/" + SqliteJournal::kFileName;
    std::vector<JournalEntry> entries;
    std::string error;
    // No file yet: nothing has happened.
    if (::access(path.c_str(), F_OK) == 0 && !SqliteJournal::readFile(path, 0, entries, error)) {
        //% "The recording history %1 could not be read: %2"
        say(qtTrId("IDS_CLI_HISTORY_UNREADABLE")
                .arg(QString::fromStdString(path), QString::fromStdString(error)));
        return kExitFailed;
    }
    if (json) {
        QJsonArray array;
        for (JournalEntry const& e : entries) {
            QJsonObject row{{QStringLiteral("time"), e.at},
                            {QStringLiteral("event"), QString::fromLatin1(kindKey(e.kind))},
                            {QStringLiteral("failed"), e.failed()},
                            {QStringLiteral("outcome"), historyOutcome(e)},
                            {QStringLiteral("reason"), historyReason(e)}};
            if (!historyReservation(e, false).isEmpty()) {
                row.insert(QStringLiteral("title"), historyTitle(e));
                row.insert(QStringLiteral("start"), e.start);
                row.insert(QStringLiteral("end"), e.end);
                row.insert(QStringLiteral("reservation"), historyReservation(e, false));
                if (e.kind == JournalKind::HandedOver && e.instants.size() == 2) {
                    row.insert(QStringLiteral("recordedStart"), e.instants[0]);
                    row.insert(QStringLiteral("recordedEnd"), e.instants[1]);
                }
            }
            if (e.kind == JournalKind::RecordingStarted ||
                e.kind == JournalKind::RecordingFinished) {
                row.insert(QStringLiteral("source"), QString::fromStdString(e.source));
            }
            if (e.kind == JournalKind::RecordingFinished) {
                // Velto's own words as well as the translated ones, for scripts.
                row.insert(QStringLiteral("result"), QString::fromLatin1(recordingResultKey(e)));
                row.insert(QStringLiteral("file"), QString::fromStdString(e.file));
                row.insert(QStringLiteral("seconds"), e.seconds);
                row.insert(QStringLiteral("reasonKey"), QString::fromStdString(e.reasonKey));
                row.insert(QStringLiteral("reasonText"), QString::fromStdString(e.reasonText));
                row.insert(QStringLiteral("dropouts"), e.dropouts);
            }
            array.append(row);
        }
        out(QJsonDocument(array).toJson(QJsonDocument::Indented));
        return kExitDone;
    }
    if (entries.empty()) {
        //% "Nothing has been recorded in the history yet."
        out(qtTrId("IDS_CLI_HISTORY_EMPTY") + QLatin1Char('\n'));
        return kExitDone;
    }
    QSettingsStore settings;
    bool const lateNight = lateNightHours(settings);
    QString text;
    for (JournalEntry const& e : entries) {
        QStringList parts{historyTime(e.at)};
        if (QString const title = historyTitle(e); !title.isEmpty()) {
            parts << title + QStringLiteral(" (") + historyReservation(e, lateNight) +
                         QLatin1Char(')');
        }
        parts << (e.failed() ? QStringLiteral("! ") : QString()) + historyOutcome(e);
        if (QString const reason = historyReason(e); !reason.isEmpty()) {
            parts << reason;
        }
        text += TextTable::visible(parts.join(QStringLiteral("  "))) + QLatin1Char('\n');
    }
    out(text);
    return kExitDone;
}

int runCheckWake(Arguments& a) {
    return WakeCheckCommand::run(a.list, a.session.folder());
}

struct Command {
    char const* name;
    char const* synopsis;
    QString (*description)();
    int (*run)(Arguments&);
};

// To add a command, add a line here.
Command const kCommands[] = {
    {"list", "list [--json]",
     [] {
         //% "show the reservations, as text or as JSON"
         return qtTrId("IDS_CLI_HELP_LIST");
     },
     runList},
    {"add",
     "add --date YYYY-MM-DD --start HH:MM --end HH:MM (--fm MHZ | --am KHZ)\n"
     "              --title TEXT [--weekly sun,mon,...] [--off]",
     [] {
         //% "add a reservation (switched off with --off) and print its id"
         return qtTrId("IDS_CLI_HELP_ADD");
     },
     runAdd},
    {"remove", "remove ID...",
     [] {
         //% "delete reservations"
         return qtTrId("IDS_CLI_HELP_REMOVE");
     },
     runRemove},
    {"enable", "enable ID...",
     [] {
         //% "switch reservations on"
         return qtTrId("IDS_CLI_HELP_ENABLE");
     },
     runEnable},
    {"disable", "disable ID...",
     [] {
         //% "switch reservations off"
         return qtTrId("IDS_CLI_HELP_DISABLE");
     },
     runDisable},
    {"export", "export --ics [FILE]",
     [] {
         //% "write the switched-on reservations as an iCalendar file (to standard output without "
         //% "FILE)"
         return qtTrId("IDS_CLI_HELP_EXPORT");
     },
     runExport},
    {"history", "history [--json]",
     [] {
         //% "show what happened to each recording, newest first (failures marked with !)"
         return qtTrId("IDS_CLI_HELP_HISTORY");
     },
     runHistory},
    {"check-wake", "check-wake [--json] [--test]",
     [] {
         //% "check whether this computer will wake for its recordings, and what to do where it "
         //% "will not; --test suspends it for a test wake-up two minutes ahead (exit status 0 "
         //% "fine, 1 a problem was found, 2 the check could not run)"
         return qtTrId("IDS_CLI_HELP_CHECK_WAKE");
     },
     runCheckWake},
};

Command const* findCommand(char const* name) {
    for (Command const& command : kCommands) {
        if (std::strcmp(command.name, name) == 0) {
            return &command;
        }
    }
    return nullptr;
}

void printHelp() {
    //% "Usage:"
    QString text = qtTrId("IDS_CLI_USAGE") + QLatin1Char('\n');
    auto line = [&text](QString const& synopsis, QString const& description) {
        text += QStringLiteral("  resvman ") + synopsis + QLatin1Char('\n') +
                TextTable::wrapped(description, 72, QStringLiteral("      ")) + QLatin1Char('\n');
    };
    //% "start the program and show its window"
    text += QStringLiteral("  resvman\n") +
            TextTable::wrapped(qtTrId("IDS_CLI_HELP_START"), 72, QStringLiteral("      ")) +
            QLatin1Char('\n');
    for (Command const& command : kCommands) {
        line(QString::fromUtf8(command.synopsis), command.description());
    }
    //% "show this help"
    line(QStringLiteral("--help"), qtTrId("IDS_CLI_HELP_HELP"));
    //% "show the version"
    line(QStringLiteral("--version"), qtTrId("IDS_CLI_HELP_VERSION"));
    text += QLatin1Char('\n');
    //% "Dates and times are in this computer's time zone; an end at or before the start ends on "
    //% "the next day. Times from 24:00 to 29:59 are the small hours after the day, as programme "
    //% "guides write them: --date 2025-03-03 --start 25:00 is 4 March at 1:00, and --weekly mon "
    //% "--start 25:00 records every Tuesday at 1:00. While the program runs, the commands go "
    //% "through it; otherwise they change the reservation file directly, and the wake-up plan "
    //% "catches up at the program's next start."
    text += TextTable::wrapped(qtTrId("IDS_CLI_HELP_NOTES"), 78) + QLatin1Char('\n');
    //% "Exit status: 0 done, 1 the reservation file could not be read or saved, 2 the command was "
    //% "refused and nothing was changed."
    text += TextTable::wrapped(qtTrId("IDS_CLI_HELP_EXIT"), 78) + QLatin1Char('\n');
    out(text);
}

} // namespace

bool isCommandLine(int argc, char** argv) {
    if (argc < 2) {
        return false;
    }
    char const* const first = argv[1];
    return std::strcmp(first, "--help") == 0 || std::strcmp(first, "--version") == 0 ||
           findCommand(first) != nullptr;
}

int runCommandLine(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Velto"));
    QCoreApplication::setApplicationName(QStringLiteral("ResvMan"));
    installTranslators(app);

    QStringList args;
    for (int i = 2; i < argc; ++i) {
        args << QString::fromLocal8Bit(argv[i]);
    }
    int code = kExitDone;
    if (std::strcmp(argv[1], "--version") == 0) {
        out(QByteArrayLiteral("resvman " RESVMAN_VERSION "\n"));
    } else if (std::strcmp(argv[1], "--help") == 0) {
        printHelp();
    } else {
        AppLocation bundle;
        if (bundle.dataFolder().empty()) {
            // As the window: nowhere safe to keep the reservations is said, not worked around.
            say(noSafeFolderText(bundle.choice().unusable));
            return kExitFailed;
        }
        CommandSession session(bundle.dataFolder());
        Arguments arguments{args, session};
        code = findCommand(argv[1])->run(arguments);
    }
    if (std::fflush(stdout) != 0 || g_outputFailed) {
        //% "The output could not be written."
        say(qtTrId("IDS_CLI_OUTPUT_FAILED"));
        return kExitFailed;
    }
    return code;
}
