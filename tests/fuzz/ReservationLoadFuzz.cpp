// Feeds arbitrary bytes to the reservation file's reading, from memory, and checks what the
// list holds afterwards against a plain reading of the same bytes; then writes the list out
// in the file's form and reads it back. No file is touched, so that a run tries many inputs;
// ReservationFileFuzz covers the file level.
#include "ReservationFileModel.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, std::size_t size) {
    // Kept from input to input: each load starts by emptying the list, and a list made for
    // each input would cost more than the reading it checks.
    static ReservationList list;
    static ReservationList back;
    static std::vector<Reservation> recs;
    static std::vector<Reservation> backRecs;
    static std::vector<uint8_t> bytes;
    bool damaged = false;
    bool const loaded = ReservationFile::loadFromMemory(list, data, size, &damaged);
    Expected const expected = expect(data, size);
    require(loaded == expected.result);
    require(damaged == isDamaged(expected, size));

    readRecords(list, recs);
    checkLoaded(list, recs, loaded, expected);

    // What was loaded survives its file form and a second reading unchanged but for the ids.
    bytes.resize(recs.size() * ReservationRecord::kSize);
    for (std::size_t i = 0; i < recs.size(); ++i)
        ReservationRecord::write(recs[i], bytes.data() + i * ReservationRecord::kSize);
    bool backDamaged = true;
    require(ReservationFile::loadFromMemory(back, bytes.data(), bytes.size(), &backDamaged));
    require(!backDamaged);
    readRecords(back, backRecs);
    require(backRecs.size() == recs.size());
    for (std::size_t i = 0; loaded && i < recs.size(); ++i) {
        Reservation r = backRecs[i];
        r.id = recs[i].id;
        require(r == recs[i]);
    }
    return 0;
}
