// A look at a binary property list's structure before libplist parses it: libplist walks
// nested containers by recursion, with a cost that grows with the square of the depth, so
// a small hostile file could exhaust the stack or stall the caller. Plain C++, no Qt.
#pragma once

#include <cstddef>
#include <cstdint>

// True when data is a well-formed "bplist00" file as far as its trailer, offset table and
// container references go, free of reference cycles, and no path from the top object runs
// through more than maxDepth containers (arrays, sets, dictionaries).
bool BinaryPlistNestingWithin(uint8_t const* data, std::size_t size, unsigned maxDepth);
