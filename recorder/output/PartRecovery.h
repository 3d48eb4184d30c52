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
};

// Finishes every ".opus.part" in `folder` that no running recorder holds: cut after its
// last whole page, ended cleanly, renamed to ".opus" (the next free name). One without any
// sound is removed. Called at the program's start; what it did goes into the report.
std::vector<RecoveredFile> recoverPartFiles(const std::string& folder);

} // namespace velto
