// The command line end to end: the real program, copied into a bundle of a temporary
// folder, run with a temporary home on a private session bus. The same table of commands
// runs twice: with no program running (the commands work on the file under the lock and
// say that the wake-up plan follows later), and while a program runs on that bus (every
// command goes through its D-Bus interface; its window's table shows each change and the
// bus carries Changed). Every refusal exits with 2 and leaves the file byte for byte as it
// was. Then what others may have put in the command's way: a name squatter on the bus, a
// link in place of the calendar, a lock that cannot be taken, no safe folder. Last, the
// examples of docs/dbus-interface.md are run against the running program.
#include "app/AppLocation.h"
#include "app/InstanceLock.h"
#include "app/ReservationRequests.h"
#include "app/ResvManBusAdaptor.h"
#include "app/SingleInstance.h"
#include "app/WindowReservationTarget.h"
#include "engine/RecordingEngine.h"
#include "history/SqliteJournal.h"
#include "store/ReservationFile.h"
#include "ui/MainWindow.h"
#include "ui/ReservationDialog.h"
#include "ui/ReservationTableView.h"

#include "ReservationTestSupport.h"
#include "TestPaths.h"
#include "tests/support/FakeEngineServices.h"
#include "tests/support/PrivateBus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Step {
    char const* args; // "|"-separated; {tomorrow}, {yesterday}, {dir} are filled in
    int exit;
    char const* out;    // pattern for standard output, or nullptr
    char const* err;    // pattern for standard error, or nullptr
    bool changes;       // the reservation file changes (otherwise byte for byte the same)
    char const* titles; // the list afterwards, by title ("|"-separated); nullptr: as before
};

// Seeded before the table runs: one reservation whose time passed (id 0).
constexpr char const* kMissed = "missed";

// 86 characters, 258 bytes: the limit is in bytes.
QString const kLongTitle(86, QChar(0x3042));
// Text that would steer a terminal and forge a line of the list.
QString const kControlTitle = QStringLiteral("Bell\x07\x1b[31mRed\x7f\n 9  forged");

