// Helpers shared by the store tests: records, hand-built file images and a private folder.
#pragma once

#include "store/ReservationList.h"
#include "store/ReservationRecord.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

namespace storetest {

constexpr double kDay = 86400.0;
constexpr double kBase = 1'700'000'000.0; // 2023-11-14 22:13:20 UTC
constexpr uint32_t kFM80 = 0x01001F40;

inline Reservation makeRec(double start, double end, uint32_t freq = kFM80,
                           char const* title = "news", uint8_t valid = 1) {
    Reservation r;
    r.start = start;
    r.end = end;
    r.frequency = freq;
    std::strncpy(r.title, title, sizeof r.title - 1);
    r.enabled = valid;
    return r;
}

// One record of the reservation file, laid out here byte by byte so that the tests do not
// trust the code they check.
struct FileRecord {
    int32_t id = 0;
    double start = 0;
    double end = 0;
    uint32_t freq = kFM80;
    std::string title = "t";
    uint32_t week = 0;
    uint8_t pending = 1;
    uint8_t valid = 1;
    uint32_t state = 0;
    bool terminateTitle = true; // false: all 256 title bytes are 'X'
};

inline void putLE(std::vector<uint8_t>& out, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

inline std::vector<uint8_t> Bytes(FileRecord const& r) {
    std::vector<uint8_t> out;
    putLE(out, static_cast<uint32_t>(r.id), 4);
    putLE(out, std::bit_cast<uint64_t>(r.start), 8);
    putLE(out, std::bit_cast<uint64_t>(r.end), 8);
    putLE(out, r.freq, 4);
    std::vector<uint8_t> title(256, r.terminateTitle ? 0 : 'X');
    if (r.terminateTitle)
        std::memcpy(title.data(), r.title.data(), std::min<std::size_t>(r.title.size(), 255));
    out.insert(out.end(), title.begin(), title.end());
    putLE(out, r.week, 4);
    out.push_back(r.pending);
    out.push_back(r.valid);
    out.push_back(0xAA); // padding: no meaning, must be ignored
    out.push_back(0xBB);
    putLE(out, r.state, 4);
    return out;
}

inline std::vector<uint8_t> Bytes(std::vector<FileRecord> const& records) {
    std::vector<uint8_t> out;
    for (FileRecord const& r : records) {
        std::vector<uint8_t> one = Bytes(r);
        out.insert(out.end(), one.begin(), one.end());
    }
    return out;
}

inline void writeFile(std::string const& path, std::vector<uint8_t> const& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<char const*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<uint8_t> readFile(std::string const& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

inline std::vector<Reservation> recordsOf(ReservationList& list) {
    std::vector<Reservation> out;
    Reservation r;
    for (int i = 0; list.readAt(i, r); ++i)
        out.push_back(r);
    return out;
}

// A fresh folder of its own for each test (ctest runs tests side by side).
class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (std::filesystem::temp_directory_path() / "storetest-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        m_dir = tmpl;
        m_file = m_dir + "/.ResvInfo.dat";
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::vector<std::string> folderEntries() const {
        std::vector<std::string> names;
        for (auto const& e : std::filesystem::directory_iterator(m_dir))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string m_dir;
    std::string m_file;
};

} // namespace storetest
