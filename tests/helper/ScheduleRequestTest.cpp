// The checks the tool and broker apply to argument vectors.
#include "helper/ScheduleRequest.h"
#include "protocol/ScheduleArguments.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <limits>

namespace {

constexpr double k2001 = 978307200.0;

} // namespace

TEST(ScheduleRequest, AcceptsEveryVectorTheProgramBuilds) {
    // The program and the tool must agree; this catches one changing without the other.
    using schedule::RtcClock;
    for (auto clock : {RtcClock::Utc, RtcClock::Local}) {
        for (double t : {0.0, k2001 - 0.25, k2001, 1714553700.0, 1714553700.5, 7258118399.0}) {
            for (auto kind : {schedule::Kind::Wake, schedule::Kind::Shutdown}) {
                const auto args = schedule::buildSetArguments(kind, t, clock);
                ASSERT_TRUE(args);
                ScheduleRequest request;
                std::string why;
                ASSERT_TRUE(ScheduleRequest::parse({args->begin(), args->end()}, &request, &why))
                    << (*args)[2] << ": " << why;
                EXPECT_EQ(request.operation, ScheduleRequest::Operation::Set);
                EXPECT_EQ(request.kind, kind);
                // A shutdown has no alarm to write: it is never "local".
                EXPECT_EQ(request.clock, kind == schedule::Kind::Wake ? clock : RtcClock::Utc);
                EXPECT_DOUBLE_EQ(request.absoluteTime, t - k2001);
            }
        }
        for (int kind : {1, 2}) {
            const auto args = schedule::buildCancelArguments(kind, clock);
            ScheduleRequest request;
            std::string why;
            ASSERT_TRUE(ScheduleRequest::parse({args->begin(), args->end()}, &request, &why));
            EXPECT_EQ(request.operation, ScheduleRequest::Operation::Cancel);
            EXPECT_EQ(request.kind, kind == 1 ? schedule::Kind::Wake : schedule::Kind::Shutdown);
        }
        const auto probe = schedule::buildProbeArguments(clock);
        ScheduleRequest request;
        std::string why;
        ASSERT_TRUE(ScheduleRequest::parse({probe.begin(), probe.end()}, &request, &why)) << why;
        EXPECT_EQ(request.operation, ScheduleRequest::Operation::Probe);
        EXPECT_EQ(request.clock, clock);
    }
}

TEST(ScheduleRequest, RefusesEverythingElse) {
    const std::vector<std::vector<std::string>> refused = {
        {},
        {"73019482", "wake"},
        {"73019482", "wake", "0.0000000000", "extra"},
        {"18264530", "wake", "18264597", ""},
        // codes
        {"73019483", "wake", "0.0000000000"},
        {"18264530", "wake", "0.0000000000"}, // cancel code with a time
        {"73019482", "wake", "18264597"},     // set code with the confirmation
        {"18264530", "wake", "18264598"},
        {"073019482", "wake", "0.0000000000"},
        {"73019482 ", "wake", "0.0000000000"},
        {"", "wake", "0.0000000000"},
        // words
        {"73019482", "Wake", "0.0000000000"},
        {"73019482", "wake ", "0.0000000000"},
        {"73019482", "reboot", "0.0000000000"},
        {"73019482", "wake_local", "0.0000000000"},
        {"73019482", "shutdown-local", "0.0000000000"},
        // the probe: the wake alarm only, with its own confirmation
        {"52807314", "shutdown", "52807391"},
        {"52807314", "wake", "18264597"},
        {"52807314", "wake-local", "52807392"},
        {"52807314", "wake", "0.0000000000"},
        {"18264530", "wake", "52807391"},
        {"52807314", "wake", "52807391", ""},
        {"18264530", "", "18264597"},
        {std::string("73019482\0x", 10), "wake", "0.0000000000"},
        // times
        {"73019482", "wake", ""},
        {"73019482", "wake", "0"},
        {"73019482", "wake", "0.0"},
        {"73019482", "wake", "0.000000000"},
        {"73019482", "wake", "0.00000000000"},
        {"73019482", "wake", "nan"},
        {"73019482", "wake", "inf"},
        {"73019482", "wake", "-inf"},
        {"73019482", "wake", "1e9"},
        {"73019482", "wake", "1.0000000000e3"},
        {"73019482", "wake", "0x1.0000000000"},
        {"73019482", "wake", "+1.0000000000"},
        {"73019482", "wake", " 1.0000000000"},
        {"73019482", "wake", "1.0000000000 "},
        {"73019482", "wake", "01.0000000000"},
        {"73019482", "wake", "--1.0000000000"},
        {"73019482", "wake", "1,0000000000"},
        {"73019482", "wake", ".0000000000"},
        {"73019482", "wake", "-.0000000000"},
        {"73019482", "wake", "1.000000000a"},
        {"73019482", "wake", "99999999999.0000000000"},
        {"73019482", "wake", "6279811200.0000000000"}, // 2200-01-01: beyond systemd timers
        {"73019482", "wake", "-978307201.0000000000"}, // before 1970
        {"73019482", "shutdown", std::string("1.0000000000\0", 13)},
    };
    for (const auto& args : refused) {
        ScheduleRequest request;
        std::string why;
        EXPECT_FALSE(ScheduleRequest::parse(args, &request, &why)) << testing::PrintToString(args);
        EXPECT_FALSE(why.empty());
    }
}

TEST(ScheduleRequest, AcceptsTheWholeRangeAndNegativeTimes) {
    for (const char* text : {"-978307200.0000000000", "-1.5000000000", "-0.0000000000",
                             "6279811199.0000000000", "736246500.0000000000"}) {
        double value = 0;
        std::string why;
        EXPECT_TRUE(ScheduleRequest::parseTime(text, &value, &why)) << text << ": " << why;
    }
}

TEST(ScheduleRequest, MessagesShowUntrustedTextOnlyAsShortPrintableText) {
    ScheduleRequest request;
    std::string why;
    ASSERT_FALSE(ScheduleRequest::parse(
        {"73019482", "wake", "\x1b]0;owned\x07" + std::string(200, 'x')}, &request, &why));
    EXPECT_EQ(why.find('\x1b'), std::string::npos);
    EXPECT_LT(why.size(), 120u);
}
