#include "tests/support/FakeNotificationCenter.h"

std::optional<NotificationValue> FakeNotificationCenter::Post::value(std::string const& key) const {
    for (auto const& [entryKey, entryValue] : userInfo) {
        if (entryKey == key) {
            return entryValue;
        }
    }
    return std::nullopt;
}

bool FakeNotificationCenter::postNotification(std::string const& name,
                                              std::optional<std::string> const& object,
                                              NotificationInfo const& userInfo) {
    double const at = m_clock != nullptr ? m_clock->now() : 0.0;
    std::lock_guard lock(m_mutex);
    m_posts.push_back(Post{name, object, userInfo, at});
    return true;
}

std::vector<FakeNotificationCenter::Post> FakeNotificationCenter::posts() {
    std::lock_guard lock(m_mutex);
    return m_posts;
}
