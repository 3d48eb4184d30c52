// Looks at the companion's preferences file without building it as a tree, so that no file
// of up to the size cap can make reading the presets slow or large. libplist builds the
// whole tree: a binary file expands every shared reference (a few kilobytes of references
// to references become billions of objects), and in an XML file the cost grows with the
// square of a dictionary's size and with the nesting. Plain C++, no Qt, for the fuzzing
// build too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// The bytes of the data object stored under key in the top dictionary of a binary property
// list ("bplist00"). Only the trailer, the offset table, the top dictionary, its keys and the
// one value are read, each checked against the file's bounds: the work is bounded by the size
// of the top dictionary, whatever else the file holds. Nothing when the file is malformed as
// far as those go, the top is not a dictionary, no key matches (ASCII or UTF-16 keys) or its
// value is not data.
std::optional<std::span<uint8_t const>> binaryPlistTopData(std::span<uint8_t const> file,
                                                           std::string_view key);

// What an XML property list may hold before libplist is given it. libplist's cost grows with
// the square of a dictionary's size, with the nesting, and with the number of entity
// references times the length of the text that holds them.
struct XmlPlistLimits {
    std::size_t elements;
    unsigned depth;
    std::size_t entities; // "&amp;", "&#12354;", ...
};

// Whether an XML property list stays within the limits, in one pass over the text (comments,
// CDATA sections and processing instructions skipped). A document type with an internal
// subset (entity declarations) is refused outright, as is text that cannot be an XML
// document's markup (an unterminated tag, more end tags than start tags).
bool xmlPlistWithinBounds(std::span<uint8_t const> file, XmlPlistLimits const& limits);
