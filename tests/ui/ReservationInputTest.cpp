// The reservation dialog's input rules without a modal run: reading typed numbers, the
// frequency check, the time arithmetic, the presets file and the station lookup, and where
// the dialog opens.
#include "ui/ReservationInput.h"
#include "ui/BroadcastTimes.h"
#include "ui/DialogPlacement.h"
#include "ui/LeadingNumber.h"
#include "ui/ReservationDialog.h"

#include "ReservationTestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <climits>
#include <cstdio>
#include <span>

namespace {
// "25:30" as minutes after the day's midnight.
int minutesOf(QString const& text) {
    return text.section(QLatin1Char(':'), 0, 0).toInt() * 60 +
           text.section(QLatin1Char(':'), 1, 1).toInt();
}
} // namespace

class ReservationInputTest : public QObject {
    Q_OBJECT

    QTranslator m_translator;
    QTemporaryDir m_dir;

    std::string path(char const* name) {
        return m_dir.filePath(QString::fromLatin1(name)).toStdString();
    }

private slots:
    void initTestCase() {
        QVERIFY(m_translator.load(QStringLiteral(":/i18n/resvman_en.qm")));
        QCoreApplication::installTranslator(&m_translator);
        QVERIFY(m_dir.isValid());
    }
    void init() { pinTimeZone("Asia/Tokyo"); }