Step const kSteps[] = {
    {"list", 0,
     "^ID +Date .*\\n 0  \\d{4}-\\d\\d-\\d\\d \\(\\w+\\)  20:00  21:00  -  +AM 954 +missed "
     "+missed\\n$",
     "^$", false, "missed"},
    {"add|--date|{tomorrow}|--start|20:00|--end|21:00|--fm|80.0|--title|Jazz|--weekly|sat", 0,
     "^1\\n$", nullptr, true, "missed|Jazz"},
    {"add|--date={tomorrow}|--start=23:00|--end=01:00|--am=954|--title=ニュース", 0, "^2\\n$",
     nullptr, true, "missed|Jazz|ニュース"},
    {"add|--date|{tomorrow}|--start|23:30|--end|23:45|--am|594|--title|Overlap|--off", 0, "^3\\n$",
     "overlaps the time of another reservation", true, "missed|Jazz|ニュース|Overlap"},
    {"enable|3", 0, "^$", nullptr, true, nullptr},
    {"list|--json", 0, nullptr, "^$", false, nullptr},
    {"export|--ics|{dir}/out.ics", 0, "^$", "^$", false, nullptr},
    {"history|--json", 0, "^\\[\\n", "^$", false, nullptr},
    {"history", 0, "Quiz\\\\x1b\\[2J\\\\nforged", "^$", false, nullptr},
    {"disable|3|2", 0, "^$", nullptr, true, nullptr},
    {"remove|3", 0, "^$", nullptr, true, "missed|Jazz|ニュース"},
    // Control characters are shown, not obeyed; --json keeps them.
    {"add|--date|{tomorrow}|--start|05:00|--end|06:00|--fm|80|--title|{control}", 0, "^3\\n$",
     nullptr, true, "missed|Jazz|ニュース|{control}"},
    {"list", 0, "  Bell\\\\x07\\\\x1b\\[31mRed\\\\x7f\\\\n 9  forged\\n", nullptr, false, nullptr},
    {"remove|3", 0, "^$", nullptr, true, "missed|Jazz|ニュース"},
    {"export|--ics|{dir}/shared/link.ics", 1, "^$", "is a symbolic link", false, nullptr},
    // Wide FM, written as the guides write the small hours: the day after tomorrow 01:00.
    {"add|--date|{tomorrow}|--start|25:00|--end|27:00|--fm|94.9|--title|Wide", 0, "^\\d+\\n$",
     nullptr, true, "missed|Jazz|ニュース|Wide"},
    // Refusals: a message, status 2, nothing changed. The dialog's own order: the title
    // before the frequency before the time.
    {"add|--date|{tomorrow}|--start|20:00|--end|21:00|--am|530|--title|{long}", 2, "^$",
     "The title is too long", false, nullptr},
    {"add|--date|{tomorrow}|--start|20:00|--end|21:00|--am|530|--title|t", 2, "^$",
     "The frequency is not valid", false, nullptr},
    {"add|--date|{yesterday}|--start|20:00|--end|21:00|--fm|95.0|--title|t", 2, "^$",
     "The frequency is not valid", false, nullptr},
    {"add|--date|{tomorrow}|--start|20:00|--end|21:00|--fm|75.9|--title|t", 2, "^$",
     "The frequency is not valid", false, nullptr},
    {"add|--date|{yesterday}|--start|20:00|--end|21:00|--fm|90|--title|t", 2, "^$",
     "already passed", false, nullptr},
    {"add|--date|2031-02-30|--start|20:00|--end|21:00|--fm|80|--title|t", 2, "^$", "is not a date",
     false, nullptr},
    {"add|--date|{tomorrow}|--start|30:00|--end|21:00|--fm|80|--title|t", 2, "^$",
     "is not a time of day", false, nullptr},
    {"add|--date|{tomorrow}|--start|01:00|--end|25:01|--fm|80|--title|t", 2, "^$",
     "at most 24 hours", false, nullptr},
    {"add|--date|{tomorrow}|--start|20:00|--end|21:00|--fm|80|--am|954|--title|t", 2, "^$",
     "Give the channel", false, nullptr},
    {"add|--date|{tomorrow}|--start|20:00|--end|21:00|--fm|80|--weekly|sat,fun|--title|t", 2, "^$",
     "“fun” is not a weekday", false, nullptr},
    {"add|--date|{tomorrow}|--start|20:00|--end|21:00|--fm|80", 2, "^$", "Give the title", false,
     nullptr},
    {"add|--date|{tomorrow}|--colour|red", 2, "^$", "unknown argument “--colour”", false, nullptr},
    {"remove|2|42", 2, "^$", "no reservation with the id 42", false, nullptr},
    {"remove", 2, "^$", "Give the id of at least one reservation", false, nullptr},
    {"remove|two", 2, "^$", "“two” is not a reservation id", false, nullptr},
    {"enable|2|two", 2, "^$", "“two” is not a reservation id", false, nullptr},
    {"disable|two", 2, "^$", "“two” is not a reservation id", false, nullptr},
    {"enable|0", 2, "^$", "Reservation 0 is over", false, nullptr},
    // All or nothing: a request refused for one id changes no other (2 is off).
    {"enable|2|0", 2, "^$", "Reservation 0 is over", false, nullptr},
    {"enable|2|42", 2, "^$", "no reservation with the id 42", false, nullptr},
    {"export|out.ics", 2, "^$", "give --ics", false, nullptr},
    {"list|--yaml", 2, "^$", "unknown argument “--yaml”", false, nullptr},
    {"history|--all", 2, "^$", "unknown argument “--all”", false, nullptr},
};

QString localDate(double instant) {
    return QDateTime::fromSecsSinceEpoch(static_cast<qint64>(instant))
        .toString(Qt::ISODate)
        .left(10);
}

// Runs command as uid with setpriv when this test runs as root (another user of the
// machine), as this user otherwise; true when it succeeded.
bool runAs(uid_t uid, QStringList const& command) {
    QStringList args = command;
    QString program = args.takeFirst();
    if (::geteuid() == 0) {
        args = QStringList{QStringLiteral("--reuid=%1").arg(uid),
                           QStringLiteral("--regid=%1").arg(uid), QStringLiteral("--clear-groups"),
                           QStringLiteral("--"), program} +
               args;
        program = QStringLiteral("setpriv");
    }
    return QProcess::execute(program, args) == 0;
}

constexpr uid_t kOtherUser = 50101;

// Owns the program's bus name and answers only the question of which reservation file it
// serves, with the file of the real one; every request it leaves unanswered.
class NameSquatter : public QDBusVirtualObject {
public:
    explicit NameSquatter(QString file) : m_file(std::move(file)) {}
    bool handleMessage(QDBusMessage const& message, QDBusConnection const& connection) override {
        if (message.member() == QLatin1String("Get")) {
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(m_file))));
        }
        return true;
    }
    QString introspect(QString const&) const override { return {}; }

private:
    QString m_file;
};

