// The recording history in the windows: the History window (menu, order, wording in both
// languages, failures marked), the reason behind the missed icon, the desktop notifications
// of failures with the one start-up summary, and the notice when the history cannot be kept.
// Also prints the time to open the History window on a real journal of 10,000 rows.
#include "ui/HistoryWindow.h"
#include "MainWindowFixture.h"
#include "ReservationTestSupport.h"
#include "history/SqliteJournal.h"
#include "platform/ISettings.h"
#include "ui/HistoryModel.h"
#include "ui/HistoryPresenter.h"
#include "ui/NoticeArea.h"
#include "ui/RecordingNotices.h"

#include "tests/support/FakeDesktopNotifier.h"
#include "tests/support/FakeJournal.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

namespace {

constexpr double kNow = 1705312800.0;           // Mon 2024-01-15 10:00 UTC
constexpr double kStart = kNow - 13.0 * 3600.0; // 21:00 the evening before
constexpr uint32_t kFM800 = 0x01001F40;

JournalEntry makeEntry(JournalKind kind, double at, char const* title, double start = kStart) {
    Reservation rec;
    rec.start = start;
    rec.end = start + 1800.0;
    rec.frequency = kFM800;
    std::strncpy(rec.title, title, sizeof rec.title - 1);
    return RecordingEngine::journalEntry(kind, rec, at);
}

JournalEntry missedEntry(double at, char const* title, MissReason reason, double start = kStart) {
    JournalEntry entry = makeEntry(JournalKind::Missed, at, title, start);
    entry.reason = reason;
    return entry;
}

JournalEntry handedOver(double at, char const* title, bool present) {
    JournalEntry entry = makeEntry(JournalKind::HandedOver, at, title);
    entry.lead = 52.0;
    entry.present = present;
    entry.companion = present ? CompanionState::Started : CompanionState::NotStarted;
    return entry;
}

JournalEntry finishedEntry(double at, char const* title, RecordingOutcome result, std::string file,
                           double seconds, char const* reasonKey = "") {
    JournalEntry entry = makeEntry(JournalKind::RecordingFinished, at, title);
    entry.result = result;
    entry.file = std::move(file);
    entry.seconds = seconds;
    entry.reasonKey = reasonKey;
    entry.reasonText = "Velto's own words <b>&amp;</b>";
    entry.source = "receiver";
    return entry;
}

JournalEntry wokeEntry(double at, WakeOutcome outcome, double planned) {
    JournalEntry entry;
    entry.kind = JournalKind::Woke;
    entry.at = at;
    entry.wake = outcome;
    entry.planned = planned;
    return entry;
}

} // namespace

class HistoryWindowTest : public QObject, MainWindowFixture {
    Q_OBJECT

    std::unique_ptr<FakeJournal> m_journal;
    FakeDesktopNotifier m_notifier;

    void openWindow(IRecordingJournal* journal) {
        makeWindow(kNow, journal);
        m_window->setRecordingNotices(new RecordingNotices(&m_notifier, m_window.get()));
    }
    HistoryPresenter* presenter() { return m_window->history(); }
    HistoryWindow* historyWindow() { return m_window->history()->window(); }
    QAction* historyAction() { return m_window->action(MainWindow::Action::History); }

    QString cell(int row, int column, int role = Qt::DisplayRole) {
        HistoryModel* model = historyWindow()->model();
        return model->data(model->index(row, column), role).toString();
    }

    // With RESVMAN_SCREENSHOTS set to a folder, the History window as it shows, for the
    // documentation (history-window-en.png, history-window-ja.png).
    void saveScreenshot(HistoryWindow* window, char const* language) {
        QString const dir = qEnvironmentVariable("RESVMAN_SCREENSHOTS");
        if (!dir.isEmpty()) {
            QVERIFY(window->grab().save(
                QDir(dir).filePath(QStringLiteral("history-window-%1.png").arg(language))));
        }
    }

