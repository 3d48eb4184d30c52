// Feeds arbitrary bytes to CScheduleItem::Load as a reservation file and checks what the
// list holds afterwards against a plain reading of the same bytes.
#include "store/ScheduleItem.h"

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

void Require(bool condition) {
    if (!condition)
        __builtin_trap();
}

// A plain buffer rather than a std::string: it must outlive the static destructors, since
// the folder is removed at exit.
char g_folder[4096];

std::string WorkFolder() {
    if (g_folder[0] == '\0') {
        // tmpfs when there is one: every load of a damaged file writes and syncs a copy.
        std::string base = std::filesystem::is_directory("/dev/shm")
                               ? "/dev/shm"
                               : std::filesystem::temp_directory_path().string();
        std::string tmpl = base + "/fuzz_load-XXXXXX";
        Require(tmpl.size() < sizeof g_folder && ::mkdtemp(tmpl.data()) != nullptr);
        std::memcpy(g_folder, tmpl.c_str(), tmpl.size() + 1);
        std::atexit([] { std::filesystem::remove_all(g_folder); });
    }
    return g_folder;
}

uint64_t LE(uint8_t const* p, int bytes) {
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= static_cast<uint64_t>(p[i]) << (8 * i);
    return v;
}

// What a load must give: the records that count, up to the first refused one.
struct Expected {
    std::size_t count = 0;
    bool result = true;
    bool unterminated = false; // a loaded title without its zero
};

Expected Expect(uint8_t const* data, std::size_t size) {
    Expected e;
    for (std::size_t at = 0; at + kScheduleRecordSize <= size; at += kScheduleRecordSize) {
        if (static_cast<int32_t>(LE(data + at, 4)) < 0)
            continue;
        double start = std::bit_cast<double>(LE(data + at + 4, 8));
        double end = std::bit_cast<double>(LE(data + at + 12, 8));
        uint32_t freq = static_cast<uint32_t>(LE(data + at + 20, 4));
        if (!(start < end) || freq == 0 || e.count == static_cast<std::size_t>(kScheduleMaxCount)) {
            e.result = false;
            break;
        }
        ++e.count;
        if (std::memchr(data + at + 24, 0, 256) == nullptr)
            e.unterminated = true;
    }
    return e;
}

void WriteFile(std::string const& path, uint8_t const* data, std::size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    Require(f != nullptr);
    Require(size == 0 || std::fwrite(data, 1, size, f) == size);
    Require(std::fclose(f) == 0);
}

std::vector<SCHEDULEITEM_TAG> Records(CScheduleItem& list) {
    std::vector<SCHEDULEITEM_TAG> out;
    SCHEDULEITEM_TAG r;
    for (int i = 0; list.readScheduleByIndex(i, &r); ++i)
        out.push_back(r);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, std::size_t size) {
    std::string const folder = WorkFolder();
    std::string const file = folder + "/.ResvInfo.dat";
    std::string const again = folder + "/again.dat";
    WriteFile(file, data, size);

    CScheduleItem list;
    bool const loaded = list.Load(file.c_str());
    Expected const expected = Expect(data, size);
    Require(loaded == expected.result);

    std::vector<SCHEDULEITEM_TAG> recs = Records(list);
    Require(recs.size() == expected.count);
    Require(list.m_nCount.load() == static_cast<int>(recs.size()));
    std::vector<bool> seen(recs.size(), false);
    for (std::size_t i = 0; i < recs.size(); ++i) {
        SCHEDULEITEM_TAG const& r = recs[i];
        Require(r.nID >= 0 && static_cast<std::size_t>(r.nID) < recs.size() && !seen[r.nID]);
        seen[r.nID] = true;
        Require(r.dStartTime < r.dEndTime && r.uFreq != 0 && r.uState == 0);
        Require(ScheduleTitleLength(r) < sizeof r.cTitle);
        if (loaded && i > 0) {
            SCHEDULEITEM_TAG const& p = recs[i - 1];
            Require(p.dStartTime < r.dStartTime ||
                    (p.dStartTime == r.dStartTime && p.dEndTime <= r.dEndTime));
        }
    }
    // Exactly the damaged files are copied aside.
    bool const damaged = !loaded || size % kScheduleRecordSize != 0 || expected.unterminated;
    Require(damaged == !list.lastRescuedCopy().empty());

    // What was loaded survives a save and a second load unchanged but for the ids.
    Require(list.Save(again.c_str()));
    CScheduleItem back;
    Require(back.Load(again.c_str()));
    std::vector<SCHEDULEITEM_TAG> backRecs = Records(back);
    Require(backRecs.size() == recs.size());
    for (std::size_t i = 0; loaded && i < recs.size(); ++i) {
        SCHEDULEITEM_TAG r = backRecs[i];
        r.nID = recs[i].nID;
        Require(r == recs[i]);
    }
    Require(back.lastRescuedCopy().empty());

    for (auto const& entry : std::filesystem::directory_iterator(folder))
        std::filesystem::remove(entry.path());
    return 0;
}
