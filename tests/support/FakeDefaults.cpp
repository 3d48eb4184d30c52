#include "tests/support/FakeDefaults.h"

bool FakeDefaults::objectForKey(std::string const& key) {
    std::lock_guard lock(m_mutex);
    m_reads.push_back("object " + key);
    return m_values.count(key) != 0;
}

long FakeDefaults::integerForKey(std::string const& key) {
    std::lock_guard lock(m_mutex);
    m_reads.push_back("integer " + key);
    auto const it = m_values.find(key);
    return it == m_values.end() ? 0 : it->second;
}

bool FakeDefaults::boolForKey(std::string const& key) {
    std::lock_guard lock(m_mutex);
    m_reads.push_back("bool " + key);
    auto const it = m_values.find(key);
    return it != m_values.end() && it->second != 0;
}

void FakeDefaults::setInteger(std::string const& key, long value) {
    std::lock_guard lock(m_mutex);
    m_values[key] = value;
}

void FakeDefaults::remove(std::string const& key) {
    std::lock_guard lock(m_mutex);
    m_values.erase(key);
}

std::vector<std::string> FakeDefaults::reads() {
    std::lock_guard lock(m_mutex);
    return m_reads;
}