QByteArray readWhole(QString const& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT

    QTranslator m_translator;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<PrivateBus> m_bus;
    QString m_program;

    // The running program, in this process, when a case asks for it.
    std::unique_ptr<FakeEngineServices> m_fakes;
    std::unique_ptr<AppLocation> m_bundle;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<SingleInstance> m_single;
    ResvManBusAdaptor* m_api = nullptr;
    int m_lock = -1; // the running program's instance lock
    std::unique_ptr<WindowReservationTarget> m_target;
    std::unique_ptr<ReservationRequests> m_requests;
    int m_busSignals = 0;

    QString file() const { return m_dir->filePath(QStringLiteral(".ResvInfo.dat")); }

    struct Run {
        int exit = -1;
        QString out;
        QString err;
    };
    Run run(QString const& program, QStringList const& args, bool merged = false,
            QProcessEnvironment const& extra = {}) {
        QProcess process;
        if (merged) {
            process.setProcessChannelMode(QProcess::MergedChannels);
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_dir->filePath(QStringLiteral("home")));
        env.insert(QStringLiteral("TZ"), QStringLiteral("Asia/Tokyo"));
        env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        env.remove(QStringLiteral("LANGUAGE"));
        env.remove(QStringLiteral("LC_ALL"));
        env.remove(QStringLiteral("LC_MESSAGES"));
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_bus->address());
        env.insert(extra);
        process.setProcessEnvironment(env);
        process.start(program, args);
        // The program in this process answers while the command waits for it.
        bool const ended =
            process.waitForStarted(10000) &&
            QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 60000);
        Run result;
        if (!ended) {
            process.kill();
            process.waitForFinished(5000);
            result.err = QStringLiteral("(did not end)");
            return result;
        }
        result.exit = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        if (!merged) {
            result.err = QString::fromUtf8(process.readAllStandardError());
        }
        return result;
    }

    void startProgram(double now, std::string const& station = "テスト放送FM") {
        m_fakes = std::make_unique<FakeEngineServices>(now);
        m_bundle = std::make_unique<AppLocation>(m_dir->path().toStdString());
        QCOMPARE(InstanceLock::acquire(m_dir->path().toStdString(), &m_lock),
                 InstanceLock::Result::Acquired);
        RecordingEngine::Services services = m_fakes->services();
        services.location = m_bundle.get();
        std::string const presets = m_dir->filePath(QStringLiteral("Velto.plist")).toStdString();
        std::vector<char> const presetSlots = presetBytes({{true, 0, 8000, station}});
        writePresetFile(presets, &presetSlots, true);
        m_window = std::make_unique<MainWindow>(services);
        m_window->reservationDialog()->setPresetFile(presets);
        m_window->reservationDialog()->loadPresets();
        m_window->engine().load(); // no watch thread: nothing here is due
        m_window->reloadTable();

        QDBusConnection bus =
            QDBusConnection::connectToBus(m_bus->address(), QStringLiteral("program"));
        QVERIFY(bus.isConnected());
        m_single = std::make_unique<SingleInstance>(bus);
        m_api = new ResvManBusAdaptor(m_single.get(), bus);
        QCOMPARE(m_single->claim(), SingleInstance::Claim::Primary);
        m_target = std::make_unique<WindowReservationTarget>(*m_window);
        m_requests = std::make_unique<ReservationRequests>(*m_target);
        m_api->setReservationFile(QString::fromStdString(m_window->engine().reservationFilePath()));
        MainWindow* window = m_window.get();
        m_api->setFingerprint([window] { return reservationFingerprint(window->engine().list()); });
        m_api->setRequests(m_requests.get());
        connect(m_window.get(), &MainWindow::tableReloaded, m_api,
                &ResvManBusAdaptor::checkChanged);

        // What a script listening on the bus hears.
        QDBusConnection listener =
            QDBusConnection::connectToBus(m_bus->address(), QStringLiteral("listener"));
        QVERIFY(listener.connect(QString(), QString::fromLatin1(kResvManObjectPath),
                                 QString::fromLatin1(kResvManApiInterface),
                                 QStringLiteral("Changed"), this, SLOT(onChanged())));
    }

    // The titles in the window's table, in its order.
    QString tableTitles() {
        QAbstractItemModel* model = m_window->table()->model();
        QStringList titles;
        for (int row = 0; row < model->rowCount(); ++row) {
            titles << model->index(row, 7).data().toString();
        }
        titles.sort(); // the order of tomorrow's and Saturday's depends on the day
        return titles.join(QLatin1Char('|'));
    }
    QString fileTitles() {
        ReservationList saved;
        ReservationFile(file().toStdString()).load(saved);
        QStringList titles;
        Reservation rec;
        for (int i = 0; saved.readAt(i, rec); ++i) {
            titles << QString::fromUtf8(rec.title);
        }
        titles.sort();
        return titles.join(QLatin1Char('|'));
    }

    // A file with the one missed reservation (id 0).
    void seedOne() {
        Reservation missed =
            makeReservation(local(2020, 1, 6, 20, 0), local(2020, 1, 6, 21, 0), 954, kMissed);
        missed.pending = 0;
        ReservationList seed;
        CheckResult result;
        QVERIFY(seed.add(missed, result, 1));
        QVERIFY(ReservationFile(file().toStdString()).save(seed));
    }

    // What the JSON list and the calendar must say after the first steps.
    void checkJson(QString const& out, bool running, QString const& tomorrow) {
        QJsonArray const list = QJsonDocument::fromJson(out.toUtf8()).array();
        QCOMPARE(list.size(), 4);
        QHash<int, QJsonObject> byId;
        for (QJsonValue const& v : list) {
            byId.insert(v.toObject().value("id").toInt(), v.toObject());
        }
        QCOMPARE(byId[0].value("state").toString(), QStringLiteral("missed"));
        QJsonObject const jazz = byId[1];
        QCOMPARE(jazz.value("weekly").toArray(), QJsonArray{"sat"});
        QCOMPARE(QDate::fromString(jazz.value("date").toString(), Qt::ISODate).dayOfWeek(), 6);
        QCOMPARE(jazz.value("band").toString(), QStringLiteral("FM"));
        QCOMPARE(jazz.value("frequency").toString(), QStringLiteral("80.0"));
        if (running) { // the program's own presets
            QCOMPARE(jazz.value("station").toString(), QStringLiteral("テスト放送FM"));
        }
        QJsonObject const news = byId[2];
        QCOMPARE(news.value("date").toString(), tomorrow);
        QCOMPARE(news.value("start").toString(), QStringLiteral("23:00"));
        QCOMPARE(news.value("end").toString(), QStringLiteral("01:00"));
        QCOMPARE(news.value("endTime").toInteger() - news.value("startTime").toInteger(), 7200);
        QCOMPARE(news.value("state").toString(), QStringLiteral("overlapping"));
        QCOMPARE(news.value("title").toString(), QStringLiteral("ニュース"));
        QCOMPARE(byId[3].value("state").toString(), QStringLiteral("overlapping"));
        QCOMPARE(byId[3].value("weekly").toArray(), QJsonArray());
    }
    void checkCalendar(QString const& path) {
        QProcess parser;
        parser.start(
            QStringLiteral("/usr/bin/python3"),
            {QString::fromUtf8(kSourceDir) + QStringLiteral("/tests/app/check_icalendar.py"),
             path});
        QVERIFY(parser.waitForFinished(60000));
        QVERIFY2(parser.exitCode() == 0, parser.readAllStandardError().constData());
        QJsonArray const events = QJsonDocument::fromJson(parser.readAllStandardOutput()).array();
        QStringList got;
        for (QJsonValue const& v : events) {
            QJsonObject const e = v.toObject();
            got << e.value("summary").toString() + ' ' + e.value("rule").toString() + ' ' +
                       e.value("description").toString().section('\n', 0, 0);
        }
        got.sort();
        // The missed reservation is no event; Saturday 20:00 in Japan is Saturday in UTC.
        QCOMPARE(got, (QStringList{"Jazz WEEKLY:SA FM 80.0 MHz", "Overlap  AM 594 kHz",
                                   "ニュース  AM 954 kHz"}));
    }

    // A history with a hand-over and a miss, written as the program writes it.
    void seedHistory() {
        SqliteJournal journal(m_dir->filePath(QStringLiteral(".ResvHistory.db")).toStdString());
        Reservation rec = makeReservation(local(2024, 1, 15, 21, 0), local(2024, 1, 15, 21, 30),
                                          0x01000000 | 8000, "Quiz\x1b[2J\nforged");
        journal.record(RecordingEngine::journalEntry(JournalKind::HandedOver, rec, rec.start - 50));
        rec = makeReservation(local(2024, 1, 16, 9, 0), local(2024, 1, 16, 10, 0), 954, "Lost");
        JournalEntry missed = RecordingEngine::journalEntry(JournalKind::Missed, rec, rec.end);
        missed.reason = MissReason::NotRunning;
        journal.record(missed);
        QVERIFY(journal.flush());
    }
    void checkHistoryJson(QString const& out) {
        QJsonArray const rows = QJsonDocument::fromJson(out.toUtf8()).array();
        QStringList got;
        for (QJsonValue const& v : rows) {
            QJsonObject const row = v.toObject();
            if (row.contains(QStringLiteral("title"))) {
                got << row.value("event").toString() + ' ' + row.value("title").toString() + ' ' +
                           QString::number(row.value("end").toDouble() -
                                           row.value("start").toDouble()) +
                           ' ' + row.value("reservation").toString();
            }
        }
        QCOMPARE(got,
                 (QStringList{"missed Lost 3600 01/16 09:00–10:00, AM 954",
                              "handed-over Quiz\x1b[2J\nforged 1800 01/15 21:00–21:30, FM 80.0"}));
    }

