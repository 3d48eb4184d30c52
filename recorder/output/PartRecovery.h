#pragma once
#include <string>
#include <vector>

namespace velto {

// A ".opus.part" that a recorder left behind (killed, crashed, the power gone), and what
// became of it.
struct RecoveredFile {
    std::string partPath;
    std::string path;   // the finished file; empty when it was not finished
    double seconds = 0; // sound it holds
    bool recovered = false;
    std::string reasonKey; // when not: "no-sound" (removed, it held none), "unreadable"
    std::string reasonText;
    // What the recording kept beside its ".part" (see writeProgrammeNote), read and removed;
    // empty when there was none or it was not trusted (why in noteProblem).
    std::string note;
    std::string noteProblem;
};

// Where a recording keeps, beside its ".part", what it records: read back when the ".part"
// is finished after a crash, to tell the manager what became of that programme.
std::string notePath(const std::string& partPath);

// Writes text to notePath(partPath): a temporary file (0600), synced, renamed into place.
// False with the reason in why.
bool writeProgrammeNote(const std::string& partPath, const std::string& text, std::string& why);

// Removes the note of a recording that ended normally.
void removeProgrammeNote(const std::string& partPath);

// Finishes every ".opus.part" in `folder` that no running recorder holds: cut after its
// last whole page, ended cleanly, renamed to ".opus" (the next free name). One without any
// sound is removed. Called at the program's start; what it did goes into the report.
std::vector<RecoveredFile> recoverPartFiles(const std::string& folder);

} // namespace velto
