#include "platform/linux/LoginAutostart.h"

#include "posix/SafeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <unistd.h>

LoginAutostart::LoginAutostart(QString entryPath, QString command)
    : m_entryPath(std::move(entryPath)), m_command(std::move(command)) {}

LoginAutostart LoginAutostart::forThisProgram() {
    QString const config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QString const dir = QCoreApplication::applicationDirPath();
    // A bundle is started through its AppRun, which finds the program wherever the bundle
    // has been copied since.
    QString command = QCoreApplication::applicationFilePath();
    QString const appRun = dir + QStringLiteral("/AppRun");
    if (dir.endsWith(QStringLiteral(".app")) && QFileInfo(appRun).isExecutable()) {
        command = appRun;
    }
    return LoginAutostart(config + QStringLiteral("/autostart/") + QLatin1String(kEntryName),
                          command);
}

QString LoginAutostart::execValue(QString const& command) {
    // Inside double quotes, " ` $ and \ are escaped with a backslash; then, as in any string
    // value of the file, each backslash is doubled; % stands for itself as %%.
    QString quoted;
    for (QChar const c : command) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\')) {
            quoted += QLatin1Char('\\');
        }
        quoted += c;
    }
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

bool LoginAutostart::hasControlCharacters(QString const& command) {
    for (QChar const c : command) {
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F)) {
            return true;
        }
    }
    return false;
}

bool LoginAutostart::enabled() const {
    // Never waits on a FIFO put in the entry's place, and reads nothing but a file.
    int const fd = openRegularForReading(QFile::encodeName(m_entryPath).toStdString());
    QFile file;
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0) {
            ::close(fd);
        }
        return false;
    }
    // A desktop hides an entry the user switched off in its own settings this way.
    for (QByteArray const& line : file.read(64 * 1024).split('\n')) {
        if (line.trimmed() == "Hidden=true") {
            return false;
        }
    }
    return true;
}

bool LoginAutostart::setEnabled(bool on, QString* error) const {
    if (!on) {
        if (QFile::exists(m_entryPath) && !QFile::remove(m_entryPath)) {
            if (error != nullptr) {
                *error = QFile(m_entryPath).errorString();
            }
            return false;
        }
        return true;
    }
    if (hasControlCharacters(m_command)) {
        if (error != nullptr) {
            *error = QStringLiteral("the program's path holds a control character");
        }
        return false;
    }
    QDir().mkpath(QFileInfo(m_entryPath).absolutePath());
    QSaveFile file(m_entryPath);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error != nullptr) {
            *error = file.errorString();
        }
        return false;
    }
    QByteArray text = "[Desktop Entry]\n"
                      "Type=Application\n"
                      "Name=Velto Timer Recorder\n"
                      "Name[ja]=Velto 予約録音\n"
                      "Comment=Keeps the planned wake-ups for timed recordings\n"
                      "Comment[ja]=予約録音のための起動予約を保ちます\n"
                      "Icon=resvman\n"
                      "Terminal=false\n"
                      "X-GNOME-Autostart-enabled=true\n";
    text += "Exec=" + execValue(m_command).toUtf8() + "\n";
    file.write(text);
    if (!file.commit()) {
        if (error != nullptr) {
            *error = file.errorString();
        }
        return false;
    }
    return true;
}
