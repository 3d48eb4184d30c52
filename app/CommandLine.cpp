#include "app/CommandLine.h"

#include "app/BundleLocation.h"
#include "app/FileReservationTarget.h"
#include "app/ResvManBusClient.h"
#include "app/SingleInstance.h"
#include "app/Translations.h"
#include "platform/IBundle.h"
#include "platform/linux/SqliteJournal.h"
#include "store/SafeFile.h"
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

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string_view>
#include <unistd.h>

#ifndef RESVMAN_VERSION
#define RESVMAN_VERSION "unknown"
#endif

namespace {

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitRefused = 2;
constexpr int kLockWaitMs = 5000; // another command holds the lock for moments only

int ExitCode(RequestOutcome const& outcome) {
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

void Out(QByteArray const& bytes) {
    if (std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout) !=
        static_cast<std::size_t>(bytes.size())) {
        g_outputFailed = true;
    }
}

void Out(QString const& text) {
    Out(text.toUtf8());
}

void Say(QString const& message) {
    QByteArray const line = "resvman: " + message.toUtf8() + '\n';
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
}

int Refuse(QString const& message) {
    Say(message);
    return kExitRefused;
}

int Report(RequestOutcome const& outcome) {
    if (!outcome.ok()) {
        Say(outcome.message);
    }
    return ExitCode(outcome);
}

QString HelpHint() {
    //% "See “resvman --help”."
    return qtTrId("IDS_CLI_HELP_HINT");
}

// ---- The way to the reservations ----

bool SameFile(QString const& a, QString const& b) {
    // The file may not exist yet: compare the folders as they really are, and the names.
    QFileInfo const left(a);
    QFileInfo const right(b);
    QString const leftDir = QFileInfo(left.path()).canonicalFilePath();
    QString const rightDir = QFileInfo(right.path()).canonicalFilePath();
    return !leftDir.isEmpty() && leftDir == rightDir && left.fileName() == right.fileName();
}

class Session {
public:
    explicit Session(std::string folder)
        : m_folder(std::move(folder)), m_file(m_folder + "/" + kReservationFileName) {}
    ~Session() {
        if (m_lockFd >= 0) {
            ::close(m_lockFd);
        }
    }
    Session(Session const&) = delete;
    Session& operator=(Session const&) = delete;

    using Request = std::function<RequestOutcome(IReservationRequests&)>;

    RequestOutcome Perform(Request const& request) {
        if (m_requests == nullptr) {
            m_client = std::make_unique<ResvManBusClient>(QDBusConnection::sessionBus());
            QString const running = m_client->runningProgramFile();
            if (!running.isEmpty() && SameFile(running, QString::fromStdString(m_file))) {
                m_requests = m_client.get();
            } else if (RequestOutcome const opened = OpenFile(); !opened.ok()) {
                return opened;
            }
        }
        RequestOutcome outcome = request(*m_requests);
        if (m_requests == m_client.get() && m_client->lastCallUndelivered()) {
            // The program ended just now, before it got the request: do it on the file.
            if (RequestOutcome const opened = OpenFile(); !opened.ok()) {
                return opened;
            }
            outcome = request(*m_requests);
        }
        return outcome;
    }

    // The file was changed without the program: its wake-up plan is behind.
    bool direct() const { return m_fileTarget != nullptr; }
    // The folder of the reservation file (and of the history beside it).
    std::string const& folder() const { return m_folder; }

private:
    RequestOutcome OpenFile() {
        InstanceLock::Result const lock =
            InstanceLock::AcquireWithin(m_folder, kLockWaitMs, &m_lockFd);
        if (lock == InstanceLock::Result::HeldByOther) {
            //% "The program is using the reservations in %1 but cannot be reached over the "
            //% "session bus. Give the command in the session where the program runs, or set "
            //% "DBUS_SESSION_BUS_ADDRESS to that session's bus."
            return RequestOutcome::Fail(
                qtTrId("IDS_CLI_LOCKED").arg(QString::fromStdString(m_folder)));
        }
        m_fileTarget = std::make_unique<FileReservationTarget>(m_file);
        QString error;
        if (!m_fileTarget->load(error)) {
            return RequestOutcome::Fail(error);
        }
        m_local = std::make_unique<ReservationRequests>(*m_fileTarget);
        m_requests = m_local.get();
        return {};
    }

