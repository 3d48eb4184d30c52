#include "tests/support/FakeCompanionBus.h"

std::optional<CompanionValue> FakeCompanionBus::Post::value(std::string const& key) const {
    for (auto const& [entryKey, entryValue] : values) {
        if (entryKey == key) {
            return entryValue;
        }
    }
    return std::nullopt;
}

bool FakeCompanionBus::post(std::string const& name, std::optional<std::string> const& object,
                            CompanionValues const& values) {
    double const at = m_clock != nullptr ? m_clock->now() : 0.0;
    std::lock_guard lock(m_mutex);
    m_posts.push_back(Post{name, object, values, at});
    return true;
}

std::vector<FakeCompanionBus::Post> FakeCompanionBus::posts() {
    std::lock_guard lock(m_mutex);
    return m_posts;
}