public slots:
    void onChanged() { ++m_busSignals; }

private slots:
    void initTestCase() {
        QVERIFY(m_translator.load(QStringLiteral(":/i18n/resvman_en.qm")));
        QCoreApplication::installTranslator(&m_translator);
        pinTimeZone("Asia/Tokyo");
        QVERIFY(QFile::exists(QString::fromUtf8(kProgram)));
    }

    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("home"))));
        QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("ResvMan.app"))));
        m_program = m_dir->filePath(QStringLiteral("ResvMan.app/resvman"));
        QVERIFY(QFile::copy(QString::fromUtf8(kProgram), m_program));
        m_bus = std::make_unique<PrivateBus>();
        QVERIFY(!m_bus->address().isEmpty());
        m_busSignals = 0;
    }

    void cleanup() {
        m_requests.reset();
        m_target.reset();
        m_single.reset(); // and the adaptor with it
        m_api = nullptr;
        QDBusConnection::disconnectFromBus(QStringLiteral("program"));
        QDBusConnection::disconnectFromBus(QStringLiteral("listener"));
        m_window.reset();
        m_bundle.reset();
        m_fakes.reset();
        if (m_lock >= 0) {
            ::close(m_lock);
            m_lock = -1;
        }
        m_bus.reset();
        m_dir.reset();
    }

    void commands_data() {
        QTest::addColumn<bool>("running");
        QTest::newRow("no program running: on the file") << false;
        QTest::newRow("program running: through its D-Bus interface") << true;
    }
    void commands() {
        QFETCH(bool, running);
        double const now = static_cast<double>(QDateTime::currentSecsSinceEpoch());
        QString const tomorrow = localDate(now + 86400);
        QString const yesterday = localDate(now - 86400);
        seedOne();
        seedHistory();
        // In a folder every user may write, another user has put a link where the victim's
        // calendar will go, to a file of the victim's.
        QString const shared = m_dir->filePath(QStringLiteral("shared"));
        QVERIFY(QDir().mkpath(shared));
        ::chmod(QFile::encodeName(m_dir->path()).constData(), 0755);
        ::chmod(QFile::encodeName(shared).constData(), 01777);
        QString const notes = m_dir->filePath(QStringLiteral("notes.txt"));
        QFile(notes).open(QIODevice::WriteOnly);
        QVERIFY(runAs(kOtherUser, {QStringLiteral("ln"), QStringLiteral("-s"), notes,
                                   shared + QStringLiteral("/link.ics")}));
        if (running) {
            startProgram(now);
            if (QTest::currentTestFailed()) {
                return;
            }
        }

        QString expectedTitles = QString::fromLatin1(kMissed);
        for (Step const& step : kSteps) {
            QStringList args = QString::fromUtf8(step.args).split(QLatin1Char('|'));
            for (QString& arg : args) {
                arg.replace(QStringLiteral("{tomorrow}"), tomorrow)
                    .replace(QStringLiteral("{yesterday}"), yesterday)
                    .replace(QStringLiteral("{dir}"), m_dir->path())
                    .replace(QStringLiteral("{long}"), kLongTitle)
                    .replace(QStringLiteral("{control}"), kControlTitle);
            }
            QByteArray const before = readWhole(file());
            int const signalsBefore = m_busSignals;
            Run const result = run(m_program, args);
            QByteArray const what = step.args;

            QVERIFY2(result.exit == step.exit, what + " exited with " +
                                                   QByteArray::number(result.exit) + ": " +
                                                   result.err.toUtf8() + result.out.toUtf8());
            if (step.out) {
                QVERIFY2(
                    QRegularExpression(QString::fromUtf8(step.out)).match(result.out).hasMatch(),
                    what + " printed: " + result.out.toUtf8());
            }
            if (step.err) {
                QVERIFY2(
                    QRegularExpression(QString::fromUtf8(step.err)).match(result.err).hasMatch(),
                    what + " said: " + result.err.toUtf8());
            }
            QByteArray const after = readWhole(file());
            QVERIFY2(step.changes == (before != after), what + " and the file");
            if (step.changes) {
                // Without the program its wake-up plan is behind, and that is said.
                bool const noted = result.err.contains(QStringLiteral("not running"));
                QVERIFY2(noted == !running, what + " said: " + result.err.toUtf8());
            }
            if (step.titles) {
                QStringList sorted = QString::fromUtf8(step.titles)
                                         .replace(QStringLiteral("{control}"), kControlTitle)
                                         .split(QLatin1Char('|'));
                sorted.sort();
                expectedTitles = sorted.join(QLatin1Char('|'));
            }
            QCOMPARE(fileTitles(), expectedTitles);
            if (running) {
                QCOMPARE(tableTitles(), expectedTitles);
                // The bus carried one Changed for every change (it may arrive a little later).
                (void)QTest::qWaitFor([&] { return m_busSignals > signalsBefore; },
                                      step.changes ? 5000 : 200);
                QVERIFY2((m_busSignals > signalsBefore) == step.changes, what + " and Changed");
            }
            if (what == "list|--json") {
                checkJson(result.out, running, tomorrow);
            } else if (what == "history|--json") {
                checkHistoryJson(result.out);
            } else if (what.startsWith("export") && step.exit == 0) {
                checkCalendar(m_dir->filePath(QStringLiteral("out.ics")));
            } else if (what.startsWith("export")) {
                QCOMPARE(readWhole(notes), QByteArray());
                QVERIFY(QFileInfo(shared + QStringLiteral("/link.ics")).isSymLink());
            }
            if (QTest::currentTestFailed()) {
                return;
            }
        }
    }

    // A program that holds the file but cannot be reached (another session's bus): the
    // command waits a moment for the lock, then gives up with 1 and leaves the file alone.
    void heldFileIsLeftAlone() {
        QVERIFY(QFile(file()).open(QIODevice::WriteOnly));
        int lock = -1;
        QCOMPARE(InstanceLock::acquire(m_dir->path().toStdString(), &lock),
                 InstanceLock::Result::Acquired);
        Run const result = run(m_program, {QStringLiteral("remove"), QStringLiteral("0")});
        ::close(lock);
        QCOMPARE(result.exit, 1);
        QVERIFY2(result.err.contains(QStringLiteral("cannot be reached")), result.err.toUtf8());
        QCOMPARE(readWhole(file()), QByteArray());
    }

    // Another process of the user owns the program's name and claims its file, but holds no
    // lock on it: it is not asked (it would never answer), and the file is changed directly.
    void nameSquatterIsNotBelieved() {
        seedOne();
        QDBusConnection squatter =
            QDBusConnection::connectToBus(m_bus->address(), QStringLiteral("program"));
        NameSquatter object(file());
        QVERIFY(squatter.registerVirtualObject(QString::fromLatin1(kResvManObjectPath), &object));
        QVERIFY(squatter.registerService(QString::fromLatin1(kResvManBusName)));
        Run const result = run(m_program, {QStringLiteral("remove"), QStringLiteral("0")});
        QVERIFY2(result.exit == 0, result.err.toUtf8());
        QVERIFY2(result.err.contains(QStringLiteral("not running")), result.err.toUtf8());
        QCOMPARE(fileTitles(), QString());
    }

    // A lock that cannot be taken (someone made it a FIFO, or a link to nowhere): nothing is
    // changed without it.
    void unusableLockChangesNothing_data() {
        QTest::addColumn<bool>("fifo");
        QTest::newRow("a FIFO") << true;
        QTest::newRow("a dangling link") << false;
    }
    void unusableLockChangesNothing() {
        QFETCH(bool, fifo);
        seedOne();
        QString const lock = file() + QStringLiteral(".lock");
        QVERIFY(fifo ? ::mkfifo(QFile::encodeName(lock).constData(), 0600) == 0
                     : QFile::link(m_dir->filePath(QStringLiteral("nowhere")), lock));
        QByteArray const before = readWhole(file());
        Run const result = run(m_program, {QStringLiteral("remove"), QStringLiteral("0")});
        QCOMPARE(result.exit, 1);
        QVERIFY2(result.err.contains(QStringLiteral("cannot be taken")), result.err.toUtf8());
        QCOMPARE(readWhole(file()), before);
        QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("nowhere"))));
    }

    // A bundle in a folder others may change, and no safe per-user folder either: the
    // command refuses, as the window does, instead of writing wherever it can.
    void noSafeFolderIsRefused() {
        QString const open = m_dir->filePath(QStringLiteral("open"));
        QVERIFY(QDir().mkpath(open + QStringLiteral("/ResvMan.app")));
        ::chmod(QFile::encodeName(open).constData(), 0777);
        QString const program = open + QStringLiteral("/ResvMan.app/resvman");
        QVERIFY(QFile::copy(m_program, program));
        bool const rootFileBefore = QFile::exists(QStringLiteral("/.ResvInfo.dat"));
        QProcessEnvironment env;
        env.insert(QStringLiteral("XDG_DATA_HOME"), open);
        Run const result = run(program,
                               {QStringLiteral("add"), QStringLiteral("--date=2040-01-01"),
                                QStringLiteral("--start=20:00"), QStringLiteral("--end=21:00"),
                                QStringLiteral("--fm=80"), QStringLiteral("--title=t")},
                               false, env);
        if (!rootFileBefore && QFile::exists(QStringLiteral("/.ResvInfo.dat"))) {
            QFile::remove(QStringLiteral("/.ResvInfo.dat"));
            QFAIL("wrote /.ResvInfo.dat");
        }
        QCOMPARE(result.exit, 1);
        QVERIFY2(result.err.contains(QStringLiteral("cannot be kept safely")), result.err.toUtf8());
        QVERIFY(!QFile::exists(open + QStringLiteral("/.ResvInfo.dat")));
        QVERIFY(!QFile::exists(open + QStringLiteral("/resvman/.ResvInfo.dat")));
    }

    // A script reads standard error as the command's own words: nothing else may be there.
    // Qt 6.4 registers its D-Bus types in its bus thread, and a command that met one of them
    // there first said "Trying to construct an instance of an invalid type" about one run in
    // twenty; 150 runs find that almost surely.
    void standardErrorIsQuietOnEveryRun() {
        seedOne();
        for (int i = 0; i < 150; ++i) {
            Run const result = run(m_program, {QStringLiteral("list"), QStringLiteral("--json")});
            QCOMPARE(result.exit, 0);
            QVERIFY2(result.err.isEmpty(),
                     qPrintable(QStringLiteral("run %1 said: %2").arg(i).arg(result.err)));
        }
    }

    // On a machine without an RTC (this one, and most virtual machines) the check names it
    // and exits 1, in text and in JSON; an unknown argument is 2.
    void checkWakeNamesTheMissingRtc() {
        if (QFileInfo::exists(QStringLiteral("/sys/class/rtc/rtc0"))) {
            QSKIP("this machine has an RTC");
        }
        Run const text = run(m_program, {QStringLiteral("check-wake")});
        QCOMPARE(text.exit, 1);
        QVERIFY2(text.out.contains(QStringLiteral("[Problem] Clock alarm (RTC)\n    This computer "
                                                  "has no real-time clock (RTC)")),
                 text.out.toUtf8());
        Run const json = run(m_program, {QStringLiteral("check-wake"), QStringLiteral("--json")});
        QCOMPARE(json.exit, 1);
        QJsonArray const checks = QJsonDocument::fromJson(json.out.toUtf8())
                                      .object()
                                      .value(QStringLiteral("checks"))
                                      .toArray();
        QCOMPARE(checks.size(), 8);
        QJsonObject const rtc = checks.at(2).toObject();
        QCOMPARE(rtc.value(QStringLiteral("check")).toString(), QStringLiteral("rtc"));
        QCOMPARE(rtc.value(QStringLiteral("verdict")).toString(), QStringLiteral("problem"));
        QVERIFY(!rtc.value(QStringLiteral("advice")).toString().isEmpty());
        QCOMPARE(run(m_program, {QStringLiteral("check-wake"), QStringLiteral("--fix")}).exit, 2);
        // The test wake-up suspends nothing without a "yes".
        QProcess test;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_dir->filePath(QStringLiteral("home")));
        env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        for (char const* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"}) {
            env.remove(QString::fromLatin1(name));
        }
        test.setProcessEnvironment(env);
        test.start(m_program, {QStringLiteral("check-wake"), QStringLiteral("--test")});
        QVERIFY(test.waitForStarted(10000));
        test.write("no\n");
        test.closeWriteChannel();
        QVERIFY(test.waitForFinished(60000));
        QCOMPARE(test.exitCode(), 2);
        QVERIFY(QString::fromUtf8(test.readAllStandardError())
                    .contains(QStringLiteral("No test wake-up")));
    }

    // A weekly programme written "Monday 25:00-27:00" is stored as Tuesday 01:00-03:00; the
    // list shows it as written only with the late-night setting on, the JSON never.
    void lateNightTimesInTheList() {
        QStringList const add{"add",   "--date",  "2030-03-04", "--start", "25:00",
                              "--end", "27:00",   "--fm",       "91.6",    "--weekly",
                              "mon",   "--title", "Late"};
        QCOMPARE(run(m_program, add).exit, 0);
        QRegularExpression const asStored(
            QStringLiteral("2030-03-05 \\(Tue\\) +01:00 +03:00 +Tue +FM 91.6"));
        QRegularExpression const asWritten(
            QStringLiteral("2030-03-04 \\(Mon\\) +25:00 +27:00 +Mon +FM 91.6"));
        Run const plain = run(m_program, {"list"});
        QVERIFY2(asStored.match(plain.out).hasMatch(), plain.out.toUtf8());

        QString const config = m_dir->filePath(QStringLiteral("home/.config/Velto"));
        QVERIFY(QDir().mkpath(config));
        QFile settings(config + QStringLiteral("/ResvMan.conf"));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[General]\nLATENIGHTHOURS=1\n");
        settings.close();
        Run const written = run(m_program, {"list"});
        QVERIFY2(asWritten.match(written.out).hasMatch(), written.out.toUtf8());
        QJsonObject const json =
            QJsonDocument::fromJson(run(m_program, {"list", "--json"}).out.toUtf8())
                .array()
                .first()
                .toObject();
        QCOMPARE(json.value("date").toString(), QStringLiteral("2030-03-05"));
        QCOMPARE(json.value("start").toString(), QStringLiteral("01:00"));
        QCOMPARE(json.value("weekly").toArray(), QJsonArray{"tue"});
    }

    // The examples of the D-Bus page, run as written against a running program: the output
    // shown there is what busctl prints, and the interface shown there is the one served.
    void documentedBusExamples() {
        QFile page(QString::fromUtf8(kSourceDir) + QStringLiteral("/docs/dbus-interface.md"));
        QVERIFY(page.open(QIODevice::ReadOnly));
        QString const text = QString::fromUtf8(page.readAll());
        startProgram(jst(2025, 2, 28, 12, 0), "Velto FM");

        // Asked without blocking: the program answers from this thread's event loop.
        QDBusPendingCall const introspect =
            QDBusConnection::connectToBus(m_bus->address(), QStringLiteral("listener"))
                .asyncCall(QDBusMessage::createMethodCall(
                    QString::fromLatin1(kResvManBusName), QString::fromLatin1(kResvManObjectPath),
                    QStringLiteral("org.freedesktop.DBus.Introspectable"),
                    QStringLiteral("Introspect")));
        QVERIFY(QTest::qWaitFor([&] { return introspect.isFinished(); }, 10000));
        QString const served = introspect.reply().arguments().value(0).toString();
        QRegularExpression const element(
            QStringLiteral("<interface name=\"org.velto.ResvMan1\">.*?</interface>"),
            QRegularExpression::DotMatchesEverythingOption);
        auto squeezed = [&](QString const& s) {
            return element.match(s).captured(0).simplified().remove(QStringLiteral("> <"));
        };
        QVERIFY2(!squeezed(served).isEmpty(), served.toUtf8());
        QCOMPARE(squeezed(text), squeezed(served));

        // "$ busctl …" lines of the examples, each followed by what it prints.
        QString const examples = text.section(QStringLiteral("<!-- examples -->"), 1, 1);
        QStringList lines = examples.split(QLatin1Char('\n'));
        int commands = 0;
        for (int i = 0; i < lines.size(); ++i) {
            if (!lines[i].startsWith(QStringLiteral("$ "))) {
                continue;
            }
            QString command = lines[i].mid(2);
            while (command.endsWith(QLatin1Char('\\')) && i + 1 < lines.size()) {
                command.chop(1);
                command += lines[++i].trimmed();
            }
            QStringList expected;
            while (i + 1 < lines.size() && !lines[i + 1].startsWith(QStringLiteral("$ ")) &&
                   !lines[i + 1].startsWith(QStringLiteral("```"))) {
                expected << lines[++i];
            }
            // What a person sees, refusals included.
            Run const result =
                run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command}, true);
            QCOMPARE(result.out.trimmed(), expected.join(QLatin1Char('\n')).trimmed());
            ++commands;
        }
        QVERIFY(commands >= 4);
        QCOMPARE(tableTitles(), QStringLiteral("Saturday Jazz"));
    }
};

QTEST_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
