#pragma once
#include <string>
#include <vector>

namespace velto::test {

// A file decoded by opusdec (the reference decoder, as a player would take it).
struct Decoded {
    bool ok = false;
    int channels = 0;
    std::vector<float> samples; // interleaved
    double seconds() const { return channels ? double(samples.size()) / channels / 48'000 : 0; }
    // As interleaved stereo (a mono file's channel on both sides).
    std::vector<float> stereo() const;
};
Decoded decodeOpus(const std::string& path);

// opusinfo's report and whether it found nothing wrong (no warnings, no errors).
struct OpusInfo {
    bool clean = false;
    std::string text;
};
OpusInfo inspectOpus(const std::string& path);

} // namespace velto::test
