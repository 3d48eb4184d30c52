#include "platform/CompanionReport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

CompanionReport finished() {
    CompanionReport r;
    r.kind = ReportKind::Finished;
    r.title = "朝のニュース";
    r.recStartTime = 1767225600.0;
    r.recEndTime = 1767229200.0;
    r.band = "FM";
    r.ch = 8000;
    r.source = "stream";
    r.file = "/home/u/Music/Radio/2026-01-01 0900 朝のニュース.opus";
    r.seconds = 3598.25;
    r.result = ReportResult::Partial;
    r.reason = "source-lost";
    r.reasonText = "The receiver was lost for 2 s.";
    r.dropouts = 2;
    return r;
}

void set(CompanionValues& values, std::string const& key, CompanionValue value) {
    for (auto& [k, v] : values) {
        if (k == key) {
            v = std::move(value);
            return;
        }
    }
    values.emplace_back(key, std::move(value));
}

void drop(CompanionValues& values, std::string const& key) {
    std::erase_if(values, [&](auto const& e) { return e.first == key; });
}

} // namespace

TEST(CompanionReport, BothReportsComeBackAsSent) {
    CompanionReport sent = finished();
    std::string error;
    auto back = CompanionReport::fromWire(sent.messageName(), sent.toWire(), error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->kind, ReportKind::Finished);
    EXPECT_EQ(back->title, sent.title);
    EXPECT_EQ(back->recStartTime, sent.recStartTime);
    EXPECT_EQ(back->recEndTime, sent.recEndTime);
    EXPECT_EQ(back->band, "FM");
    EXPECT_EQ(back->ch, 8000);
    EXPECT_EQ(back->source, "stream");
    EXPECT_EQ(back->file, sent.file);
    EXPECT_EQ(back->seconds, 3598.25);
    EXPECT_EQ(back->result, ReportResult::Partial);
    EXPECT_EQ(back->reason, "source-lost");
    EXPECT_EQ(back->reasonText, sent.reasonText);
    EXPECT_EQ(back->dropouts, 2);

    // The start report carries the hand-off's entries and the source only; an older
    // companion's report without Source is taken.
    sent.kind = ReportKind::Started;
    sent.source.clear();
    CompanionValues wire = sent.toWire();
    EXPECT_EQ(wire.size(), 5u);
    EXPECT_STREQ(sent.messageName(), "Velto_Notification_RecordingStarted");
    back = CompanionReport::fromWire(sent.messageName(), wire, error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->kind, ReportKind::Started);
    EXPECT_EQ(back->source, "");
}

// Each damage refuses the whole report with a reason that names the entry.
TEST(CompanionReport, RefusesDamagedReports) {
    struct Case {
        char const* what;
        std::function<void(CompanionValues&)> damage;
        char const* reason;
    };
    std::string const longTitle(kReportTitleBytes + 1, 'x');
    Case const cases[] = {
        {"missing title", [](auto& v) { drop(v, "Title"); }, "no Title entry"},
        {"CH as a string", [](auto& v) { set(v, "CH", std::string("8000")); },
         "CH has the wrong type"},
        {"start as an int", [](auto& v) { set(v, "RecStartTime", int32_t(5)); }, "RecStartTime"},
        {"end NaN", [](auto& v) { set(v, "RecEndTime", std::nan("")); }, "RecEndTime"},
        {"band", [](auto& v) { set(v, "BAND", std::string("SW")); }, "BAND"},
        {"title too long", [&](auto& v) { set(v, "Title", longTitle); }, "Title is longer"},
        {"source unknown", [](auto& v) { set(v, "Source", std::string("tape")); }, "Source"},
        {"no file", [](auto& v) { drop(v, "File"); }, "no File entry"},
        {"seconds negative", [](auto& v) { set(v, "Seconds", -1.0); }, "Seconds"},
        {"seconds infinite", [](auto& v) { set(v, "Seconds", INFINITY); }, "Seconds"},
        {"result unknown", [](auto& v) { set(v, "Result", std::string("ok")); }, "Result"},
        {"result as bool", [](auto& v) { set(v, "Result", true); }, "Result"},
        {"reason text long",
         [](auto& v) { set(v, "ReasonText", std::string(kReportTextBytes + 1, 'r')); },
         "ReasonText"},
        {"dropouts negative", [](auto& v) { set(v, "Dropouts", int32_t(-1)); }, "Dropouts"},
        {"dropouts double", [](auto& v) { set(v, "Dropouts", 1.0); }, "Dropouts"},
    };
    for (Case const& c : cases) {
        CompanionValues values = finished().toWire();
        c.damage(values);
        std::string error;
        EXPECT_FALSE(CompanionReport::fromWire(kRecordingFinishedMessage, values, error)) << c.what;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
    }
    std::string error;
    EXPECT_FALSE(CompanionReport::fromWire(kCompanionHidMessage, finished().toWire(), error));
}