    std::string m_folder;
    std::string m_file;
    int m_lockFd = -1;
    std::unique_ptr<ResvManBusClient> m_client;
    std::unique_ptr<FileReservationTarget> m_fileTarget;
    std::unique_ptr<ReservationRequests> m_local;
    IReservationRequests* m_requests = nullptr;
};

void NoteDirectChange(Session const& session) {
    if (session.direct()) {
        //% "The program is not running: the reservation file was changed directly. The wake-up "
        //% "plan is brought up to date when the program next starts."
        Say(qtTrId("IDS_CLI_PLAN_LATER"));
    }
}

// ---- Texts of the list ----

char const* const kDayKeys[7] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};

QString ShortDay(QString const& key) {
    for (int k = 0; k < 7; ++k) {
        if (key == QLatin1String(kDayKeys[k])) {
            return WeekdayShortName(k);
        }
    }
    return key;
}

QString StateText(QString const& state) {
    if (state == QLatin1String("missed")) {
        //% "missed"
        return qtTrId("IDS_CLI_STATE_MISSED");
    }
    if (state == QLatin1String("off")) {
        //% "off"
        return qtTrId("IDS_CLI_STATE_OFF");
    }
    if (state == QLatin1String("overlapping")) {
        //% "overlapping"
        return qtTrId("IDS_CLI_STATE_OVERLAPPING");
    }
    //% "waiting"
    return qtTrId("IDS_CLI_STATE_WAITING");
}

