// The reservation dialog's input rules without a modal run: reading typed numbers, the
// frequency check, the time arithmetic, the presets file and the station lookup, and where
// the dialog opens.
#include "ui/ReservationInput.h"
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
        QTest::newRow("FM lowest") << 1 << "76" << true;
        QTest::newRow("FM highest") << 1 << "90" << true;
        QTest::newRow("FM between steps") << 1 << "80.05" << true;
        QTest::newRow("FM below") << 1 << "75.9" << false;
        QTest::newRow("FM above") << 1 << "90.1" << false;
        QTest::newRow("FM just above") << 1 << "90.001" << false;
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
    // its pickers; these are the ones it does not reach. The clock times picked are the
    // clock times of the machine's zone, across both daylight-saving changes.
    void composition_data() {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QTime>("start");
        QTest::addColumn<QTime>("end");
        QTest::addColumn<double>("wantStart");
        QTest::addColumn<double>("wantEnd");
        QByteArray const tokyo = "Asia/Tokyo";
        QByteArray const berlin = "Europe/Berlin";
        QByteArray const newYork = "America/New_York";
        QTest::newRow("same day") << tokyo << QDate(2024, 5, 15) << QTime(10, 0) << QTime(11, 30)
                                  << jst(2024, 5, 15, 10, 0) << jst(2024, 5, 15, 11, 30);
        QTest::newRow("leap day") << tokyo << QDate(2024, 2, 28) << QTime(23, 30) << QTime(0, 30)
                                  << jst(2024, 2, 28, 23, 30) << jst(2024, 2, 29, 0, 30);
        QTest::newRow("Berlin winter")
            << berlin << QDate(2024, 1, 15) << QTime(20, 0) << QTime(21, 0)
            << utc(2024, 1, 15, 19, 0) << utc(2024, 1, 15, 20, 0);
        QTest::newRow("Berlin, 02:30 skipped")
            << berlin << QDate(2024, 3, 31) << QTime(2, 30) << QTime(4, 0)
            << utc(2024, 3, 31, 1, 30) << utc(2024, 3, 31, 2, 0);
        QTest::newRow("Berlin, 02:30 twice")
            << berlin << QDate(2024, 10, 27) << QTime(2, 30) << QTime(3, 30)
            << utc(2024, 10, 27, 0, 30) << utc(2024, 10, 27, 2, 30);
        QTest::newRow("New York summer")
            << newYork << QDate(2024, 7, 1) << QTime(20, 0) << QTime(21, 0) << utc(2024, 7, 2, 0, 0)
            << utc(2024, 7, 2, 1, 0);
        QTest::newRow("New York, 02:15 skipped")
            << newYork << QDate(2024, 3, 10) << QTime(2, 15) << QTime(4, 0)
            << utc(2024, 3, 10, 7, 15) << utc(2024, 3, 10, 8, 0);
        QTest::newRow("New York, 01:30 twice")
            << newYork << QDate(2024, 11, 3) << QTime(1, 30) << QTime(2, 30)
            << utc(2024, 11, 3, 5, 30) << utc(2024, 11, 3, 7, 30);
    }
    void composition() {
        QFETCH(QByteArray, zone);
        QFETCH(QDate, day);
        QFETCH(QTime, start);
        QFETCH(QTime, end);
        QFETCH(double, wantStart);
        QFETCH(double, wantEnd);
        pinTimeZone(zone.constData());
        // The pickers' seconds must not count.
        QCOMPARE(composeStart(day, start.addSecs(17)), wantStart);
        QCOMPARE(composeEnd(day, start.addSecs(17), end.addSecs(42)), wantEnd);
    }

    // Today is Wednesday 2024-05-15 in Tokyo (the dialog's own test covers the plain
    // Monday and today cases).
    void weeklyBaseDay_data() {
        QTest::addColumn<QDate>("picked");
        QTest::addColumn<uint>("week");
        QTest::addColumn<QDate>("want");
        QDate const lastFriday(2024, 5, 10);
        QTest::newRow("first of Mon/Thu") << lastFriday << (2u | 16u) << QDate(2024, 5, 16);
        QTest::newRow("picker ahead is kept") << QDate(2024, 5, 22) << 8u << QDate(2024, 5, 22);
        QTest::newRow("picker ahead, next Sat") << QDate(2024, 5, 22) << 64u << QDate(2024, 5, 25);
        QTest::newRow("years back") << QDate(2001, 1, 1) << 1u << QDate(2024, 5, 19);
    }
    void weeklyBaseDay() {
        QFETCH(QDate, picked);
        QFETCH(uint, week);
        QFETCH(QDate, want);
        ReservationInput input;
        input.date = picked;
        input.week = week;
        QCOMPARE(reservationBaseDay(input, jst(2024, 5, 15, 23, 59)), want);
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
