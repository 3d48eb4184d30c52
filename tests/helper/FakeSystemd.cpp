#include "FakeSystemd.h"

#include "helper/ScheduleTool.h"

#include <algorithm>
#include <fstream>

FakeSystemd::FakeSystemd(std::string stateFolder) : m_stateFolder(std::move(stateFolder)) {
    std::ifstream in(m_stateFolder + "/units");
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty()) {
            units.insert(line);
        }
    }
}

std::string FakeSystemd::render(const std::vector<std::string>& argv) {
    std::string line;
    for (const auto& arg : argv) {
        if (!line.empty()) {
            line += ' ';
        }
        line += arg.find(' ') == std::string::npos ? arg : "'" + arg + "'";
    }
    return line;
}

void FakeSystemd::note(const std::string& line) {
    commands.push_back(line);
    if (!m_stateFolder.empty()) {
        std::ofstream(m_stateFolder + "/systemd.log", std::ios::app) << line << "\n";
    }
}

void FakeSystemd::save() const {
    if (m_stateFolder.empty()) {
        return;
    }
    std::ofstream out(m_stateFolder + "/units", std::ios::trunc);
    for (const auto& unit : units) {
        out << unit << "\n";
    }
}

ICommandRunner::Result FakeSystemd::run(const std::vector<std::string>& argv) {
    const std::string line = render(argv);
    note(line);
    Result result{0, {}};
    if (!failWhenContains.empty() && line.find(failWhenContains) != std::string::npos) {
        result.status = 1;
        return result;
    }
    if (argv.empty()) {
        result.status = 1;
    } else if (argv[0] == ScheduleTool::kSystemdRun) {
        const auto unit = std::find_if(argv.begin(), argv.end(), [](const std::string& a) {
            return a.starts_with("--unit=");
        });
        if (unit == argv.end() || !units.insert(unit->substr(7) + ".timer").second) {
            result.status = 1; // as systemd answers for a unit that already exists
        }
    } else if (argv[0] == ScheduleTool::kSystemctl && argv.size() > 1 && argv[1] == "list-units") {
        std::string prefix = argv.back();
        prefix.erase(std::remove(prefix.begin(), prefix.end(), '*'), prefix.end());
        for (const auto& name : units) {
            if (name.starts_with(prefix)) {
                result.output += name + " loaded active waiting Timer\n";
            }
        }
    } else if (argv[0] == ScheduleTool::kSystemctl && argv.size() > 1 && argv[1] == "stop") {
        const auto dashes = std::find(argv.begin(), argv.end(), std::string("--"));
        for (auto it = dashes == argv.end() ? argv.end() : dashes + 1; it != argv.end(); ++it) {
            units.erase(*it);
        }
    } else if (argv[0] != ScheduleTool::kBusctl) { // logind answers
        result.status = 1;
    }
    save();
    return result;
}
