// The application's user defaults in a QSettings file: ~/.config/Velto/ResvMan.conf (native
// format; $XDG_CONFIG_HOME is honoured). Values are integers under the keys of
// ISettings.h. A value that is not a whole decimal number (a hand-edited file) counts
// as absent, so readers fall back to the documented default for that key.
#pragma once

#include "platform/ISettings.h"

#include <QString>

#include <mutex>
#include <optional>

class QSettingsStore : public ISettings {
public:
    QSettingsStore();
    // Another file, for tests.
    explicit QSettingsStore(QString filePath);

    bool contains(std::string const& key) override;
    long integer(std::string const& key) override;
    bool isOn(std::string const& key) override;
    void setInteger(std::string const& key, long value) override;

    QString filePath() const { return m_filePath; }

private:
    std::optional<long> read(std::string const& key);

    QString m_filePath;
    std::mutex m_mutex;
};
