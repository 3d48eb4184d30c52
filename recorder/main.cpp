// Velto for Linux: the companion recorder. This entry runs its commands; the window and
// the session bus come on top of the same libraries.
#include "cli/CommandLine.h"
#include "sources/SourceFactory.h"

#include <iostream>

int main(int argc, char** argv) {
    // Every kind of source: soapy:, iq:, url:, v4l2:.
    const velto::SourceFactory sources;
    if (const auto status = velto::runCommand(argc, argv, sources, std::cout, std::cerr))
        return *status;
    std::cerr << "velto: try velto --help\n";
    return 2;
}
