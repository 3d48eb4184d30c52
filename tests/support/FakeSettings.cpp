#include "tests/support/FakeSettings.h"

bool FakeSettings::contains(std::string const& key) {
    std::lock_guard lock(m_mutex);
    m_reads.push_back("contains " + key);
    return m_values.count(key) != 0;
}

long FakeSettings::integer(std::string const& key) {
    std::lock_guard lock(m_mutex);
    m_reads.push_back("integer " + key);
    auto const it = m_values.find(key);
    return it == m_values.end() ? 0 : it->second;
}

bool FakeSettings::isOn(std::string const& key) {
    std::lock_guard lock(m_mutex);
    m_reads.push_back("isOn " + key);
    auto const it = m_values.find(key);
    return it != m_values.end() && it->second != 0;
}

void FakeSettings::setInteger(std::string const& key, long value) {
    std::lock_guard lock(m_mutex);
    m_values[key] = value;
}

void FakeSettings::remove(std::string const& key) {
    std::lock_guard lock(m_mutex);
    m_values.erase(key);
}

std::vector<std::string> FakeSettings::reads() {
    std::lock_guard lock(m_mutex);
    return m_reads;
}
