#include "tests/support/FakeAppLocation.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

FakeAppLocation::FakeAppLocation() {
    std::string const base = std::filesystem::temp_directory_path().string() + "/resvman-XXXXXX";
    std::vector<char> pattern(base.begin(), base.end());
    pattern.push_back('\0');
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    m_dir = pattern.data();
}

FakeAppLocation::~FakeAppLocation() {
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
}