// Columns on a terminal: East Asian wide characters take two.
int CharWidth(char32_t c) {
    bool const wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                      (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                      (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                      (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
    return wide ? 2 : 1;
}

int DisplayWidth(QString const& text) {
    int width = 0;
    for (uint const c : text.toUcs4()) {
        width += CharWidth(c);
    }
    return width;
}

// Lines of at most width columns, each after indent: broken at spaces, or between any two
// characters of a text written without spaces (Japanese).
QString Wrapped(QString const& text, int width, QString const& indent = QString()) {
    std::u32string const chars = text.toStdU32String();
    QStringList lines;
    std::u32string line;
    int used = 0;
    std::size_t i = 0;
    while (i < chars.size()) {
        // The next piece: a wide character, or a word with the space after it.
        std::size_t end = i + 1;
        if (CharWidth(chars[i]) == 1) {
            while (end < chars.size() && chars[end - 1] != U' ' && CharWidth(chars[end]) == 1) {
                ++end;
            }
        }
        std::u32string const piece = chars.substr(i, end - i);
        int pieceWidth = 0;
        for (char32_t const c : piece) {
            pieceWidth += c == U' ' ? 0 : CharWidth(c);
        }
        // Closing brackets and stops never begin a line; they may stand past its end.
        bool const closing =
            piece.size() == 1 &&
            std::u32string_view(U"）」』。、，．").find(piece[0]) != std::u32string_view::npos;
        if (used > 0 && used + pieceWidth > width && !closing) {
            lines << indent + QString::fromStdU32String(line).trimmed();
            line.clear();
            used = 0;
        }
        line += piece;
        used += pieceWidth + (piece.back() == U' ' ? 1 : 0);
        i = end;
    }
    if (!line.empty()) {
        lines << indent + QString::fromStdU32String(line).trimmed();
    }
    return lines.join(QLatin1Char('\n'));
}

QString Padded(QString const& text, int width) {
    return text + QString(std::max(0, width - DisplayWidth(text)), QLatin1Char(' '));
}

void PrintTable(QList<QVariantMap> const& entries) {
    if (entries.isEmpty()) {
        //% "No reservations."
        Out(qtTrId("IDS_CLI_NO_RESERVATIONS") + QLatin1Char('\n'));
        return;
    }
    QList<QStringList> rows;
    rows << QStringList{QStringLiteral("ID"),
                        //% "Date"
                        qtTrId("IDS_COL_DATE"),
                        //% "Start"
                        qtTrId("IDS_COL_START"),
                        //% "End"
                        qtTrId("IDS_COL_END"),
                        //% "Weekly"
                        qtTrId("IDS_COL_WEEKLY"),
                        //% "Frequency"
                        qtTrId("IDS_COL_CHANNEL"),
                        //% "State"
                        qtTrId("IDS_CLI_COL_STATE"),
                        //% "Station"
                        qtTrId("IDS_COL_STATION"),
                        //% "Title"
                        qtTrId("IDS_COL_TITLE")};
    for (QVariantMap const& e : entries) {
        QStringList days;
        for (QString const& key : e.value(QStringLiteral("weekly")).toStringList()) {
            days << ShortDay(key);
        }
        QString date = e.value(QStringLiteral("date")).toString();
        if (!date.isEmpty()) {
            QDate const day = QDate::fromString(date, Qt::ISODate);
            date += QStringLiteral(" (") + ShortDay(QLatin1String(kDayKeys[day.dayOfWeek() % 7])) +
                    QLatin1Char(')');
        }
        rows << QStringList{e.value(QStringLiteral("id")).toString(),
                            date,
                            e.value(QStringLiteral("start")).toString(),
                            e.value(QStringLiteral("end")).toString(),
                            days.isEmpty() ? QStringLiteral("-") : days.join(QLatin1Char(',')),
                            e.value(QStringLiteral("band")).toString() + QLatin1Char(' ') +
                                e.value(QStringLiteral("frequency")).toString(),
                            StateText(e.value(QStringLiteral("state")).toString()),
                            e.value(QStringLiteral("station")).toString(),
                            e.value(QStringLiteral("title")).toString()};
    }
    QList<int> widths(rows.first().size(), 0);
    for (QStringList const& row : rows) {
        for (int c = 0; c < row.size(); ++c) {
            widths[c] = std::max(widths[c], DisplayWidth(row[c]));
        }
    }
    for (QStringList const& row : rows) {
        QString line;
        for (int c = 0; c < row.size(); ++c) {
            bool const last = c + 1 == row.size();
            // The id right-aligned; the title, last, not padded.
            if (c == 0) {
                line += QString(widths[0] - DisplayWidth(row[0]), QLatin1Char(' ')) + row[0];
            } else {
                line += last ? row[c] : Padded(row[c], widths[c]);
            }
            if (!last) {
                line += QStringLiteral("  ");
            }
        }
        Out(line + QLatin1Char('\n'));
    }
}

// ---- The commands ----

struct Arguments {
    QStringList list;
    Session& session;
};

// The one option of list and history: json tells whether "--json" was given; answers the
// first other argument ("" when there is none).
QString FirstNotJson(QStringList const& list, bool& json) {
    json = false;
    for (QString const& arg : list) {
        if (arg != QLatin1String("--json")) {
            return arg;
        }
        json = true;
    }
    return {};
}

int RunList(Arguments& a) {
    bool json = false;
    if (QString const bad = FirstNotJson(a.list, json); !bad.isEmpty()) {
        //% "list: unknown argument “%1”."
        return Refuse(qtTrId("IDS_CLI_BAD_ARGUMENT_LIST").arg(bad) + QLatin1Char(' ') + HelpHint());
    }
    QList<QVariantMap> entries;
    RequestOutcome const outcome =
        a.session.Perform([&](IReservationRequests& r) { return r.List(entries); });
    if (!outcome.ok()) {
        return Report(outcome);
    }
    if (json) {
        QJsonArray array;
        for (QVariantMap const& e : entries) {
            array.append(QJsonObject::fromVariantMap(e));
        }
        Out(QJsonDocument(array).toJson(QJsonDocument::Indented));
    } else {
        PrintTable(entries);
    }
    return kExitDone;
}

int RunAdd(Arguments& a) {
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
            return Refuse(qtTrId("IDS_CLI_BAD_ARGUMENT_ADD").arg(a.list[i]) + QLatin1Char(' ') +
                          HelpHint());
        }
        QString const field = QLatin1String(option->field);
        if (fields.contains(field)) {
            //% "add: “%1” is given twice."
            return Refuse(qtTrId("IDS_CLI_TWICE").arg(name));
        }
        if (!option->takesValue) {
            fields.insert(field, true);
            continue;
        }
        if (!inlineValue) {
            if (i + 1 >= a.list.size()) {
                //% "add: “%1” needs a value."
                return Refuse(qtTrId("IDS_CLI_NEEDS_VALUE").arg(name));
            }
            value = a.list[++i];
        }
        fields.insert(field, value);
    }
    int id = -1;
    int result = 0;
    RequestOutcome const outcome =
        a.session.Perform([&](IReservationRequests& r) { return r.Add(fields, id, result); });
    if (!outcome.ok()) {
        return Report(outcome);
    }
    Out(QByteArray::number(id) + '\n');
    if (result == 1) {
        //% "This reservation overlaps the time of another reservation. Both are kept; only one of "
        //% "them can be recorded."
        Say(qtTrId("IDS_WARN_OVERWRAP_TASK"));
    }
    NoteDirectChange(a.session);
    return kExitDone;
}

// The ids of remove, enable and disable.
bool ParseIds(QStringList const& list, QList<int>& ids) {
    for (QString const& arg : list) {
        bool ok = false;
        int const id = arg.toInt(&ok, 10);
        if (!ok || id < 0 || arg.startsWith(QLatin1Char('+'))) {
            //% "“%1” is not a reservation id. The ids are the numbers that “resvman list” "
            //% "shows."
            Say(qtTrId("IDS_CLI_BAD_ID").arg(arg));
            return false;
        }
        ids << id;
    }
    return true;
}

int RunRemove(Arguments& a) {
    QList<int> ids;
    if (!ParseIds(a.list, ids)) {
        return kExitRefused;
    }
    RequestOutcome const outcome =
        a.session.Perform([&](IReservationRequests& r) { return r.Remove(ids); });
    if (outcome.ok()) {
        NoteDirectChange(a.session);
    }
    return Report(outcome);
}

int RunSwitch(Arguments& a, bool enabled) {
    QList<int> ids;
    if (!ParseIds(a.list, ids)) {
        return kExitRefused;
    }
    RequestOutcome const outcome =
        a.session.Perform([&](IReservationRequests& r) { return r.SetEnabled(ids, enabled); });
    if (outcome.ok()) {
        NoteDirectChange(a.session);
    }
    return Report(outcome);
}

int RunEnable(Arguments& a) {
    return RunSwitch(a, true);
}

int RunDisable(Arguments& a) {
    return RunSwitch(a, false);
}

int RunExport(Arguments& a) {
    QStringList rest = a.list;
    if (rest.removeAll(QStringLiteral("--ics")) != 1 || rest.size() > 1 ||
        (rest.size() == 1 && rest.first().startsWith(QLatin1String("--")))) {
        //% "export: give --ics and, if you like, a file to write (standard output otherwise)."
        return Refuse(qtTrId("IDS_CLI_EXPORT_USAGE") + QLatin1Char(' ') + HelpHint());
    }
    QString calendar;
    RequestOutcome const outcome =
        a.session.Perform([&](IReservationRequests& r) { return r.ExportICalendar(calendar); });
    if (!outcome.ok()) {
        return Report(outcome);
    }
    QByteArray const bytes = calendar.toUtf8();
    if (rest.isEmpty() || rest.first() == QLatin1String("-")) {
        Out(bytes);
        return kExitDone;
    }
    std::string const path = QFile::encodeName(rest.first()).toStdString();
    if (!WriteFileAtomically(path, reinterpret_cast<uint8_t const*>(bytes.constData()),
                             static_cast<std::size_t>(bytes.size()))) {
        //% "The calendar could not be written to %1."
        Say(qtTrId("IDS_CLI_WRITE_FAILED").arg(rest.first()));
        return kExitFailed;
    }
    return kExitDone;
}

// The recording history is read beside the running program (or without it); it never goes
// through the program, which only ever appends to it.
char const* KindKey(JournalKind kind) {
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
    }
    return "unknown";
}

