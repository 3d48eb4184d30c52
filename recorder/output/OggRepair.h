#pragma once
#include <cstdint>
#include <string>

namespace velto {

// What an Ogg Opus file holds up to its last whole page.
struct OggState {
    bool opusHeaders = false; // the identification and comment headers are there
    std::uint64_t audioPages = 0;
    double seconds = 0; // playable length by the last page's granule position
    std::uint64_t validBytes = 0;
    bool ended = false; // the last page carries end-of-stream
};

// Reads the pages of the Ogg file open on `fd` (each checked by its CRC) until the first
// that is incomplete, damaged or of another stream.
OggState scanOgg(int fd);

// Makes the file on `fd` end cleanly: cut after its last whole page, with a packet left
// unfinished by the cut removed from that page, and end-of-stream set on it. What a
// recorder killed mid-write, or stopped by a full disk, leaves becomes a file players
// take to its end. The state after the repair.
OggState repairOgg(int fd, std::string& why);

} // namespace velto