    QStringList shownSince(std::size_t before) {
        QStringList texts;
        for (std::size_t i = before; i < m_notifier.all.size(); ++i) {
            texts << QString::fromStdString(m_notifier.all[i].summary + " | " +
                                            m_notifier.all[i].body);
        }
        return texts;
    }

private slots:
    void init() {
        useLanguage(":/i18n/resvman_en.qm");
        pinTimeZone("UTC");
        m_journal = std::make_unique<FakeJournal>();
        m_notifier.all.clear();
        openWindow(m_journal.get());
    }

    void cleanup() {
        closeWindow();
        m_journal.reset();
    }

    void historyListsNewestFirstInBothLanguagesWithFailuresMarked() {
        m_journal->record(handedOver(kNow - 7200.0, "Morning", true));
        m_journal->record(missedEntry(kNow - 3600.0, "News", MissReason::AsleepOrOff));
        m_journal->record(handedOver(kNow - 1800.0, "Quiz", false));
        m_journal->record(wokeEntry(kNow - 60.0, WakeOutcome::Late, kNow - 960.0));

        QCOMPARE(historyAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+H")));
        historyAction()->trigger();
        HistoryWindow* history = historyWindow();
        QVERIFY(history != nullptr && history->isVisible());
        QCOMPARE(history->model()->rowCount(), 4);

        QCOMPARE(cell(0, HistoryModel::Time), QStringLiteral("2024/01/15 (Mon) 09:59"));
        QCOMPARE(cell(0, HistoryModel::Outcome), QStringLiteral("Computer woke from sleep"));
        QCOMPARE(cell(0, HistoryModel::Reason),
                 QStringLiteral("15 min after the wake-up planned at 2024/01/15 (Mon) 09:44."));
        QCOMPARE(cell(1, HistoryModel::Outcome),
                 QStringLiteral("Handed over, but Velto did not receive it"));
        QCOMPARE(cell(2, HistoryModel::Title),
                 QStringLiteral("News  (01/14 21:00–21:30, FM 80.0)"));
        QCOMPARE(cell(2, HistoryModel::Reason),
                 QStringLiteral("The computer was asleep or switched off at its start time."));
        QCOMPARE(cell(3, HistoryModel::Reason),
                 QStringLiteral("Velto was started; sent 52 s before the start."));
        // The newest in full below the table, where a column would cut it short.
        QCOMPARE(history->details(),
                 QStringLiteral("2024/01/15 (Mon) 09:59 · Computer woke from sleep\n15 min after "
                                "the wake-up planned at 2024/01/15 (Mon) 09:44."));
        HistoryModel* model = history->model();
        for (int row = 0; row < 4; ++row) {
            bool const failed = row < 3;
            QCOMPARE(
                model->data(model->index(row, HistoryModel::Status), Qt::DecorationRole).isValid(),
                failed);
            QCOMPARE(
                model->data(model->index(row, HistoryModel::Outcome), Qt::ForegroundRole).isValid(),
                failed);
        }

        // An entry that arrives while the window is open shows up in it.
        JournalEntry const late = missedEntry(kNow, "Late news", MissReason::NotRunning);
        m_journal->record(late);
        presenter()->journalRecorded(late);
        QTRY_COMPARE(model->rowCount(), 5);
        QCOMPARE(cell(0, HistoryModel::Title),
                 QStringLiteral("Late news  (01/14 21:00–21:30, FM 80.0)"));
        saveScreenshot(history, "en");

        useLanguage(":/i18n/resvman_ja.qm");
        presenter()->showHistory();
        QCOMPARE(cell(1, HistoryModel::Time), QStringLiteral("2024/01/15 (月) 09:59"));
        QCOMPARE(cell(3, HistoryModel::Outcome), QStringLiteral("録音されず"));
        QCOMPARE(cell(3, HistoryModel::Reason),
                 QStringLiteral("開始時刻にコンピュータがスリープ中か、電源が切れていました。"));
        QCOMPARE(model->headerData(HistoryModel::Time, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("日時"));
        QTRY_VERIFY(history->windowTitle().startsWith(QStringLiteral("録音の履歴")));
        saveScreenshot(history, "ja");
    }

    // A hand-off with margins shows the programme and the span recorded; with the late-night
    // setting, a programme from 01:00 on the day before, as the guides write it.
    void recordedSpanAndLateNightTimes() {
        JournalEntry entry = makeEntry(JournalKind::HandedOver, kNow, "Late", kNow - 9 * 3600.0);
        entry.present = true;
        entry.instants = {entry.start - 120.0, entry.end + 300.0};
        m_journal->record(entry);
        historyAction()->trigger();
        QCOMPARE(cell(0, HistoryModel::Title),
                 QStringLiteral("Late  (01/15 01:00–01:30, FM 80.0, recorded 00:58–01:35)"));
        m_fakes->settings.setInteger(kLateNightHoursKey, 1);
        useLanguage(":/i18n/resvman_ja.qm");
        presenter()->showHistory();
        QCOMPARE(cell(0, HistoryModel::Title),
                 QStringLiteral("Late  (01/14 25:00–25:30, FM 80.0, 録音 24:58〜25:35)"));
    }

    void missedIconTellsTheReason() {
        Reservation rec;
        rec.start = kStart;
        rec.end = kStart + 1800.0;
        rec.frequency = kFM800;
        std::strcpy(rec.title, "News");
        rec.pending = 0;
        CheckResult result;
        QVERIFY(list().add(rec, result, 1));
        m_window->reloadTable();
        QAbstractItemModel* table = m_window->table()->model();
        QString const before = table->data(table->index(0, 0), Qt::ToolTipRole).toString();
        QCOMPARE(before, QStringLiteral(
                             "Missed: the time of this reservation passed without a recording."));

        m_journal->record(missedEntry(kNow, "News", MissReason::NotRunning));
        QCOMPARE(table->data(table->index(0, 0), Qt::ToolTipRole).toString(),
                 before +
                     QStringLiteral("\nVelto Timer Recorder was not running at its start time."));

        // The history's tooltips show titles as they are, never as markup.
        m_journal->record(missedEntry(kNow + 1.0, kMarkupTitle, MissReason::NotRunning));
        historyAction()->trigger();
        HistoryModel* const model = historyWindow()->model();
        QString const tip = toolTipShows(
            model->data(model->index(0, HistoryModel::Title), Qt::ToolTipRole).toString());
        QVERIFY2(tip.startsWith(QString::fromUtf8(kMarkupTitle) + QStringLiteral(" (")),
                 qPrintable(tip));
    }

    void failuresAreNotifiedAndTheStartupMissesOnlyOnce() {
        // Two reservations passed while the program was not running, one is still ahead.
        for (auto const& [title, start] :
             {std::pair{"News", kStart}, {"Jazz", kStart + 3600.0}, {"Later", kNow + 3600.0}}) {
            Reservation rec;
            rec.start = start;
            rec.end = start + 1800.0;
            rec.frequency = kFM800;
            std::strcpy(rec.title, title);
            CheckResult result;
            QVERIFY(list().add(rec, result, 1));
        }
        QVERIFY(m_window->engine().save());
        m_window->start();
        QCOMPARE(shownSince(0),
                 QStringList{QStringLiteral("Recordings were missed | 2 recordings were missed "
                                            "while Velto Timer Recorder was not running: "
                                            "“News”, “Jazz”")});
        QVERIFY(m_notifier.all[0].critical);

        struct Case {
            JournalEntry entry;
            QString told; // "" for nothing
        };
        Case const cases[] = {
            {missedEntry(kNow, "News", MissReason::NotRunning), {}}, // in the summary already
            {missedEntry(kNow, "Jazz", MissReason::NotRunning, kStart + 3600.0), {}},
            {missedEntry(kNow, "News", MissReason::WokeLate, kStart + 86400.0),
             "Recording missed: “News” | 01/15 21:00–21:30, FM 80.0\nThe computer woke up too "
             "late: a wake-up was planned, but it came up after the start time."},
            {handedOver(kNow, "Quiz", true), {}},
            {handedOver(kNow, "Quiz", false),
             "Velto did not receive the recording: “Quiz” | 01/14 21:00–21:30, FM 80.0\nVelto "
             "could not be started: nobody received the recording."},
            {finishedEntry(kNow, "Quiz", RecordingOutcome::Recorded, "/r/q.opus", 1799.0), {}},
            {finishedEntry(kNow, "Quiz", RecordingOutcome::Partial, "/r/q.opus", 1738.0,
                           "started-late"),
             "Recorded only in part: “Quiz” | 01/14 21:00–21:30, FM 80.0\nThe recording began "
             "after the programme's start. From the receiver. File: /r/q.opus"},
            // A reason this program does not know: the companion's words, as plain text.
            {finishedEntry(kNow, "Quiz", RecordingOutcome::Failed, "", 0.0, "odd-key"),
             "Not recorded: “Quiz” | 01/14 21:00–21:30, FM 80.0\nVelto's own words "
             "<b>&amp;</b>"},
            {wokeEntry(kNow, WakeOutcome::OnTime, kNow - 60.0), {}},
            {wokeEntry(kNow, WakeOutcome::Late, kNow - 960.0),
             "The computer woke up late | The wake-up planned for 2024/01/15 (Mon) 09:44 did not "
             "wake the computer in time: it came up at 2024/01/15 (Mon) 10:00."},
        };
        for (Case const& c : cases) {
            std::size_t const before = m_notifier.all.size();
            presenter()->journalRecorded(c.entry);
            QCOMPARE(shownSince(before), c.told.isEmpty() ? QStringList() : QStringList{c.told});
        }

        // A click on a notification opens the History window.
        QVERIFY(historyWindow() == nullptr);
        m_notifier.all.front().onAction("default");
        QVERIFY(historyWindow() != nullptr && historyWindow()->isVisible());
    }

    // A report: how much was recorded, the file to open or show, or why not; in both
    // languages and at twice the size.
    void reportsShowTheRecordingOrWhyNot() {
        QTemporaryDir dir;
        QString const file = dir.filePath(QStringLiteral("2024-01-14 2100 Quiz.opus"));
        QFile(file).open(QIODevice::WriteOnly);
        QFile(file + QStringLiteral(".desktop")).open(QIODevice::WriteOnly);
        m_journal->record(handedOver(kNow - 7200.0, "Quiz", true));
        m_journal->record(finishedEntry(kNow - 3600.0, "Quiz", RecordingOutcome::Recorded,
                                        file.toStdString(), 3598.6));
        m_journal->record(finishedEntry(kNow - 1800.0, "Gone", RecordingOutcome::Partial,
                                        dir.filePath(QStringLiteral("gone.opus")).toStdString(),
                                        7385.0, "source-lost"));
        m_journal->record(finishedEntry(kNow - 60.0, "Script", RecordingOutcome::Partial,
                                        file.toStdString() + ".desktop", 10.0, "stopped"));
        presenter()->showHistory();
        HistoryWindow* history = historyWindow();
        QCOMPARE(cell(2, HistoryModel::Outcome), QStringLiteral("Recorded 59:58"));
        QCOMPARE(cell(2, HistoryModel::Reason),
                 QStringLiteral("From the receiver. File: %1").arg(file));
        QCOMPARE(cell(1, HistoryModel::Outcome), QStringLiteral("Partly recorded 2:03:05"));
        QCOMPARE(cell(1, HistoryModel::Reason).left(47),
                 QStringLiteral("The sound source was lost during the recording."));

        struct Case {
            int row;
            QString problem; // after Open
        };
        Case const cases[] = {
            {3, QString()}, // the hand-over: no file, the buttons off
            {1, QStringLiteral("The recording is no longer there: ") +
                    dir.filePath(QStringLiteral("gone.opus"))},
            {0, QStringLiteral("Only sound files are opened from here: ") + file +
                    QStringLiteral(".desktop")},
        };
        for (Case const& c : cases) {
            history->table()->setCurrentIndex(history->model()->index(c.row, 1));
            QCOMPARE(history->openButton()->isEnabled(), c.row != 3);
            QCOMPARE(history->showInFolderButton()->isEnabled(), c.row != 3);
            if (c.row != 3) {
                history->openButton()->click();
            }
            QCOMPARE(history->fileProblem(), c.problem);
        }
        history->table()->setCurrentIndex(history->model()->index(2, 1));
        QVERIFY(history->fileProblem().isEmpty());
        saveScreenshot(history, "report-en");

        useLanguage(":/i18n/resvman_ja.qm");
        presenter()->showHistory();
        QCOMPARE(cell(2, HistoryModel::Outcome), QStringLiteral("録音済み 59:58"));
        QCOMPARE(cell(2, HistoryModel::Reason),
                 QStringLiteral("受信機から録音。 ファイル: %1").arg(file));
        QTRY_COMPARE(history->openButton()->text(), QStringLiteral("開く"));
        saveScreenshot(history, "report-ja");
    }

    void historyThatCannotBeKeptShowsANotice() {
        NoticeArea* notices = m_window->notices();
        presenter()->journalTrouble({SqliteJournal::Trouble::Kind::SetAside,
                                     "file is not a database",
                                     "/x/.ResvHistory.db.damaged-20240115-100000"});
        QString const setAside = notices->noticeText(NoticeKind::Journal);
        QVERIFY(setAside.contains(QStringLiteral("file is not a database")));
        QVERIFY(setAside.contains(QStringLiteral("/x/.ResvHistory.db.damaged-20240115-100000")));
        presenter()->journalTrouble({SqliteJournal::Trouble::Kind::Unavailable, "disk full", {}});
        QVERIFY(notices->noticeText(NoticeKind::Journal).contains(QStringLiteral("disk full")));
        presenter()->journalTrouble({SqliteJournal::Trouble::Kind::Recovered, {}, {}});
        QCOMPARE(notices->noticeText(NoticeKind::Journal), setAside);
    }

    // A figure, not a check of speed: the time from the menu command to the first drawing
    // of the History window over a real journal of 10,000 rows.
    void openingTheHistoryWithTenThousandRows() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        SqliteJournal::Options options;
        options.now = [] { return kNow; };
        SqliteJournal journal(dir.filePath(QStringLiteral(".ResvHistory.db")).toStdString(),
                              options);
        int const rows = 10000;
        for (int i = 0; i < rows; ++i) {
            double const at = kNow - (rows - i) * 1800.0;
            if (i % 10 == 0) {
                journal.record(missedEntry(at, "Evening news", MissReason::Unknown, at - 3600.0));
            } else {
                journal.record(handedOver(at, "Morning concert", i % 7 != 0));
            }
        }
        QVERIFY(journal.flush(std::chrono::seconds(60)));
        openWindow(&journal);

        QList<double> times, reads;
        for (int round = 0; round < 5; ++round) {
            QElapsedTimer read;
            read.start();
            QCOMPARE(journal.read(HistoryWindow::kShownEntries).size(), std::size_t(rows));
            reads << read.nsecsElapsed() / 1e6;
            if (historyWindow() != nullptr) {
                delete historyWindow();
            }
            QElapsedTimer timer;
            timer.start();
            historyAction()->trigger();
            HistoryWindow* history = historyWindow();
            QVERIFY(QTest::qWaitForWindowExposed(history));
            history->table()->viewport()->repaint();
            times << timer.nsecsElapsed() / 1e6;
            QCOMPARE(history->model()->rowCount(), rows);
        }
        std::sort(times.begin(), times.end());
        std::sort(reads.begin(), reads.end());
        qInfo("history window: %d rows, shown in %.1f ms (median of %lld; reading them %.1f ms)",
              rows, times[2], static_cast<long long>(times.size()), reads[2]);
        closeWindow(); // before the journal goes
    }
};

QTEST_MAIN(HistoryWindowTest)
#include "HistoryWindowTest.moc"
