#include "Sandbox.h"

#include "helper/BrokerFrame.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <stdlib.h>

namespace fs = std::filesystem;

std::string MakeScratchFolder() {
    // In the temporary folder, not the build tree: the trust checks look at every folder
    // above, and a build tree made with a umask of 002 has group-writable ones.
    std::string pattern = (fs::temp_directory_path() / "resvman-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    return pattern;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::trunc) << text;
}

Sandbox::Sandbox(bool systemdRunning) {
    root = MakeScratchFolder();
    bundle = root + "/bundle";
    tool = bundle + "/" + broker::kToolFileName;
    broker = bundle + "/" + broker::kBrokerFileName;
    fs::create_directories(bundle);
    fs::permissions(root, fs::perms(0755));
    fs::permissions(bundle, fs::perms(0755));
    fs::copy_file(RESVMAN_TEST_SANDBOX_TOOL, tool);
    fs::copy_file(RESVMAN_TEST_SANDBOX_BROKER, broker);
    fs::permissions(tool, fs::perms(0755));
    fs::permissions(broker, fs::perms(0755));
    fs::create_directories(root + "/sys/class/rtc/rtc0");
    WriteFile(root + "/sys/class/rtc/rtc0/wakealarm", "");
    fs::create_directories(root + "/run");
    if (systemdRunning) {
        fs::create_directories(root + "/run/systemd/system");
    }
}

Sandbox::~Sandbox() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

std::vector<std::string> Sandbox::Log() const {
    std::vector<std::string> lines;
    std::istringstream in(ReadFile(root + "/systemd.log"));
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> Sandbox::Commands() const {
    std::vector<std::string> commands;
    for (const auto& line : Log()) {
        if (!line.starts_with("env")) {
            commands.push_back(line);
        }
    }
    return commands;
}

std::string Sandbox::Alarm() const {
    return ReadFile(root + "/sys/class/rtc/rtc0/wakealarm");
}
