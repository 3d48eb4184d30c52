#pragma once
#include "sources/AudioSource.h"

#include <functional>
#include <limits>
#include <mutex>

namespace velto::test {

// What a fake source does, by the seconds of sound it has delivered.
struct FakeScript {
    bool neverOpens = false;
    const char* refusal = "no-receiver";                       // why it does not open
    double loseAt = std::numeric_limits<double>::infinity();   // Lost once, here
    int failedReopens = 0;                                     // after the loss
    bool neverBack = false;                                    // after the loss
    double finishAt = std::numeric_limits<double>::infinity(); // Finished here
    double stallAt = std::numeric_limits<double>::infinity();  // nothing more from here
    bool stereo = true;
    const char* kind = "receiver";
    // Called on every read with the seconds delivered so far (a test stops the session).
    std::function<void(double)> onRead;
};

// A source of 1 kHz on the left and 1.5 kHz on the right, 100 ms a read, that fails as
// its script says. It takes no time itself: the virtual clock moves by what it delivers.
class FakeSource final : public AudioSource {
public:
    explicit FakeSource(FakeScript script) : m_script(std::move(script)) {}
    bool open(SourceError& error) override;
    ReadStatus read(std::vector<float>& out, std::chrono::milliseconds timeout,
                    SourceError& error) override;
    void close() override { m_open = false; }
    bool stereo() const override { return m_script.stereo; }
    const char* kind() const override { return m_script.kind; }

    int opens() const { return m_opens; }

private:
    FakeScript m_script;
    bool m_open = false;
    bool m_lost = false;
    int m_opens = 0;
    int m_reopens = 0;
    std::uint64_t m_frames = 0;
};

} // namespace velto::test
