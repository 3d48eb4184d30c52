#include "platform/linux/WakeFactsReader.h"

#include "history/SqliteJournal.h"
#include "platform/ISettings.h"
#include "platform/linux/DisplayManagerLogin.h"
#include "platform/linux/LoginAutostart.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QRegularExpression>

#include <ctime>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string loginName() {
    passwd entry{};
    passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr) {
        return found->pw_name;
    }
    return std::string();
}

bool isOn(ISettings* settings, char const* key) {
    return settings != nullptr && settings->contains(key) && settings->integer(key) != 0;
}

} // namespace

WakeFacts WakeFactsReader::read() const {
    WakeFacts facts;
    facts.now = static_cast<std::int64_t>(std::time(nullptr));
    facts.zoneOffset = zoneOffsetAt(facts.now);
    struct stat st {};
    std::string const marker = paths.run + "/systemd/system";
    facts.systemd = ::stat(marker.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    facts.logind = paths.systemBus ? pingLogind() : WakeFacts::Bus::NoBus;
    facts.helper = helper ? helper() : WakeFacts::Helper::Missing;
    facts.rtc = RtcFacts::read(paths.sysfs, paths.adjtime);
    if (facts.systemd) {
        facts.plannedWakeUps = listWakeUps();
    }
    facts.lastReplaced = lastReplacement();
    facts.autostart =
        !paths.autostartEntry.isEmpty() && LoginAutostart(paths.autostartEntry, {}).enabled();
    facts.userName = loginName();
    facts.login = DisplayManagerLogin::read(paths.root, facts.userName);
    facts.wakeOn = isOn(settings, kWakeBeforeKey);
    facts.shutdownOn = isOn(settings, kShutdownAfterKey);
    probe(facts);
    return facts;
}

WakeFacts::Bus WakeFactsReader::pingLogind() const {
    QDBusConnection system = QDBusConnection::systemBus();
    if (!system.isConnected()) {
        return WakeFacts::Bus::NoBus;
    }
    QDBusMessage const ping = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
    QDBusMessage const answer = system.call(ping, QDBus::Block, kBusDeadlineMs);
    return answer.type() == QDBusMessage::ReplyMessage ? WakeFacts::Bus::Answered
                                                       : WakeFacts::Bus::Silent;
}

std::optional<std::vector<std::int64_t>> WakeFactsReader::listWakeUps() const {
    // Anyone may list the timers; the tool's names carry their instants.
    QProcess systemctl;
    systemctl.setProcessChannelMode(QProcess::SeparateChannels);
    systemctl.start(QString::fromStdString(paths.systemctl),
                    {QStringLiteral("list-units"), QStringLiteral("--all"),
                     QStringLiteral("--plain"), QStringLiteral("--no-legend"),
                     QStringLiteral("--no-pager"), QStringLiteral("--type=timer"),
                     QStringLiteral("--"), QStringLiteral("resvman-wake-*")});
    if (!systemctl.waitForFinished(kListDeadlineMs) ||
        systemctl.exitStatus() != QProcess::NormalExit || systemctl.exitCode() != 0) {
        systemctl.kill();
        systemctl.waitForFinished(1000);
        return std::nullopt;
    }
    static QRegularExpression const unit(
        QStringLiteral("\\bresvman-wake-u[0-9]+-([0-9]{1,12})-[0-9]+\\.timer\\b"));
    std::vector<std::int64_t> instants;
    QString const listed = QString::fromUtf8(systemctl.readAllStandardOutput().left(1 << 20));
    for (auto match = unit.globalMatch(listed); match.hasNext();) {
        instants.push_back(match.next().captured(1).toLongLong());
    }
    return instants;
}

std::optional<JournalEntry> WakeFactsReader::lastReplacement() const {
    if (paths.history.empty() || ::access(paths.history.c_str(), F_OK) != 0) {
        return std::nullopt;
    }
    std::vector<JournalEntry> entries;
    std::string error;
    constexpr std::size_t kLooked = 2000; // the newest: weeks of events
    if (!SqliteJournal::readFile(paths.history, kLooked, entries, error)) {
        return std::nullopt;
    }
    for (JournalEntry const& entry : entries) {
        if (entry.kind == JournalKind::AlarmReplaced) {
            return entry;
        }
    }
    return std::nullopt;
}

void WakeFactsReader::probe(WakeFacts& facts) const {
    // Only where there is an alarm to probe and a helper to do it.
    if (privileged == nullptr || !facts.rtc.present || !facts.rtc.wakeAlarm ||
        facts.helper != WakeFacts::Helper::Installed) {
        return;
    }
    privileged->setRtcClock(facts.rtc.judgeClock(facts.now, facts.zoneOffset).clock);
    facts.probed = true;
    facts.range = privileged->probeAlarmRange();
    facts.rangeFailure = privileged->lastFailure();
    // Kept for the planner, which relays wake-ups within the limit.
    if (settings != nullptr) {
        if (facts.range == AlarmRange::Within24h) {
            settings->setInteger(kWakeAlarmLimitKey, 24);
        } else if (facts.range == AlarmRange::Beyond24h && settings->contains(kWakeAlarmLimitKey)) {
            settings->setInteger(kWakeAlarmLimitKey, 0);
        }
    }
}
