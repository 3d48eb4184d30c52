#pragma once
#include "output/FileError.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct OggOpusEnc;

namespace velto {

struct EncoderSettings {
    int stereoBitrate = 96'000;
    int monoBitrate = 64'000;
};

struct RecordingTags {
    std::string title;
    std::string date;         // ISO 8601
    std::string organization; // the station's name, when known
    std::string comment;      // band and frequency
};

// One recording as an Ogg Opus file. It is written as "<stem>.opus.part" (created afresh,
// never over another file, and locked while written so that recovery leaves it alone),
// its pages reach the disk at least every few seconds (a power cut loses at most 5 s), and
// finish() renames it to "<stem>.opus". A taken name gets " (2)", " (3)", …
class OpusFileWriter {
public:
    OpusFileWriter() = default;
    ~OpusFileWriter();
    OpusFileWriter(const OpusFileWriter&) = delete;
    OpusFileWriter& operator=(const OpusFileWriter&) = delete;

    bool open(const std::string& folder, const std::string& stem, int channels,
              const EncoderSettings& settings, const RecordingTags& tags, FileError& error);
    // Interleaved stereo frames at 48 kHz; a mono file takes their mean.
    bool write(const float* frames, std::size_t count, FileError& error);
    // Silence, to keep the file's time line the clock's across a gap.
    bool writeSilence(std::size_t count, FileError& error);
    // Ends the stream, syncs and renames; the file's final path in `path`. After a write
    // failure it still tries, so that what was written is kept. A file that never had any
    // sound is removed ("no-sound").
    bool finish(std::string& path, FileError& error);

    bool isOpen() const { return m_encoder != nullptr; }
    const std::string& partPath() const { return m_partPath; }
    std::uint64_t frames() const { return m_frames; }
    double seconds() const { return double(m_frames) / 48'000.0; }
    int bitrate() const { return m_bitrate; }

private:
    static int writePage(void* self, const unsigned char* data, std::int32_t length);
    static int closeStream(void* self);
    bool checkIo(FileError& error);
    bool syncIfDue(FileError& error);
    void abandon();

    OggOpusEnc* m_encoder = nullptr;
    int m_fd = -1;
    int m_channels = 2;
    int m_bitrate = 0;
    int m_ioErrno = 0;
    std::string m_folder;
    std::string m_stem;
    std::string m_partPath;
    std::uint64_t m_frames = 0;
    std::uint64_t m_framesAtSync = 0;
    std::vector<float> m_scratch;
};

// The bytes a recording of `seconds` at `bitrate` takes, Ogg framing included.
std::uint64_t expectedBytes(int bitrate, double seconds);

} // namespace velto
