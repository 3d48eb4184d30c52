#pragma once
#include "sources/IqSource.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace velto {

enum class SampleFormat { Cu8, Cs16, Cf32 };

// A capture to replay: raw interleaved I/Q samples at a known rate around a known centre.
struct CaptureInfo {
    std::string path;
    SampleFormat format = SampleFormat::Cu8;
    double rate = 0;
    double centreHz = 0;
    bool loop = false;

    // From the part of a source after "iq:": FILE?format=cu8|cs16|cf32&rate=N&center=HZ
    // [&loop=1]. None, with the reason, when something is missing or out of range.
    static std::optional<CaptureInfo> parse(std::string_view text, std::string& why);
};

// Replays a capture file, at its own rate (paced by the steady clock) or, for `--fast`, as
// fast as it can be read. Only a regular file is taken (a FIFO or a device could block or
// never end); a file that ends inside a sample is played to its last whole sample and its
// end reported.
class IqFileSource final : public IqSource {
public:
    IqFileSource(CaptureInfo capture, bool realTime);
    ~IqFileSource() override;

    bool open(const Station& station, SourceError& error) override;
    ReadStatus read(std::vector<std::complex<float>>& out, std::chrono::milliseconds timeout,
                    SourceError& error) override;
    void close() override;
    double sampleRate() const override { return m_capture.rate; }
    double centreHz() const override { return m_capture.centreHz; }

private:
    void convert(const unsigned char* bytes, std::size_t samples,
                 std::vector<std::complex<float>>& out) const;

    CaptureInfo m_capture;
    bool m_realTime;
    int m_fd = -1;
    std::size_t m_sampleBytes = 2;
    std::uint64_t m_leftOver = 0; // bytes after the last whole sample
    std::uint64_t m_delivered = 0;
    std::chrono::steady_clock::time_point m_began;
    std::vector<unsigned char> m_buffer;
};

} // namespace velto
