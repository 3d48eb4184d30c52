// "Start at login": an XDG autostart entry ($XDG_CONFIG_HOME/autostart/*.desktop) that the
// desktop runs when the user logs in. Waking from power-off brings the machine up; this
// brings the program up after it, so that the next wake-ups are planned again.
#pragma once

#include <QString>

class LoginAutostart {
public:
    static constexpr char const* kEntryName = "org.velto.ResvMan.desktop";

    // entryPath: the autostart file; command: the program to start (an absolute path).
    LoginAutostart(QString entryPath, QString command);
    // This user's entry, starting this program: the bundle's AppRun when it runs from a
    // bundle, the executable otherwise.
    static LoginAutostart forThisProgram();

    // The entry is there and not hidden.
    bool enabled() const;
    // Writes (or removes) the entry. False with a reason when the file cannot be written.
    bool setEnabled(bool on, QString* error = nullptr) const;

    QString entryPath() const { return m_entryPath; }
    QString command() const { return m_command; }
    // The Exec= value that runs command with no arguments, quoted by the desktop entry rules.
    static QString execValue(QString const& command);
    // Whether command holds a control character (a line break would end the Exec= line and
    // begin another): no entry is written for such a command.
    static bool hasControlCharacters(QString const& command);

private:
    QString m_entryPath;
    QString m_command;
};
