// User defaults in memory. Thread-safe; logs every read so a test can check that a value is
// only read after its presence was asked.
#pragma once

#include "platform/IUserDefaults.h"

#include <map>
#include <mutex>
#include <string>
#include <vector>

class FakeDefaults : public IUserDefaults {
public:
    bool objectForKey(std::string const& key) override;
    long integerForKey(std::string const& key) override;
    bool boolForKey(std::string const& key) override;
    void setInteger(std::string const& key, long value) override;

    void remove(std::string const& key);
    // "object KEY", "integer KEY", "bool KEY", in call order.
    std::vector<std::string> reads();

private:
    std::mutex m_mutex;
    std::map<std::string, long> m_values;
    std::vector<std::string> m_reads;
};
