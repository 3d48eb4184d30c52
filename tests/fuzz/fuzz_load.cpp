// Feeds arbitrary bytes to the reservation file's reading, from memory, and checks what the
// list holds afterwards against a plain reading of the same bytes; then writes the list out
// in the file's form and reads it back. No file is touched, so that a run tries many inputs;
// fuzz_load_file covers the file level.
#include "ReservationFileModel.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, std::size_t size) {
    // Kept from input to input: each load starts by emptying the list, and a list made for
    // each input would cost more than the reading it checks.
    static CScheduleItem list;
    static CScheduleItem back;
    static std::vector<SCHEDULEITEM_TAG> recs;
    static std::vector<SCHEDULEITEM_TAG> backRecs;
    static std::vector<uint8_t> bytes;
    bool damaged = false;
    bool const loaded = list.LoadFromMemory(data, size, &damaged);
    Expected const expected = Expect(data, size);
    Require(loaded == expected.result);
    Require(damaged == Damaged(expected, size));

    ReadRecords(list, recs);
    CheckLoaded(list, recs, loaded, expected);

    // What was loaded survives its file form and a second reading unchanged but for the ids.
    bytes.resize(recs.size() * kScheduleRecordSize);
    for (std::size_t i = 0; i < recs.size(); ++i)
        ScheduleRecordToBytes(recs[i], bytes.data() + i * kScheduleRecordSize);
    bool backDamaged = true;
    Require(back.LoadFromMemory(bytes.data(), bytes.size(), &backDamaged));
    Require(!backDamaged);
    ReadRecords(back, backRecs);
    Require(backRecs.size() == recs.size());
    for (std::size_t i = 0; loaded && i < recs.size(); ++i) {
        SCHEDULEITEM_TAG r = backRecs[i];
        r.nID = recs[i].nID;
        Require(r == recs[i]);
    }
    return 0;
}
