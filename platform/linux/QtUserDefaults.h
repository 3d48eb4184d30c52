// The application's user defaults in a QSettings file: ~/.config/Velto/ResvMan.conf (native
// format; $XDG_CONFIG_HOME is honoured). Values are integers under the keys of
// IUserDefaults.h. A value that is not a whole decimal number (a hand-edited file) counts
// as absent, so readers fall back to the documented default for that key.
#pragma once

#include "platform/IUserDefaults.h"

#include <QString>

#include <mutex>
#include <optional>

class QtUserDefaults : public IUserDefaults {
public:
    QtUserDefaults();
    // Another file, for tests.
    explicit QtUserDefaults(QString filePath);

    bool objectForKey(std::string const& key) override;
    long integerForKey(std::string const& key) override;
    bool boolForKey(std::string const& key) override;
    void setInteger(std::string const& key, long value) override;

    QString filePath() const { return m_filePath; }

private:
    std::optional<long> read(std::string const& key);

    QString m_filePath;
    std::mutex m_mutex;
};