    void leadingNumbers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("real");
        QTest::addColumn<int>("whole");
        QTest::newRow("unit after the number") << "1134kHz" << 1134.0 << 1134;
        QTest::newRow("empty") << "" << 0.0 << 0;
        QTest::newRow("letters") << "abc" << 0.0 << 0;
        QTest::newRow("fraction") << "80.05" << 80.05 << 80;
        QTest::newRow("blanks and sign") << "  -12.5 MHz" << -12.5 << -12;
        QTest::newRow("plus") << "+7" << 7.0 << 7;
        QTest::newRow("point first") << ".5" << 0.5 << 0;
        QTest::newRow("sign alone") << "-" << 0.0 << 0;
        QTest::newRow("second point ends it") << "1.2.3" << 1.2 << 1;
        QTest::newRow("full-width digits") << QStringLiteral("\u3000１１３４") << 1134.0 << 1134;
        QTest::newRow("full-width point") << QStringLiteral("８０．５") << 80.5 << 80;
        QTest::newRow("too large") << "99999999999" << 99999999999.0 << INT_MAX;
        QTest::newRow("too small") << "-99999999999" << -99999999999.0 << INT_MIN;
        QTest::newRow("no exponent") << "1e3" << 1.0 << 1;
    }
    void leadingNumbers() {
        QFETCH(QString, text);
        QFETCH(double, real);
        QFETCH(int, whole);
        QCOMPARE(leadingDoubleValue(text), real);
        QCOMPARE(leadingIntValue(text), whole);
    }

    // Only the first failing check is reported; the band decides which rule applies.
    void frequencyCheck_data() {
        QTest::addColumn<int>("band");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("AM lowest") << 0 << "522" << true;
        QTest::newRow("AM highest") << 0 << "1602" << true;
        QTest::newRow("AM below") << 0 << "521" << false;
        QTest::newRow("AM off the 9 kHz step") << 0 << "530" << false;
        QTest::newRow("AM above") << 0 << "1611" << false;
        QTest::newRow("AM with unit") << 0 << "1134kHz" << true;
        QTest::newRow("AM empty") << 0 << "" << false;
        QTest::newRow("AM fraction cut") << 0 << "1134.9" << true;
        QTest::newRow("FM lowest") << 1 << "76.0" << true;
        QTest::newRow("FM 90.0") << 1 << "90.0" << true;
        QTest::newRow("FM wide, 90.1") << 1 << "90.1" << true;
        QTest::newRow("FM wide, highest") << 1 << "94.9" << true;
        QTest::newRow("FM between steps") << 1 << "80.05" << true;
        QTest::newRow("FM below") << 1 << "75.9" << false;
        QTest::newRow("FM above") << 1 << "95.0" << false;
        QTest::newRow("FM just above") << 1 << "94.901" << false;
        QTest::newRow("FM not a number") << 1 << "FM" << false;
        QTest::newRow("FM AM value") << 1 << "1134" << false;
    }
    void frequencyCheck() {
        QFETCH(int, band);
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(checkFrequency(band == 1, text) == ReservationProblem::None, valid);
    }

    // The dialog's test covers the overnight, whole-day and month/year-end cases through
    // its pickers; these are the ones it does not reach. The clock times written are the
    // clock times of the machine's zone, across both daylight-saving changes; 24:00 to 29:59
    // are the small hours of the next calendar day.
    void composition_data() {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<double>("wantStart");
        QTest::addColumn<double>("wantEnd");
        QByteArray const tokyo = "Asia/Tokyo";
        QByteArray const berlin = "Europe/Berlin";
        QByteArray const newYork = "America/New_York";
        QTest::newRow("same day") << tokyo << QDate(2024, 5, 15) << "10:00"
                                  << "11:30" << jst(2024, 5, 15, 10, 0) << jst(2024, 5, 15, 11, 30);
        QTest::newRow("leap day") << tokyo << QDate(2024, 2, 28) << "23:30"
                                  << "00:30" << jst(2024, 2, 28, 23, 30) << jst(2024, 2, 29, 0, 30);
        QTest::newRow("late night, end past 24:00")
            << tokyo << QDate(2024, 5, 20) << "25:00"
            << "27:00" << jst(2024, 5, 21, 1, 0) << jst(2024, 5, 21, 3, 0);
        QTest::newRow("late night, end written as a clock time")
            << tokyo << QDate(2024, 5, 20) << "28:00"
            << "06:00" << jst(2024, 5, 21, 4, 0) << jst(2024, 5, 21, 6, 0);
        QTest::newRow("late night, month end")
            << tokyo << QDate(2024, 4, 30) << "25:30"
            << "29:59" << jst(2024, 5, 1, 1, 30) << jst(2024, 5, 1, 5, 59);
        QTest::newRow("late night, year end")
            << tokyo << QDate(2024, 12, 31) << "24:00"
            << "26:00" << jst(2025, 1, 1, 0, 0) << jst(2025, 1, 1, 2, 0);
        QTest::newRow("evening to 25:00")
            << tokyo << QDate(2024, 12, 31) << "23:00"
            << "25:00" << jst(2024, 12, 31, 23, 0) << jst(2025, 1, 1, 1, 0);
        QTest::newRow("Berlin winter")
            << berlin << QDate(2024, 1, 15) << "20:00"
            << "21:00" << utc(2024, 1, 15, 19, 0) << utc(2024, 1, 15, 20, 0);
        QTest::newRow("Berlin, 02:30 skipped")
            << berlin << QDate(2024, 3, 31) << "02:30"
            << "04:00" << utc(2024, 3, 31, 1, 30) << utc(2024, 3, 31, 2, 0);
        QTest::newRow("Berlin, 26:30 skipped")
            << berlin << QDate(2024, 3, 30) << "25:00"
            << "26:30" << utc(2024, 3, 31, 0, 0) << utc(2024, 3, 31, 1, 30);
        QTest::newRow("Berlin, 02:30 twice")
            << berlin << QDate(2024, 10, 27) << "02:30"
            << "03:30" << utc(2024, 10, 27, 0, 30) << utc(2024, 10, 27, 2, 30);
        QTest::newRow("Berlin, 26:30 twice")
            << berlin << QDate(2024, 10, 26) << "26:30"
            << "27:30" << utc(2024, 10, 27, 0, 30) << utc(2024, 10, 27, 2, 30);
        QTest::newRow("New York summer")
            << newYork << QDate(2024, 7, 1) << "20:00"
            << "21:00" << utc(2024, 7, 2, 0, 0) << utc(2024, 7, 2, 1, 0);
        QTest::newRow("New York, 26:15 skipped")
            << newYork << QDate(2024, 3, 9) << "26:15"
            << "28:00" << utc(2024, 3, 10, 7, 15) << utc(2024, 3, 10, 8, 0);
        QTest::newRow("New York, 25:30 twice")
            << newYork << QDate(2024, 11, 2) << "25:30"
            << "26:30" << utc(2024, 11, 3, 5, 30) << utc(2024, 11, 3, 7, 30);
    }
    void composition() {
        QFETCH(QByteArray, zone);
        QFETCH(QDate, day);
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(double, wantStart);
        QFETCH(double, wantEnd);
        pinTimeZone(zone.constData());
        int const from = minutesOf(start);
        int const to = minutesOf(end);
        QCOMPARE(composeStart(day, from), wantStart);
        QCOMPARE(composeEnd(day, from, to), wantEnd);
        // Shown as the guides write it, it composes to the same times again.
        BroadcastTimes const shown = broadcastTimes(wantStart, wantEnd, 0, true);
        QCOMPARE(composeStart(shown.day, shown.start), wantStart);
        QCOMPARE(composeEnd(shown.day, shown.start, shown.end), wantEnd);
    }

    // An end may lie at most a day after the start.
    void length_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("01:00 to 25:00, 24 h") << "01:00"
                                              << "25:00" << true;
        QTest::newRow("01:00 to 25:01") << "01:00"
                                        << "25:01" << false;
        QTest::newRow("25:00 to 25:00, 24 h") << "25:00"
                                              << "25:00" << true;
        QTest::newRow("05:00 to 29:59") << "05:00"
                                        << "29:59" << false;
    }
    void length() {
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(bool, accepted);
        ReservationInput input;
        input.start = minutesOf(start);
        input.end = minutesOf(end);
        QCOMPARE(checkLength(input) == ReservationProblem::None, accepted);
    }

    // Today is Wednesday 2024-05-15 in Tokyo (the dialog's own test covers the plain
    // Monday and today cases). A weekly one's days are the days as written: from 24:00 on,
    // it starts a day later, and may start today when written on yesterday.
    void weeklyBaseDay_data() {
        QTest::addColumn<QDate>("picked");
        QTest::addColumn<uint>("week");
        QTest::addColumn<QString>("start");
        QTest::addColumn<double>("now");
        QTest::addColumn<double>("wantStart");
        QTest::addColumn<uint>("wantDays");
        QDate const lastFriday(2024, 5, 10);
        double const late = jst(2024, 5, 15, 23, 59);
        QTest::newRow("first of Mon/Thu")
            << lastFriday << (2u | 16u) << "09:00" << late << jst(2024, 5, 16, 9, 0) << (2u | 16u);
        QTest::newRow("picker ahead is kept")
            << QDate(2024, 5, 22) << 8u << "09:00" << late << jst(2024, 5, 22, 9, 0) << 8u;
        QTest::newRow("picker ahead, next Sat")
            << QDate(2024, 5, 22) << 64u << "09:00" << late << jst(2024, 5, 25, 9, 0) << 64u;
        QTest::newRow("years back")
            << QDate(2001, 1, 1) << 1u << "09:00" << late << jst(2024, 5, 19, 9, 0) << 1u;
        QTest::newRow("Monday 25:00 is Tuesday 01:00")
            << lastFriday << 2u << "25:00" << late << jst(2024, 5, 21, 1, 0) << 4u;
        QTest::newRow("Saturday 26:00 is Sunday 02:00")
            << lastFriday << 64u << "26:00" << late << jst(2024, 5, 19, 2, 0) << 1u;
        QTest::newRow("Tuesday 25:00, at 00:30 on Wednesday: tonight")
            << lastFriday << 4u << "25:00" << jst(2024, 5, 15, 0, 30) << jst(2024, 5, 15, 1, 0)
            << 8u;
    }
    void weeklyBaseDay() {
        QFETCH(QDate, picked);
        QFETCH(uint, week);
        QFETCH(QString, start);
        QFETCH(double, now);
        QFETCH(double, wantStart);
        QFETCH(uint, wantDays);
        ReservationInput input;
        input.date = picked;
        input.week = week;
        input.start = minutesOf(start);
        input.end = input.start + 60;
        input.channel = QStringLiteral("954");
        Reservation rec;
        composeReservation(input, now, rec);
        QCOMPARE(rec.start, wantStart);
        QCOMPARE(rec.weekdays, wantDays);
        // And shown as written again, with its days as written.
        BroadcastTimes const shown = broadcastTimes(rec.start, rec.end, rec.weekdays, true);
        QCOMPARE(shown.start, input.start);
        QCOMPARE(shown.week, week);
    }

    // Presets come from the companion's preferences, XML or binary; anything less than a
    // full "Presets" value leaves every slot empty.
    void presetFile_data() {
        QTest::addColumn<bool>("binary");
        QTest::addColumn<int>("size");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<bool>("loaded");
        QTest::newRow("XML") << false << 6240 << QByteArray("Presets") << true;
        QTest::newRow("binary") << true << 6240 << QByteArray("Presets") << true;
        QTest::newRow("longer data") << true << 7000 << QByteArray("Presets") << true;
        QTest::newRow("one byte short") << false << 6239 << QByteArray("Presets") << false;
        QTest::newRow("other key") << true << 6240 << QByteArray("presets") << false;
        QTest::newRow("no file") << false << -1 << QByteArray("Presets") << false;
    }
    void presetFile() {
        QFETCH(bool, binary);
        QFETCH(int, size);
        QFETCH(QByteArray, key);
        QFETCH(bool, loaded);
        std::string const file = path("prefs.plist");
        std::remove(file.c_str());
        std::vector<char> const bytes = presetBytes({{true, 0, 8070, "FM One"},
                                                     {true, 2, 8250, "FM Three"},
                                                     {false, 0, 594, "AM One"},
                                                     {false, 11, 1134, "AM Twelve"}},
                                                    size < 0 ? 0 : std::size_t(size));
        if (size >= 0) {
            writePresetFile(file, &bytes, binary, key.constData());
        }
        ReservationDialog dialog;
        // A load that finds nothing also clears what an earlier one found.
        std::string const earlier = path("earlier.plist");
        writePresetFile(earlier, &bytes, true);
        dialog.setPresetFile(earlier);
        dialog.loadPresets();
        dialog.setPresetFile(file);
        dialog.loadPresets();

        ChannelPresetTable const& presets = dialog.presets();
        auto filled = [&presets](bool fm) {
            int count = 0;
            for (ChannelPreset const& slot : std::span(presets.band(fm), 12)) {
                count += slot.frequency != 0 ? 1 : 0;
            }
            return count;
        };
        QCOMPARE(filled(true), loaded ? 2 : 0);
        QCOMPARE(filled(false), loaded ? 2 : 0);
        if (loaded) {
            QCOMPARE(presets.fm[0].frequency, 8070u);
            QCOMPARE(presets.find(true, 8250), 2);
            QCOMPARE(presets.find(false, 1134), 11);
        }
        QCOMPARE(presets.find(true, 0), -1);
        QCOMPARE(presets.find(false, 8070), -1); // the other band's frequency
    }

    void stationLookup() {
        std::string const longName(300, 'N'); // fills its 256 bytes with no terminator
        std::vector<char> const bytes =
            presetBytes({{true, 3, 8070, "テストFM"}, {false, 5, 1134, longName}});
        std::string const file = path("station.plist");
        writePresetFile(file, &bytes, false);
        ReservationDialog dialog;
        dialog.setPresetFile(file);
        dialog.loadPresets();
        ChannelPresetTable const& presets = dialog.presets();
        QCOMPARE(QString::fromStdString(presets.station(true, 8070).value_or("")),
                 QStringLiteral("テストFM"));
        // A name that fills its 256 bytes without a terminator is cut to 255.
        QCOMPARE(presets.station(false, 1134).value_or("").size(), std::size_t(255));
        QVERIFY(!presets.station(false, 0));
        QVERIFY(!presets.station(true, 1134));
        QVERIFY(!presets.station(false, 999));
    }

    // Screen 0..1920 x 0..1080; the dialog is 400 x 300; the parent's content starts 30
    // below its frame's top.
    void placement_data() {
        QTest::addColumn<QRect>("parent");
        QTest::addColumn<QPoint>("want");
        QTest::newRow("inside: on the content's top-left")
            << QRect(100, 100, 800, 600) << QPoint(100, 130);
        QTest::newRow("left edge past the screen's") << QRect(-50, 100, 800, 600) << QPoint(0, 130);
        QTest::newRow("dialog would pass the right edge")
            << QRect(1700, 100, 800, 600) << QPoint(1520, 130);
    }
    void placement() {
        QFETCH(QRect, parent);
        QFETCH(QPoint, want);
        QRect const content = parent.adjusted(0, 30, 0, 0);
        QCOMPARE(dialogPlacementOrigin(QRect(0, 0, 1920, 1080), parent, content, QSize(400, 300)),
                 want);
    }
};

QTEST_MAIN(ReservationInputTest)
#include "ReservationInputTest.moc"
