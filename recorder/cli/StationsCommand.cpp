#include "cli/StationsCommand.h"

#include "session/StationFile.h"

#include <cstdlib>
#include <iostream>
#include <map>
#include <optional>

namespace velto {

namespace {
constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kRefused = 2;

// "--name value" and "--name=value"; every option takes a value and comes once.
std::optional<std::map<std::string, std::string>> options(const std::vector<std::string>& args,
                                                          const std::vector<std::string>& known,
                                                          std::string& why) {
    std::map<std::string, std::string> given;
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        bool isKnown = false;
        for (const std::string& k : known)
            isKnown = isKnown || k == name;
        if (!isKnown) {
            why = "unknown argument \"" + name + "\"";
            return std::nullopt;
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                why = name + " needs a value";
                return std::nullopt;
            }
            value = args[++i];
        }
        if (!given.emplace(name, *value).second) {
            why = name + " is given twice";
            return std::nullopt;
        }
    }
    return given;
}

std::optional<Station> stationOf(const std::map<std::string, std::string>& given,
                                 std::string& why) {
    const auto band = given.find("--band");
    const auto ch = given.find("--ch");
    if (band == given.end() || ch == given.end()) {
        why = "--band and --ch are needed";
        return std::nullopt;
    }
    Station station;
    const std::optional<Band> b = bandFromName(band->second);
    if (!b) {
        why = "--band takes FM or AM";
        return std::nullopt;
    }
    station.band = *b;
    char* end = nullptr;
    const long n = std::strtol(ch->second.c_str(), &end, 10);
    if (ch->second.empty() || *end != '\0' || n <= 0 || n > 1000000) {
        why = "--ch takes a whole number (FM in 10 kHz units, AM in kHz)";
        return std::nullopt;
    }
    station.channel = static_cast<int>(n);
    if (!station.valid(why))
        return std::nullopt;
    return station;
}

void list(const StationTable& table, std::ostream& out) {
    if (table.entries().empty()) {
        out << "No stations are set: every station records from the receiver.\n";
        return;
    }
    for (const StationEntry& e : table.entries()) {
        out << bandName(e.station.band) << ' ' << e.station.channel << '\t' << e.station.describe()
            << '\t' << sourceUseName(e.use) << '\t' << (e.streamUrl.empty() ? "-" : e.streamUrl);
        if (!e.name.empty())
            out << '\t' << e.name;
        out << '\n';
    }
}
} // namespace

int runStationsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                       const std::string& path) {
    if (path.empty()) {
        err << "velto stations: neither XDG_CONFIG_HOME nor HOME names a folder.\n";
        return kFailed;
    }
    StationTable table;
    std::string why;
    // A table that cannot be read is never written over: the user's stations stay.
    if (!StationFile::load(path, table, why)) {
        err << "velto stations: the stations cannot be read: " << why << "\n";
        return kFailed;
    }
    if (args.empty()) {
        list(table, out);
        return kDone;
    }

    const std::string& verb = args[0];
    std::optional<std::map<std::string, std::string>> given;
    if (verb == "set")
        given = options(args, {"--band", "--ch", "--url", "--use", "--name"}, why);
    else if (verb == "remove")
        given = options(args, {"--band", "--ch"}, why);
    else
        why = "unknown command \"" + verb + "\" (set or remove)";
    std::optional<Station> station;
    if (given)
        station = stationOf(*given, why);
    if (!station) {
        err << "velto stations: " << why << (why.back() == '.' ? "\n" : ".\n");
        return kRefused;
    }

    if (verb == "remove") {
        if (!table.remove(*station)) {
            err << "velto stations: " << station->describe() << " is not in the table.\n";
            return kRefused;
        }
    } else {
        StationEntry entry;
        entry.station = *station;
        if (const auto url = given->find("--url"); url != given->end())
            entry.streamUrl = url->second;
        if (const auto name = given->find("--name"); name != given->end())
            entry.name = name->second;
        for (unsigned char c : entry.name) {
            if (c < 0x20 || c == 0x7f) {
                err << "velto stations: --name holds control characters.\n";
                return kRefused;
            }
        }
        if (const auto use = given->find("--use"); use != given->end()) {
            const std::optional<SourceUse> u = sourceUseFromName(use->second);
            if (!u) {
                err << "velto stations: --use takes receiver, stream or fallback.\n";
                return kRefused;
            }
            entry.use = *u;
        }
        SourceError error;
        if (!table.set(entry, error)) {
            err << "velto stations: " << error.text << "\n";
            return kRefused;
        }
    }
    if (!StationFile::save(path, table, why)) {
        err << "velto stations: the stations cannot be saved: " << why << "\n";
        return kFailed;
    }
    list(table, out);
    return kDone;
}

} // namespace velto
