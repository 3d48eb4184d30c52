// The recorder's link to the manager: what it accepts from the bus, what it reports back,
// and its settings files, which the user may edit by hand.
#include "TempFolder.h"
#include "gui/ProgrammeMessage.h"
#include "gui/SettingsDialog.h"
#include "gui/VeltoSettings.h"
#include "platform/CompanionReport.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace velto {
namespace {

CompanionValues goodMessage() {
    return {{"CH", int32_t(8000)},
            {"BAND", std::string("FM")},
            {"RecStartTime", 1767229140.0},
            {"RecEndTime", 1767232800.0},
            {"Title", std::string("Morning News")},
            {"AppTerminate", true}};
}

CompanionValues with(const char* key, std::optional<CompanionValue> value) {
    CompanionValues values;
    for (auto& [name, old] : goodMessage()) {
        if (name != key)
            values.emplace_back(name, old);
        else if (value)
            values.emplace_back(name, *value);
    }
    return values;
}

TEST(ProgrammeMessage, ReadsTheSixEntriesAndRefusesAMissingOrMistypedOne) {
    SourceError error;
    const auto request = readProgrammeMessage(goodMessage(), error);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->programme.title, "Morning News");
    EXPECT_EQ(request->programme.station.band, Band::FM);
    EXPECT_EQ(request->programme.station.channel, 8000);
    EXPECT_EQ(std::chrono::system_clock::to_time_t(request->programme.start), 1767229140);
    EXPECT_EQ(std::chrono::system_clock::to_time_t(request->programme.end), 1767232800);
    EXPECT_TRUE(request->appTerminate);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* key;
        std::optional<CompanionValue> value; // none: left out
    };
    const Case refused[] = {
        {"CH", std::nullopt},           {"CH", std::string("8000")},
        {"BAND", std::string("fm")},    {"BAND", int32_t(1)},
        {"RecStartTime", std::nullopt}, {"RecStartTime", int32_t(1767229140)},
        {"RecStartTime", nan},          {"RecEndTime", 1e300},
        {"Title", std::nullopt},        {"Title", true},
        {"AppTerminate", std::nullopt}, {"AppTerminate", int32_t(1)},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.key);
        SourceError why;
        EXPECT_FALSE(readProgrammeMessage(with(c.key, c.value), why));
        EXPECT_EQ(why.key, "bad-message");
        EXPECT_NE(why.text.find(c.key == std::string("RecEndTime") ? "RecStartTime or RecEndTime"
                                                                   : c.key),
                  std::string::npos)
            << why.text;
    }
}

TEST(ProgrammeMessage, ATitleIsKeptAsHandedOverAndCutForTheReportsOnly) {
    // The file name is made safe where it is made. The reports carry the title as handed
    // over, cut to what the manager takes, so that a report is never refused whole.
    const std::string title = std::string(kReportTitleBytes - 1, 'x') + "\u00e9/../\x01";
    SourceError error;
    const auto request = readProgrammeMessage(with("Title", title), error);
    ASSERT_TRUE(request);
    EXPECT_TRUE(request->programme.title == title);
    RecordingReport report{request->programme,
                           "",
                           0,
                           RecordingResult::Failed,
                           "overlapped",
                           std::string(5000, 'r'),
                           0,
                           "",
                           {}};
    const CompanionValues values = finishedReport(report);
    std::string why;
    const auto parsed = CompanionReport::fromWire(kRecordingFinishedMessage, values, why);
    ASSERT_TRUE(parsed) << why;
    // Not split inside the two-byte character.
    EXPECT_TRUE(parsed->title == std::string(kReportTitleBytes - 1, 'x'));
    EXPECT_EQ(parsed->reasonText.size(), kReportTextBytes);
}

TEST(ProgrammeMessage, ReportsCarryTheEntriesAsHandedOver) {
    SourceError error;
    const auto request = readProgrammeMessage(goodMessage(), error);
    ASSERT_TRUE(request);
    RecordingReport report{
        request->programme, "/r/a.opus", 59.5, RecordingResult::Partial, "source-lost", "Lost.", 3,
        "receiver",         {}};
    const CompanionValues finished = finishedReport(report);
    const CompanionValues expected = {{"Title", std::string("Morning News")},
                                      {"RecStartTime", 1767229140.0},
                                      {"RecEndTime", 1767232800.0},
                                      {"BAND", std::string("FM")},
                                      {"CH", int32_t(8000)},
                                      {"File", std::string("/r/a.opus")},
                                      {"Seconds", 59.5},
                                      {"Result", std::string("partial")},
                                      {"Reason", std::string("source-lost")},
                                      {"ReasonText", std::string("Lost.")},
                                      {"Dropouts", int32_t(3)},
                                      {"Source", std::string("receiver")}};
    EXPECT_EQ(finished, expected);

    // A refused message: only its well-typed matching entries go back.
    const CompanionValues refused =
        refusedReport(with("CH", std::string("x")), {"bad-message", "The message's CH …"});
    for (const auto& [key, value] : refused)
        EXPECT_NE(key, "CH");
    EXPECT_EQ(std::get<std::string>(refused[0].second), "Morning News");
}

