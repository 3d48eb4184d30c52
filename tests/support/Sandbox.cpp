#include "tests/support/Sandbox.h"
#include "tests/support/ScratchFiles.h"

#include "TestPaths.h"
#include "protocol/BrokerFrame.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <stdlib.h>

namespace fs = std::filesystem;

Sandbox::Sandbox(bool systemdRunning) {
    root = makeScratchFolder();
    bundle = root + "/bundle";
    tool = bundle + "/" + broker::kToolFileName;
    broker = bundle + "/" + broker::kBrokerFileName;
    fs::create_directories(bundle);
    fs::permissions(root, fs::perms(0755));
    fs::permissions(bundle, fs::perms(0755));
    fs::copy_file(kSandboxTool, tool);
    fs::copy_file(kSandboxBroker, broker);
    fs::permissions(tool, fs::perms(0755));
    fs::permissions(broker, fs::perms(0755));
    fs::create_directories(root + "/sys/class/rtc/rtc0");
    writeFile(root + "/sys/class/rtc/rtc0/wakealarm", "");
    fs::create_directories(root + "/run");
    if (systemdRunning) {
        fs::create_directories(root + "/run/systemd/system");
    }
}

Sandbox::~Sandbox() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

std::vector<std::string> Sandbox::logLines() const {
    std::vector<std::string> lines;
    std::istringstream in(readFile(root + "/systemd.log"));
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> Sandbox::commandLog() const {
    std::vector<std::string> commands;
    for (const auto& line : logLines()) {
        if (!line.starts_with("env")) {
            commands.push_back(line);
        }
    }
    return commands;
}

std::string Sandbox::alarm() const {
    return readFile(root + "/sys/class/rtc/rtc0/wakealarm");
}