int RunHistory(Arguments& a) {
    bool json = false;
    if (QString const bad = FirstNotJson(a.list, json); !bad.isEmpty()) {
        //% "history: unknown argument “%1”."
        return Refuse(qtTrId("IDS_CLI_BAD_ARGUMENT_HISTORY").arg(bad) + QLatin1Char(' ') +
                      HelpHint());
    }
    std::string const path = a.session.folder() + "/" + kJournalFileName;
    std::vector<JournalEntry> entries;
    std::string error;
    // No file yet: nothing has happened.
    if (::access(path.c_str(), F_OK) == 0 && !SqliteJournal::ReadFile(path, 0, entries, error)) {
        //% "The recording history %1 could not be read: %2"
        Say(qtTrId("IDS_CLI_HISTORY_UNREADABLE")
                .arg(QString::fromStdString(path), QString::fromStdString(error)));
        return kExitFailed;
    }
    if (json) {
        QJsonArray array;
        for (JournalEntry const& e : entries) {
            QJsonObject row{{QStringLiteral("time"), e.at},
                            {QStringLiteral("event"), QString::fromLatin1(KindKey(e.kind))},
                            {QStringLiteral("failed"), e.failed()},
                            {QStringLiteral("outcome"), HistoryOutcome(e)},
                            {QStringLiteral("reason"), HistoryReason(e)}};
            if (e.kind == JournalKind::HandedOver || e.kind == JournalKind::Missed) {
                row.insert(QStringLiteral("title"), HistoryTitle(e));
                row.insert(QStringLiteral("start"), e.start);
                row.insert(QStringLiteral("end"), e.end);
                row.insert(QStringLiteral("reservation"), HistoryReservation(e));
            }
            array.append(row);
        }
        Out(QJsonDocument(array).toJson(QJsonDocument::Indented));
        return kExitDone;
    }
    if (entries.empty()) {
        //% "Nothing has been recorded in the history yet."
        Out(qtTrId("IDS_CLI_HISTORY_EMPTY") + QLatin1Char('\n'));
        return kExitDone;
    }
    QString text;
    for (JournalEntry const& e : entries) {
        QStringList parts{HistoryTime(e.at)};
        if (QString const title = HistoryTitle(e); !title.isEmpty()) {
            parts << title + QStringLiteral(" (") + HistoryReservation(e) + QLatin1Char(')');
        }
        parts << (e.failed() ? QStringLiteral("! ") : QString()) + HistoryOutcome(e);
        if (QString const reason = HistoryReason(e); !reason.isEmpty()) {
            parts << reason;
        }
        text += parts.join(QStringLiteral("  ")) + QLatin1Char('\n');
    }
    Out(text);
    return kExitDone;
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
     RunList},
    {"add",
     "add --date YYYY-MM-DD --start HH:MM --end HH:MM (--fm MHZ | --am KHZ)\n"
     "              --title TEXT [--weekly sun,mon,...] [--off]",
     [] {
         //% "add a reservation (switched off with --off) and print its id"
         return qtTrId("IDS_CLI_HELP_ADD");
     },
     RunAdd},
    {"remove", "remove ID...",
     [] {
         //% "delete reservations"
         return qtTrId("IDS_CLI_HELP_REMOVE");
     },
     RunRemove},
    {"enable", "enable ID...",
     [] {
         //% "switch reservations on"
         return qtTrId("IDS_CLI_HELP_ENABLE");
     },
     RunEnable},
    {"disable", "disable ID...",
     [] {
         //% "switch reservations off"
         return qtTrId("IDS_CLI_HELP_DISABLE");
     },
     RunDisable},
    {"export", "export --ics [FILE]",
     [] {
         //% "write the switched-on reservations as an iCalendar file (to standard output without "
         //% "FILE)"
         return qtTrId("IDS_CLI_HELP_EXPORT");
     },
     RunExport},
    {"history", "history [--json]",
     [] {
         //% "show what happened to each recording, newest first (failures marked with !)"
         return qtTrId("IDS_CLI_HELP_HISTORY");
     },
     RunHistory},
};

