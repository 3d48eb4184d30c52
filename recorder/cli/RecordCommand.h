#pragma once
#include "sources/SourceFactory.h"
#include "sources/Station.h"

#include <chrono>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace velto {

// `velto record` as given on the command line.
struct RecordOptions {
    Station station;
    std::optional<double> seconds;
    std::optional<std::chrono::system_clock::time_point> start;
    std::optional<std::chrono::system_clock::time_point> end;
    std::optional<std::string> title;
    std::optional<std::string> source;
    std::optional<std::string> output;
    bool fast = false;

    // The arguments after "record"; none, with the reason, when they do not make a
    // recording.
    static std::optional<RecordOptions> parse(const std::vector<std::string>& args,
                                              std::string& why);
};

// Records one programme without the bus and prints its file's path. Exit status 0
// recorded, 1 not (or only partly) recorded, 2 refused (bad arguments, an end already past).
int runRecordCommand(const std::vector<std::string>& args, const SourceFactory& sources,
                     std::ostream& out, std::ostream& err);

} // namespace velto