TEST(VeltoSettings, RoundTripsAndReadsAHandEditedFileSafely) {
    test::TempFolder folder;
    const QString dir = QString::fromStdString(folder.path().string());
    VeltoSettings settings;
    settings.source = "soapy:driver=rtlsdr,serial=00000001";
    settings.receiver.gainDb = 33.8;
    settings.receiver.ppm = -12.5;
    settings.receiver.amInput = AmInput::Upconverter;
    settings.receiver.upconverterHz = 120e6;
    settings.receiver.deemphasisSeconds = 75e-6;
    settings.folder = "/srv/radio";
    settings.stereoBitrate = 128'000;
    SourceError error;
    ASSERT_TRUE(settings.stations.set(
        {{Band::AM, 594}, "Tokyo 1", "https://example.org/a.m3u8", SourceUse::Stream}, error));
    ASSERT_TRUE(settings.save(dir));

    const VeltoSettings read = VeltoSettings::load(dir);
    EXPECT_EQ(read.stationsProblem, "");
    EXPECT_EQ(read.source, settings.source);
    EXPECT_EQ(read.receiver.gainDb, 33.8);
    EXPECT_EQ(read.receiver.ppm, -12.5);
    EXPECT_EQ(read.receiver.amInput, AmInput::Upconverter);
    EXPECT_EQ(read.receiver.upconverterHz, 120e6);
    EXPECT_EQ(read.receiver.deemphasisSeconds, 75e-6);
    EXPECT_EQ(read.folder, "/srv/radio");
    EXPECT_EQ(read.stereoBitrate, 128'000);
    EXPECT_EQ(read.sessionSettings().encoder.monoBitrate, 85'333);
    ASSERT_EQ(read.stations.entries().size(), 1u);
    EXPECT_EQ(read.stations.entries()[0].streamUrl, "https://example.org/a.m3u8");
    EXPECT_EQ(read.stations.entries()[0].use, SourceUse::Stream);

    // Hand-edited nonsense reads as the defaults. A stations file that cannot be read is
    // said so and never written over.
    QFile conf(dir + "/velto.conf");
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly | QIODevice::Truncate));
    conf.write("[Receiver]\ngain=loud\nppm=1e9\ndeemphasisMicroseconds=60\n"
               "[Recording]\nstereoBitrate=1\n");
    conf.close();
    QFile stations(dir + "/stations.conf");
    ASSERT_TRUE(stations.open(QIODevice::Append));
    stations.write("FM\t8000\tstream\tfile:///etc/passwd\n");
    stations.close();
    const QByteArray before = [&] {
        QFile f(dir + "/stations.conf");
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    const VeltoSettings edited = VeltoSettings::load(dir);
    const VeltoSettings defaults;
    EXPECT_FALSE(edited.receiver.gainDb);
    EXPECT_EQ(edited.receiver.ppm, 0);
    EXPECT_EQ(edited.receiver.deemphasisSeconds, 50e-6);
    EXPECT_EQ(edited.stereoBitrate, defaults.stereoBitrate);
    EXPECT_NE(edited.stationsProblem, "");
    EXPECT_TRUE(edited.stations.entries().empty());
    ASSERT_TRUE(edited.save(dir));
    QFile after(dir + "/stations.conf");
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
}

} // namespace
// The stations table keeps every entry and its source choice through the dialog, changed
// the way the keyboard changes it (the column's list editor), and every cell has words for
// a screen reader, also an empty one.
TEST(SettingsDialog, StationsSurviveTheTableAndEveryCellSpeaks) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "velto_app_tests";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    VeltoSettings settings;
    SourceError error;
    ASSERT_TRUE(settings.stations.set({{Band::FM, 8000}, "", "", SourceUse::Receiver}, error));
    ASSERT_TRUE(settings.stations.set(
        {{Band::AM, 594}, "Tokyo 1", "https://example.org/a.m3u8", SourceUse::Stream}, error));
    SettingsDialog dialog(settings, {});
    auto* table = dialog.findChild<QTableWidget*>();
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->rowCount(), 2);
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < table->columnCount(); ++column) {
            const QModelIndex cell = table->model()->index(row, column);
            const QString spoken = cell.data(Qt::AccessibleTextRole).toString();
            EXPECT_FALSE((spoken.isEmpty() ? cell.data().toString() : spoken).isEmpty())
                << row << "," << column;
        }
    }

    const QModelIndex use = table->model()->index(0, 3);
    QAbstractItemDelegate* delegate = table->itemDelegateForIndex(use);
    std::unique_ptr<QWidget> editor(delegate->createEditor(table->viewport(), {}, use));
    delegate->setEditorData(editor.get(), use);
    auto* combo = qobject_cast<QComboBox*>(editor.get());
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->currentData().toString(), "receiver");
    combo->setCurrentIndex(combo->findData(QStringLiteral("fallback")));
    delegate->setModelData(editor.get(), table->model(), use);
    EXPECT_EQ(use.data().toString(), combo->currentText());

    dialog.accept();
    // The receiver search the dialog starts answers before the application goes.
    QElapsedTimer waited;
    waited.start();
    const QPushButton* refresh = nullptr;
    for (const QPushButton* button : dialog.findChildren<QPushButton*>()) {
        if (button->text() == qtTrId("IDS_REFRESH"))
            refresh = button;
    }
    ASSERT_NE(refresh, nullptr);
    while (!refresh->isEnabled() && waited.elapsed() < 15000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    const VeltoSettings chosen = dialog.settings();
    const auto& entries = chosen.stations.entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].use, SourceUse::Fallback);
    EXPECT_EQ(entries[0].name, "");
    EXPECT_EQ(entries[1].use, SourceUse::Stream);
    EXPECT_EQ(entries[1].streamUrl, "https://example.org/a.m3u8");
    EXPECT_EQ(entries[1].name, "Tokyo 1");
}

} // namespace velto
