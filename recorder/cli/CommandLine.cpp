#include "cli/CommandLine.h"

#include "cli/DevicesCommand.h"
#include "cli/RecordCommand.h"
#include "cli/StationsCommand.h"
#include "config.h"
#include "session/StationFile.h"

#include <iostream>
#include <string>
#include <vector>

namespace velto {

namespace {
const char* const kUsage =
    "Usage: velto record --band FM|AM --ch N (--seconds S | --start T --end T)\n"
    "                    [--title T] [--source SOURCE] [--output DIR] [--fast]\n"
    "       velto devices\n"
    "       velto stations\n"
    "       velto stations set --band FM|AM --ch N [--url URL]\n"
    "                          [--use receiver|stream|fallback] [--name NAME]\n"
    "       velto stations remove --band FM|AM --ch N\n"
    "       velto [--headless]\n"
    "\n"
    "  record   records one programme and prints its file's path\n"
    "           (exit status 0 recorded, 1 not or only partly, 2 refused)\n"
    "  devices  lists the receivers SoapySDR finds and the USB radio tuners\n"
    "  stations lists, sets or removes the stations recorded from their internet\n"
    "           stream (stream: always; fallback: when no receiver is found)\n"
    "  (none)   records what the manager hands over on the session bus, with the\n"
    "           window; --headless, or without a display, on the bus alone\n"
    "\n"
    "  N        FM in 10 kHz units (8000 is 80.0 MHz), AM in kHz\n"
    "  T        ISO 8601 with its offset (2025-03-01T20:00:00+09:00) or seconds since 1970\n"
    "  SOURCE   soapy:ARGS (e.g. soapy:driver=rtlsdr),\n"
    "           iq:FILE?format=cu8|cs16|cf32&rate=N&center=HZ[&loop=1],\n"
    "           url:http(s)://… (a station's stream) or\n"
    "           v4l2:/dev/radioN[?alsa=CARD][&rate=HZ] (a USB radio tuner);\n"
    "           VELTO_SOURCE=SOURCE sets the default\n"
    "  --fast   replays a capture as fast as it can be read\n";
} // namespace

std::optional<int> runCommand(int argc, const char* const* argv, const SourceFactory& sources,
                              std::ostream& out, std::ostream& err) {
    if (argc < 2)
        return std::nullopt;
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "record")
        return runRecordCommand(args, sources, out, err);
    if (command == "devices") {
        if (!args.empty()) {
            err << "velto devices takes no arguments.\n";
            return 2;
        }
        return runDevicesCommand(out, err);
    }
    if (command == "stations")
        return runStationsCommand(args, out, err, StationFile::defaultPath());
    if (command == "--help" || command == "-h") {
        out << kUsage;
        return 0;
    }
    if (command == "--version") {
        out << "velto " << RESVMAN_VERSION << "\n";
        return 0;
    }
    return std::nullopt;
}

} // namespace velto
