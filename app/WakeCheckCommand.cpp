#include "app/WakeCheckCommand.h"

#include "app/TextTable.h"
#include "history/SqliteJournal.h"
#include "platform/linux/HelperSearch.h"
#include "platform/linux/LoginAutostart.h"
#include "platform/linux/PrivilegedScheduler.h"
#include "platform/linux/QSettingsStore.h"
#include "platform/linux/TestWakeUp.h"
#include "posix/SystemClock.h"
#include "ui/WakeCheckTexts.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <iostream>
#include <string>

namespace WakeCheckCommand {

namespace {

constexpr int kExitFine = 0;
constexpr int kExitProblem = 1;
constexpr int kExitCouldNotRun = 2;

void print(FILE* stream, QString const& text) {
    QByteArray const bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

void say(QString const& message) {
    print(stderr, QStringLiteral("resvman: ") + message + QLatin1Char('\n'));
}

// Asks on the terminal; only "yes" (or "y") goes ahead.
bool agreed() {
    //% "The computer will plan a wake-up two minutes from now and go to sleep; it should wake "
    //% "by itself. Type “yes” to start the test:"
    print(stderr, TextTable::wrapped(qtTrId("IDS_CLI_TEST_WAKE_ASK"), 78) + QLatin1Char(' '));
    std::string answer;
    if (!std::getline(std::cin, answer)) {
        return false;
    }
    return answer == "yes" || answer == "y";
}

// A test wake-up: the loop runs until it ends; answers how it went.
TestWakeResult runTest(IClock& clock, IPrivilegedOps& privileged) {
    TestWakeUp test(clock, privileged, QDBusConnection::systemBus(), RtcFacts::kSysfsRoot);
    TestWakeResult outcome;
    QObject::connect(&test, &TestWakeUp::planned, [](double) {
        //% "Wake-up planned two minutes ahead; going to sleep."
        say(qtTrId("IDS_CLI_TEST_WAKE_PLANNED"));
    });
    QObject::connect(&test, &TestWakeUp::finished, [&outcome](TestWakeResult const& result) {
        outcome = result;
        QCoreApplication::quit();
    });
    QMetaObject::invokeMethod(
        &test, [&test] { test.start(); }, Qt::QueuedConnection);
    QCoreApplication::exec();
    return outcome;
}

} // namespace

WakeFactsReader readerFor(std::string const& dataFolder, IPrivilegedOps* privileged,
                          ISettings* settings) {
    WakeFactsReader reader;
    reader.paths.autostartEntry = LoginAutostart::forThisProgram().entryPath();
    reader.paths.history = dataFolder + "/" + SqliteJournal::kFileName;
    reader.privileged = privileged;
    reader.settings = settings;
    reader.helper = [] {
        HelperSearch const search = HelperSearch::installed();
        if (!search.tool.empty()) {
            return WakeFacts::Helper::Installed;
        }
        return search.refused.empty() ? WakeFacts::Helper::Missing : WakeFacts::Helper::Untrusted;
    };
    return reader;
}

int run(QStringList const& arguments, std::string const& dataFolder) {
    bool json = false;
    bool test = false;
    for (QString const& argument : arguments) {
        if (argument == QLatin1String("--json")) {
            json = true;
        } else if (argument == QLatin1String("--test")) {
            test = true;
        } else {
            //% "check-wake: unknown argument “%1”. See “resvman --help”."
            say(qtTrId("IDS_CLI_BAD_ARGUMENT_CHECK_WAKE").arg(argument));
            return kExitCouldNotRun;
        }
    }

    QSettingsStore settings;
    PrivilegedScheduler privileged;
    privileged.setTool(HelperSearch::installed().tool);
    WakeFactsReader const reader = readerFor(dataFolder, &privileged, &settings);
    WakeFacts const facts = reader.read();
    std::vector<WakeFinding> const findings = WakeCheck::evaluate(facts);
    int status = WakeCheck::exitStatus(findings) == 0 ? kExitFine : kExitProblem;

    std::optional<TestWakeResult> tested;
    if (test) {
        if (!agreed()) {
            //% "No test wake-up: it was not agreed to."
            say(qtTrId("IDS_CLI_TEST_WAKE_DECLINED"));
            return kExitCouldNotRun;
        }
        SystemClock clock;
        tested = runTest(clock, privileged);
        double const now = clock.now();
        if (std::optional<JournalEntry> const entry = WakeCheck::testWakeEntry(*tested, now)) {
            SqliteJournal journal(reader.paths.history);
            journal.record(*entry);
            if (entry->failed()) {
                status = kExitProblem;
            }
        } else {
            status = kExitCouldNotRun;
        }
    }
    privileged.release();

    if (json) {
        QJsonArray checks;
        for (WakeFinding const& f : findings) {
            checks.append(QJsonObject{
                {QStringLiteral("check"), QString::fromLatin1(WakeCheck::checkId(f.check))},
                {QStringLiteral("verdict"), QString::fromLatin1(WakeCheck::verdictName(f.verdict))},
                {QStringLiteral("found"), WakeCheckTexts::found(f, facts)},
                {QStringLiteral("advice"), WakeCheckTexts::advice(f)}});
        }
        QJsonObject document{{QStringLiteral("checks"), checks}};
        if (tested) {
            document.insert(QStringLiteral("testWakeUp"),
                            WakeCheckTexts::testResult(*tested, static_cast<double>(facts.now)));
        }
        print(stdout, QString::fromUtf8(QJsonDocument(document).toJson(QJsonDocument::Indented)));
        return status;
    }
    QString text;
    for (WakeFinding const& f : findings) {
        text +=
            QStringLiteral("[%1] %2\n")
                .arg(WakeCheckTexts::verdictName(f.verdict), WakeCheckTexts::checkName(f.check));
        text += TextTable::wrapped(WakeCheckTexts::found(f, facts), 76, QStringLiteral("    ")) +
                QLatin1Char('\n');
        if (QString const advice = WakeCheckTexts::advice(f); !advice.isEmpty()) {
            text += TextTable::wrapped(QStringLiteral("→ ") + advice, 76, QStringLiteral("    ")) +
                    QLatin1Char('\n');
        }
    }
    if (tested) {
        //% "Test wake-up: %1"
        text += TextTable::wrapped(qtTrId("IDS_WAKECHECK_TEST_RESULT")
                                       .arg(WakeCheckTexts::testResult(*tested, facts.now)),
                                   78) +
                QLatin1Char('\n');
    }
    print(stdout, text);
    return status;
}

} // namespace WakeCheckCommand
