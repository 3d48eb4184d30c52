// Feeds arbitrary bytes to ReservationFile::load as a reservation file and checks what the
// list holds afterwards against a plain reading of the same bytes, the copy of a damaged
// file, and a save and a second load. Slower than ReservationLoadFuzz (every input goes through
// files and syncs); it covers what only the file level does.
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

std::string workFolder() {
    if (g_folder[0] == '\0') {
        // tmpfs when there is one: every load of a damaged file writes and syncs a copy.
        std::string base = std::filesystem::is_directory("/dev/shm")
                               ? "/dev/shm"
                               : std::filesystem::temp_directory_path().string();
        std::string tmpl = base + "/ReservationFileFuzz-XXXXXX";
        require(tmpl.size() < sizeof g_folder && ::mkdtemp(tmpl.data()) != nullptr);
        std::memcpy(g_folder, tmpl.c_str(), tmpl.size() + 1);
        std::atexit([] { std::filesystem::remove_all(g_folder); });
    }
    return g_folder;
}

void writeFile(std::string const& path, uint8_t const* data, std::size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    require(f != nullptr);
    require(size == 0 || std::fwrite(data, 1, size, f) == size);
    require(std::fclose(f) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, std::size_t size) {
    std::string const folder = workFolder();
    std::string const file = folder + "/.ResvInfo.dat";
    std::string const again = folder + "/again.dat";
    writeFile(file, data, size);

    ReservationList list;
    ReservationFile loading(file);
    bool const loaded = loading.load(list);
    Expected const expected = expect(data, size);
    require(loaded == expected.result);

    std::vector<Reservation> recs = recordsOf(list);
    checkLoaded(list, recs, loaded, expected);
    // Exactly the damaged files are copied aside.
    require(isDamaged(expected, size) == !loading.lastRescuedCopy().empty());

    // What was loaded survives a save and a second load unchanged but for the ids.
    require(ReservationFile(again).save(list));
    ReservationList back;
    ReservationFile reloading(again);
    require(reloading.load(back));
    std::vector<Reservation> backRecs = recordsOf(back);
    require(backRecs.size() == recs.size());
    for (std::size_t i = 0; loaded && i < recs.size(); ++i) {
        Reservation r = backRecs[i];
        r.id = recs[i].id;
        require(r == recs[i]);
    }
    require(reloading.lastRescuedCopy().empty());

    for (auto const& entry : std::filesystem::directory_iterator(folder))
        std::filesystem::remove(entry.path());
    return 0;
}
