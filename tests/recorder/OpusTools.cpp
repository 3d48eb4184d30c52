#include "OpusTools.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sys/wait.h>

namespace velto::test {

namespace {
std::string quoted(const std::string& s) {
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string run(const std::string& command, int& status) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        status = -1;
        return out;
    }
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    const int raw = pclose(pipe);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
}
} // namespace

std::vector<float> Decoded::stereo() const {
    if (channels == 2)
        return samples;
    std::vector<float> out;
    for (float v : samples) {
        out.push_back(v);
        out.push_back(v);
    }
    return out;
}

Decoded decodeOpus(const std::string& path) {
    Decoded decoded;
    const std::string wav = path + ".test.wav";
    int status = 0;
    run("opusdec --quiet --rate 48000 " + quoted(path) + " " + quoted(wav) + " 2>&1", status);
    std::ifstream file(wav, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), {});
    std::remove(wav.c_str());
    if (status != 0 || bytes.size() < 44 || bytes.compare(0, 4, "RIFF") != 0)
        return decoded;
    // Walk the chunks to "fmt " and "data".
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        std::uint32_t size = 0;
        std::memcpy(&size, bytes.data() + at + 4, 4);
        const std::string id = bytes.substr(at, 4);
        if (id == "fmt ") {
            std::uint16_t channels = 0;
            std::memcpy(&channels, bytes.data() + at + 10, 2);
            decoded.channels = channels;
        } else if (id == "data") {
            const std::size_t count = std::min<std::size_t>(size, bytes.size() - at - 8) / 2;
            decoded.samples.resize(count);
            for (std::size_t i = 0; i < count; ++i) {
                std::int16_t v = 0;
                std::memcpy(&v, bytes.data() + at + 8 + 2 * i, 2);
                decoded.samples[i] = v / 32768.0f;
            }
            break;
        }
        at += 8 + size + (size & 1);
    }
    decoded.ok = decoded.channels > 0;
    return decoded;
}

OpusInfo inspectOpus(const std::string& path) {
    OpusInfo info;
    int status = 0;
    info.text = run("opusinfo " + quoted(path) + " 2>&1", status);
    info.clean = status == 0 && info.text.find("WARNING") == std::string::npos &&
                 info.text.find("ERROR") == std::string::npos;
    return info;
}

} // namespace velto::test
