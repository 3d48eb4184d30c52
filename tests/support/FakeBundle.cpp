#include "tests/support/FakeBundle.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

FakeBundle::FakeBundle() {
    std::string const base = std::filesystem::temp_directory_path().string() + "/resvman-XXXXXX";
    std::vector<char> pattern(base.begin(), base.end());
    pattern.push_back('\0');
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    m_dir = pattern.data();
}

FakeBundle::~FakeBundle() {
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
}
