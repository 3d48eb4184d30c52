// What the RTC facts read from folders laid out as sysfs and adjtime, and how the RTC's
// clock is judged. The zone is Japan's (nine hours ahead of UTC), pinned by the test main.
#include "posix/RtcFacts.h"
#include "tests/support/RtcFolder.h"

#include <gtest/gtest.h>

namespace {

constexpr std::int64_t kNow = 1714500000;
constexpr long kJst = 9 * 3600;

TEST(RtcFacts, ReadsEachLayout) {
    {
        RtcFolder none;
        RtcFacts const facts = RtcFacts::read(none.sysfs(), none.adjtime());
        EXPECT_FALSE(facts.present);
        EXPECT_FALSE(facts.wakeAlarm);
        EXPECT_EQ(facts.adjtime, RtcFacts::Adjtime::Missing);
    }
    {
        RtcFolder noAlarm;
        noAlarm.addRtc(kNow, false);
        RtcFacts const facts = RtcFacts::read(noAlarm.sysfs(), noAlarm.adjtime());
        EXPECT_TRUE(facts.present);
        EXPECT_FALSE(facts.wakeAlarm);
        EXPECT_EQ(facts.clock, kNow);
    }
    RtcFolder folder;
    folder.addRtc(kNow + kJst);
    folder.writeAdjtime("LOCAL");
    RtcFacts facts = RtcFacts::read(folder.sysfs(), folder.adjtime());
    EXPECT_TRUE(facts.wakeAlarm);
    EXPECT_FALSE(facts.alarm); // empty: none set
    EXPECT_FALSE(facts.wakeEvents);
    EXPECT_TRUE(facts.wakeEnabled);
    EXPECT_EQ(facts.adjtime, RtcFacts::Adjtime::Local);

    folder.setAlarm(kNow + 600);
    folder.setWakeEvents(3);
    writeFile(folder.device() + "/power/wakeup", "disabled\n");
    folder.writeAdjtime("UTC");
    facts = RtcFacts::read(folder.sysfs(), folder.adjtime());
    EXPECT_EQ(facts.alarm, kNow + 600);
    EXPECT_EQ(facts.wakeEvents, 3u) << "the RTC device's source, not the other one";
    EXPECT_EQ(RtcFacts::readWakeEvents(folder.sysfs()), 3u);
    EXPECT_FALSE(facts.wakeEnabled);
    EXPECT_EQ(facts.adjtime, RtcFacts::Adjtime::Utc);

    // A file of another shape says nothing, rather than something wrong.
    writeFile(folder.rtc() + "/wakealarm", "soon\n");
    writeFile(folder.adjtime(), "0 0 0\n0\nlocal time\n");
    facts = RtcFacts::read(folder.sysfs(), folder.adjtime());
    EXPECT_FALSE(facts.alarm);
    EXPECT_EQ(facts.adjtime, RtcFacts::Adjtime::Unreadable);
    writeFile(folder.adjtime(), "0 0 0\n0\n"); // hwclock's default
    EXPECT_EQ(RtcFacts::read(folder.sysfs(), folder.adjtime()).adjtime, RtcFacts::Adjtime::Utc);
}

TEST(RtcFacts, TheClockDecidesWhereItIsClearOtherwiseAdjtime) {
    using schedule::RtcClock;
    struct Case {
        char const* name;
        std::optional<std::int64_t> clock;
        RtcFacts::Adjtime adjtime;
        long zone;
        RtcClock kept;
        bool measured;
    };
    Case const cases[] = {
        {"reads UTC", kNow + 30, RtcFacts::Adjtime::Local, kJst, RtcClock::Utc, true},
        {"nine hours ahead", kNow + kJst - 5, RtcFacts::Adjtime::Utc, kJst, RtcClock::Local, true},
        {"wrong either way", kNow + 5000, RtcFacts::Adjtime::Local, kJst, RtcClock::Local, false},
        {"no clock", std::nullopt, RtcFacts::Adjtime::Missing, kJst, RtcClock::Utc, false},
        {"zone at UTC", kNow, RtcFacts::Adjtime::Local, 0, RtcClock::Local, false},
    };
    for (auto const& c : cases) {
        RtcFacts facts;
        facts.clock = c.clock;
        facts.adjtime = c.adjtime;
        RtcFacts::Judgement const judged = facts.judgeClock(kNow, c.zone);
        EXPECT_EQ(judged.clock, c.kept) << c.name;
        EXPECT_EQ(judged.measured, c.measured) << c.name;
    }
    EXPECT_EQ(zoneOffsetAt(kNow), kJst);
}

} // namespace
