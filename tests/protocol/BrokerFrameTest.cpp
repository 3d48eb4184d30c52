// The frames between the program and its broker.
#include "protocol/BrokerFrame.h"
#include "tests/support/SocketPair.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::string payloadOf(const std::vector<std::string>& args) {
    return broker::encodeArguments(args);
}

} // namespace

TEST(BrokerFrame, FramesCrossTheStreamWhole) {
    SocketPair pair;
    ASSERT_TRUE(broker::writeFrame(pair.fd[0], "hello"));
    ASSERT_TRUE(broker::writeFrame(pair.fd[0], std::string(broker::kMaxFramePayload, 'x')));
    EXPECT_FALSE(broker::writeFrame(pair.fd[0], ""));
    EXPECT_FALSE(broker::writeFrame(pair.fd[0], std::string(broker::kMaxFramePayload + 1, 'x')));
    pair.closeWriter();
    std::string payload;
    ASSERT_EQ(broker::readFrame(pair.fd[1], &payload), broker::FrameStatus::Frame);
    EXPECT_EQ(payload, "hello");
    ASSERT_EQ(broker::readFrame(pair.fd[1], &payload), broker::FrameStatus::Frame);
    EXPECT_EQ(payload.size(), broker::kMaxFramePayload);
    EXPECT_EQ(broker::readFrame(pair.fd[1], &payload), broker::FrameStatus::End);
}

TEST(BrokerFrame, BadFramingIsMalformed) {
    const std::vector<std::string> streams = {
        frameHeader(0), // empty frame
        frameHeader(broker::kMaxFramePayload + 1) + std::string(300, 'x'),
        frameHeader(0xffffffff), // absurd length
        std::string("\0\0", 2),  // header cut short
        frameHeader(10) + "abc", // body cut short
    };
    for (const auto& bytes : streams) {
        SocketPair pair;
        pair.sendBytes(bytes);
        pair.closeWriter();
        std::string payload;
        EXPECT_EQ(broker::readFrame(pair.fd[1], &payload), broker::FrameStatus::Malformed)
            << testing::PrintToString(bytes);
    }
}

TEST(BrokerFrame, ArgumentsAreNulTerminatedStrings) {
    std::vector<std::string> args;
    EXPECT_TRUE(broker::decodeArguments(payloadOf({"a", "", "c"}), 3, &args));
    EXPECT_EQ(args, (std::vector<std::string>{"a", "", "c"}));
    EXPECT_FALSE(broker::decodeArguments("abc", 3, &args)); // no terminator
    EXPECT_FALSE(broker::decodeArguments(std::string("a\0b", 3), 3, &args));
    EXPECT_FALSE(broker::decodeArguments(payloadOf({"a", "b", "c", "d"}), 3, &args));
    EXPECT_FALSE(broker::decodeArguments("", 3, &args));
}
