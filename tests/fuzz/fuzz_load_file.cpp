// Feeds arbitrary bytes to CScheduleItem::Load as a reservation file and checks what the
// list holds afterwards against a plain reading of the same bytes, the copy of a damaged
// file, and a save and a second load. Slower than fuzz_load (every input goes through files
// and syncs); it covers what only the file level does.
#include "ReservationFileModel.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

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

void WriteFile(std::string const& path, uint8_t const* data, std::size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    Require(f != nullptr);
    Require(size == 0 || std::fwrite(data, 1, size, f) == size);
    Require(std::fclose(f) == 0);
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
    CheckLoaded(list, recs, loaded, expected);
    // Exactly the damaged files are copied aside.
    Require(Damaged(expected, size) == !list.lastRescuedCopy().empty());

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
