// A stand-in for the desktop's screen saver inhibition interface.
#pragma once

#include <QObject>
#include <QSet>
#include <QStringList>

class StandInScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    QSet<uint> active;
    QList<QStringList> calls; // application, reason
    int unInhibits = 0;

public slots:
    uint Inhibit(QString const& application, QString const& reason) {
        calls.append({application, reason});
        active.insert(m_next);
        return m_next++;
    }
    void UnInhibit(uint cookie) {
        active.remove(cookie);
        ++unInhibits;
    }

private:
    uint m_next = 41;
};
