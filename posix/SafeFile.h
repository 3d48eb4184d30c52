// File writing that never leaves a half-written reservation file behind, the copy that keeps
// a damaged file before it is replaced, and opening a file for reading that cannot hang.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Replaces the file at path by size bytes of data, or leaves it exactly as it was and
// answers false with errno set. Writes an unnamed temporary file in the same folder, syncs
// it, names it and renames it over path, so that a save cut short leaves nothing behind
// (where the file system has no unnamed files, a named one, which a crash can leave). A
// replaced file keeps its permission bits (read/write only) and, where allowed, its owner;
// a new file is created 0600, since it holds the user's own reservations.
//
// When the folder may not be written but the file may, the file is rewritten in place
// instead: a crash during that write can leave it short.
//
// A symbolic link at path is written through (the reservation file, whose way is checked,
// may be one) with FinalLink::Follow; with FinalLink::Refuse, for a file the user names in a
// folder that may not be the user's alone, it is refused with ELOOP and the file behind it
// is never reached, not even when a link is put there during the save.
enum class FinalLink { Follow, Refuse };
bool writeFileAtomically(std::string const& path, uint8_t const* data, std::size_t size,
                         FinalLink link = FinalLink::Follow);

// Removes what saves cut short by a crash left in the folder of path, and in the folder of
// the file a symbolic link at path points to: files named like this program's temporary
// files and owned by this user. Only for when no save can be under way there (under the
// instance lock). Answers how many were removed.
int removeSaveLeftovers(std::string const& path);

// Copies everything the open file fd holds, from its first byte, to a new file
// "<path>.damaged-YYYYMMDD-HHMMSS" (local time; "-2", "-3" ... appended while a name is
// taken, so an earlier copy is never overwritten). Answers the copy's path, or "" when no
// complete copy could be made (a partial copy is removed).
std::string copyFileBeside(int fd, std::string const& path);

// Opens path for reading without waiting (a FIFO in the file's place would block an ordinary
// open) and keeps it only when it is a regular file: -1 otherwise, with errno ENXIO or the
// open's own error (ENOENT for a missing file). extraFlags: e.g. O_NOFOLLOW.
int openRegularForReading(std::string const& path, int extraFlags = 0);
