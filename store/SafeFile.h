// File writing that never leaves a half-written reservation file behind, the copy that keeps
// a damaged file before it is replaced, and opening a file for reading that cannot hang.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Replaces the file at path by size bytes of data, or leaves it exactly as it was and
// answers false. Writes a temporary file in the same folder, syncs it and renames it over
// path. A replaced file keeps its permission bits (read/write only) and, where allowed,
// its owner; a new file is created 0600, since it holds the user's own reservations.
bool WriteFileAtomically(std::string const& path, uint8_t const* data, std::size_t size);

// Copies everything the open file fd holds, from its first byte, to a new file
// "<path>.damaged-YYYYMMDD-HHMMSS" (local time; "-2", "-3" ... appended while a name is
// taken, so an earlier copy is never overwritten). Answers the copy's path, or "" when no
// complete copy could be made (a partial copy is removed).
std::string CopyFileBeside(int fd, std::string const& path);

// Opens path for reading without waiting (a FIFO in the file's place would block an ordinary
// open) and keeps it only when it is a regular file: -1 otherwise, with errno ENXIO or the
// open's own error (ENOENT for a missing file). extraFlags: e.g. O_NOFOLLOW.
int OpenRegularForReading(std::string const& path, int extraFlags = 0);
