// The buffer between the stream's worker and the reader.
#include "sources/stream/SampleQueue.h"

#include <gtest/gtest.h>

#include <numeric>
#include <thread>

namespace velto {
namespace {

using namespace std::chrono_literals;

TEST(SampleQueue, AFullQueueHoldsTheWriterBackAndKeepsTheOrder) {
    SampleQueue queue(64);
    std::vector<float> sent(1000);
    std::iota(sent.begin(), sent.end(), 0.0f);
    std::thread writer([&] {
        for (std::size_t i = 0; i < sent.size(); i += 50) {
            ASSERT_TRUE(queue.push(sent.data() + i, 50));
        }
        queue.finish(ReadStatus::Finished, {});
    });
    std::vector<float> received;
    SourceError error;
    ReadStatus status;
    while ((status = queue.pop(received, 30, 1s, error)) == ReadStatus::Audio) {
        ASSERT_LE(received.size(), sent.size());
    }
    writer.join();
    EXPECT_EQ(status, ReadStatus::Finished);
    EXPECT_EQ(received, sent);
}

TEST(SampleQueue, TheEndComesAfterTheAudioBeforeIt) {
    SampleQueue queue(100);
    const float audio[] = {0.1f, 0.2f, 0.3f, 0.4f};
    ASSERT_TRUE(queue.push(audio, 4));
    queue.finish(ReadStatus::Lost, {"stalled", "The stream sent no audio for 10 s."});
    std::vector<float> out;
    SourceError error;
    EXPECT_EQ(queue.pop(out, 1000, 0ms, error), ReadStatus::Audio);
    EXPECT_EQ(out.size(), 4u);
    EXPECT_EQ(queue.pop(out, 1000, 0ms, error), ReadStatus::Lost);
    EXPECT_EQ(error.key, "stalled");
    EXPECT_EQ(out.size(), 4u);
}

TEST(SampleQueue, AnEmptyQueueTimesOutEmptyAndStopFreesAWaitingWriter) {
    SampleQueue queue(4);
    std::vector<float> out;
    SourceError error;
    EXPECT_EQ(queue.pop(out, 100, 20ms, error), ReadStatus::Audio);
    EXPECT_TRUE(out.empty());

    const float audio[8] = {};
    bool pushed = true;
    std::thread writer([&] { pushed = queue.push(audio, 8); });
    std::this_thread::sleep_for(20ms);
    queue.stop();
    writer.join();
    EXPECT_FALSE(pushed);
}

} // namespace
} // namespace velto
