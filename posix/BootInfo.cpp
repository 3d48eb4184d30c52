#include "posix/BootInfo.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

std::string currentBootId() {
    std::FILE* file = std::fopen("/proc/sys/kernel/random/boot_id", "re");
    if (file == nullptr) {
        return {};
    }
    char line[64] = {};
    bool const read = std::fgets(line, sizeof line, file) != nullptr;
    std::fclose(file);
    if (!read) {
        return {};
    }
    line[std::strcspn(line, "\n")] = '\0';
    return line;
}

double currentBootTime() {
    std::FILE* file = std::fopen("/proc/stat", "re");
    if (file == nullptr) {
        return 0.0;
    }
    char line[256];
    double boot = 0.0;
    while (std::fgets(line, sizeof line, file) != nullptr) {
        if (std::strncmp(line, "btime ", 6) == 0) {
            boot = std::strtod(line + 6, nullptr);
            break;
        }
    }
    std::fclose(file);
    return boot;
}
