#include "tests/support/ScratchFiles.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <stdlib.h>

namespace fs = std::filesystem;

std::string makeScratchFolder() {
    // In the temporary folder, not the build tree: the trust checks look at every folder
    // above, and a build tree made with a umask of 002 has group-writable ones.
    std::string pattern = (fs::temp_directory_path() / "resvman-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    return pattern;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::trunc) << text;
}
