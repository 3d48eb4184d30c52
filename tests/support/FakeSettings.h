// User defaults in memory. Thread-safe; logs every read so a test can check that a value is
// only read after its presence was asked.
#pragma once

#include "platform/ISettings.h"

#include <map>
#include <mutex>
#include <string>
#include <vector>

class FakeSettings : public ISettings {
public:
    bool contains(std::string const& key) override;
    long integer(std::string const& key) override;
    bool isOn(std::string const& key) override;
    void setInteger(std::string const& key, long value) override;

    void remove(std::string const& key);
    // "contains KEY", "integer KEY", "isOn KEY", in call order.
    std::vector<std::string> reads();

private:
    std::mutex m_mutex;
    std::map<std::string, long> m_values;
    std::vector<std::string> m_reads;
};