Command const* FindCommand(char const* name) {
    for (Command const& command : kCommands) {
        if (std::strcmp(command.name, name) == 0) {
            return &command;
        }
    }
    return nullptr;
}

void PrintHelp() {
    //% "Usage:"
    QString text = qtTrId("IDS_CLI_USAGE") + QLatin1Char('\n');
    auto line = [&text](QString const& synopsis, QString const& description) {
        text += QStringLiteral("  resvman ") + synopsis + QLatin1Char('\n') +
                Wrapped(description, 72, QStringLiteral("      ")) + QLatin1Char('\n');
    };
    //% "start the program and show its window"
    text += QStringLiteral("  resvman\n") +
            Wrapped(qtTrId("IDS_CLI_HELP_START"), 72, QStringLiteral("      ")) + QLatin1Char('\n');
    for (Command const& command : kCommands) {
        line(QString::fromUtf8(command.synopsis), command.description());
    }
    //% "show this help"
    line(QStringLiteral("--help"), qtTrId("IDS_CLI_HELP_HELP"));
    //% "show the version"
    line(QStringLiteral("--version"), qtTrId("IDS_CLI_HELP_VERSION"));
    text += QLatin1Char('\n');
    //% "Dates and times are in this computer's time zone; an end at or before the start ends on "
    //% "the next day. While the program runs, the commands go through it; otherwise they change "
    //% "the reservation file directly, and the wake-up plan catches up at the program's next "
    //% "start."
    text += Wrapped(qtTrId("IDS_CLI_HELP_NOTES"), 78) + QLatin1Char('\n');
    //% "Exit status: 0 done, 1 the reservation file could not be read or saved, 2 the command was "
    //% "refused and nothing was changed."
    text += Wrapped(qtTrId("IDS_CLI_HELP_EXIT"), 78) + QLatin1Char('\n');
    Out(text);
}

} // namespace

bool IsCommandLine(int argc, char** argv) {
    if (argc < 2) {
        return false;
    }
    char const* const first = argv[1];
    return std::strcmp(first, "--help") == 0 || std::strcmp(first, "--version") == 0 ||
           FindCommand(first) != nullptr;
}

int RunCommandLine(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Velto"));
    QCoreApplication::setApplicationName(QStringLiteral("ResvMan"));
    InstallTranslators(app);

    QStringList args;
    for (int i = 2; i < argc; ++i) {
        args << QString::fromLocal8Bit(argv[i]);
    }
    int code = kExitDone;
    if (std::strcmp(argv[1], "--version") == 0) {
        Out(QByteArrayLiteral("resvman " RESVMAN_VERSION "\n"));
    } else if (std::strcmp(argv[1], "--help") == 0) {
        PrintHelp();
    } else {
        BundleLocation bundle;
        Session session(bundle.homeDirectory());
        Arguments arguments{args, session};
        code = FindCommand(argv[1])->run(arguments);
    }
    if (std::fflush(stdout) != 0 || g_outputFailed) {
        //% "The output could not be written."
        Say(qtTrId("IDS_CLI_OUTPUT_FAILED"));
        return kExitFailed;
    }
    return code;
}
