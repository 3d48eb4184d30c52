#include "gui/VeltoService.h"

#include "gui/ProgrammeMessage.h"
#include "output/PartRecovery.h"
#include "output/RecordingsFolder.h"
#include "platform/linux/CompanionBusNames.h"
#include "platform/linux/DBusCompanionBus.h"
#include "platform/linux/PresetFile.h"
#include "session/ProgrammeNote.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QPointer>
#include <QTimer>

#include <iostream>

namespace velto {

namespace {
constexpr char kActivatePath[] = "/org/velto/Velto";
constexpr char kActivateInterface[] = "org.freedesktop.Application";
constexpr int kBusDeadlineMs = 3000;

bool sameProgramme(const Programme& a, const Programme& b) {
    return a.title == b.title && a.start == b.start && a.end == b.end &&
           a.station.band == b.station.band && a.station.channel == b.station.channel;
}
} // namespace

// Hands the session's events, called on its thread, to the service's thread.
class VeltoService::Relay final : public SessionEvents {
public:
    explicit Relay(VeltoService* service) : m_service(service) {}
    void recordingStarted(const RecordingStarted& started) override {
        QMetaObject::invokeMethod(
            m_service, [service = m_service, started] { service->startedOnMain(started); },
            Qt::QueuedConnection);
    }
    void recordingWarning(const Programme& programme, const std::string& key,
                          const std::string& text) override {
        QMetaObject::invokeMethod(
            m_service,
            [service = m_service, title = QString::fromStdString(programme.title), key, text] {
                emit service->recordingWarning(title, reasonText(key, text));
            },
            Qt::QueuedConnection);
    }
    void recordingFinished(const RecordingReport& report) override {
        QMetaObject::invokeMethod(
            m_service, [service = m_service, report] { service->finished(report); },
            Qt::QueuedConnection);
    }

private:
    VeltoService* m_service;
};

VeltoService::VeltoService(const SourceFactory& sources, VeltoSettings settings, QObject* parent)
    : QObject(parent), m_sources(sources), m_settings(std::move(settings)), m_chooser(sources),
      m_relay(std::make_unique<Relay>(this)) {
    PresetFile::read(PresetFile::companionPreferencesPath(), m_presets);
    applySettings(m_settings);
    // What a crash left unfinished is finished before anything new is written beside it.
    for (const RecoveredFile& file : recoverPartFiles(m_settings.recordingsFolder())) {
        RecordingReport report;
        report.programme.title = file.path.empty() ? file.partPath : file.path;
        report.file = file.path;
        report.seconds = file.seconds;
        report.result = file.recovered ? RecordingResult::Partial : RecordingResult::Failed;
        report.reasonKey = file.recovered ? "recovered" : file.reasonKey;
        report.reasonText = file.reasonText;
        if (!file.noteProblem.empty())
            std::cerr << "velto: " << file.noteProblem << "\n";
        std::string why;
        RecordingReport interrupted = report;
        const bool noted = !file.note.empty();
        if (noted &&
            !readProgrammeNote(file.note, interrupted.programme, interrupted.sourceKind, why)) {
            std::cerr << "velto: the programme noted beside " << file.partPath
                      << " is ignored: " << why << ".\n";
        } else if (noted) {
            // The manager learns what became of that programme once the bus is up.
            interrupted.reasonKey = "interrupted";
            interrupted.reasonText =
                "Velto stopped during the recording; what was written up to then is kept.";
            m_interrupted.push_back(interrupted);
            report.programme = interrupted.programme;
        }
        m_recovered.push_back(report);
    }
    m_session = std::make_unique<Session>(m_clock, m_chooser.maker(), m_settings.sessionSettings(),
                                          *m_relay);
}

VeltoService::~VeltoService() {
    // The session's thread ends before the relay it reports to; a recording cut short by
    // the program's end is reported "stopped" before the program goes.
    m_session.reset();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    if (m_bus != nullptr) {
        // One round trip: the reports just sent have left before the connection closes.
        QDBusConnection::sessionBus().call(
            QDBusMessage::createMethodCall(
                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId")),
            QDBus::Block, kBusDeadlineMs);
    }
}

NameClaim VeltoService::start() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return NameClaim::NoBus;
    // Listening before the name is ours: the manager takes an owner of the name for a
    // companion that hears it. What arrives meanwhile waits in the event loop, and is
    // dropped there by a copy that did not get the name.
    auto* companionBus = new DBusCompanionBus(this);
    companionBus->addObserver(kRecordMessage, this, [this](const CompanionMessage& message) {
        if (m_bus != nullptr)
            handleRecordMessage(message);
    });
    companionBus->addObserver(kHideMessage, this, [this] {
        if (m_bus != nullptr)
            emit hideRequested();
    });
    companionBus->addObserver(kUnhideMessage, this, [this] {
        if (m_bus != nullptr)
            emit showRequested();
    });
    if (!companionBus->isListening())
        return NameClaim::NoBus;
    const auto reply = bus.interface()->registerService(
        QString::fromLatin1(kCompanionServiceName), QDBusConnectionInterface::DontQueueService,
        QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid())
        return NameClaim::NoBus;
    if (reply.value() != QDBusConnectionInterface::ServiceRegistered)
        return NameClaim::Taken;
    bus.registerObject(QString::fromLatin1(kActivatePath), QString::fromLatin1(kActivateInterface),
                       this, QDBusConnection::ExportScriptableSlots);
    m_bus = companionBus;
    for (const RecordingReport& report : m_interrupted)
        m_bus->post(kRecordingFinishedMessage, std::string("message"), finishedReport(report));
    m_interrupted.clear();
    return NameClaim::Owned;
}

bool VeltoService::activateRunningCopy() {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kCompanionServiceName), QString::fromLatin1(kActivatePath),
        QString::fromLatin1(kActivateInterface), QStringLiteral("Activate"));
    call << QVariantMap();
    const QDBusMessage reply =
        QDBusConnection::sessionBus().call(call, QDBus::Block, kBusDeadlineMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

void VeltoService::Activate(const QVariantMap&) {
    emit activated();
}

void VeltoService::applySettings(const VeltoSettings& settings) {
    m_settings = settings;
    // VELTO_SOURCE stands for the settings' source (tests, replaying a capture).
    std::string address = settings.source;
    if (const char* forced = std::getenv("VELTO_SOURCE"); forced != nullptr && *forced != 0)
        address = forced;
    m_chooser.setReceiver(address, settings.receiver);
    m_chooser.setStations(settings.stations);
    std::string why;
    m_folderProblem.clear();
    if (!makeFolder(settings.recordingsFolder(), why)) {
        m_folderProblem = QString::fromStdString(why);
        emit folderUnusable(m_folderProblem);
    }
}

std::vector<StationEntry> VeltoService::presetStations() const {
    std::vector<StationEntry> stations;
    for (const bool fm : {true, false}) {
        for (int slot = 0; slot < ChannelPresetTable::kSlots; ++slot) {
            const ChannelPreset& preset = m_presets.band(fm)[slot];
            if (preset.frequency == 0 || preset.frequency > 100'000)
                continue;
            StationEntry entry;
            entry.station = {fm ? Band::FM : Band::AM, int(preset.frequency)};
            entry.name = std::string(preset.name, preset.nameLength());
            std::string why;
            if (entry.station.valid(why))
                stations.push_back(entry);
        }
    }
    return stations;
}

std::string VeltoService::stationName(const Station& station) const {
    if (const StationEntry* entry = m_settings.stations.find(station);
        entry != nullptr && !entry->name.empty())
        return entry->name;
    return m_presets.station(station.band == Band::FM, uint32_t(station.channel)).value_or("");
}

void VeltoService::handleRecordMessage(const CompanionMessage& message) {
    SourceError why;
    std::optional<ProgrammeRequest> request = readProgrammeMessage(message.values, why);
    if (!request) {
        std::cerr << "velto: a recording message was refused: " << why.text << "\n";
        if (m_bus != nullptr)
            m_bus->post(kRecordingFinishedMessage, std::string("message"),
                        refusedReport(message.values, why));
        RecordingReport report;
        if (const auto* title = [&]() -> const std::string* {
                for (const auto& [key, value] : message.values)
                    if (key == "Title")
                        return std::get_if<std::string>(&value);
                return nullptr;
            }())
            report.programme.title = *title;
        report.reasonKey = why.key;
        report.reasonText = why.text;
        emit recordingFinished(report);
        return;
    }
    request->programme.stationName = stationName(request->programme.station);
    if (request->appTerminate)
        m_terminating.push_back(request->programme);
    // A refusal comes back as a "failed" report through the session's events.
    m_session->enqueue(request->programme);
    emit queueChanged();
}

void VeltoService::startedOnMain(const RecordingStarted& started) {
    if (m_bus != nullptr)
        m_bus->post(kRecordingStartedMessage, std::string("message"), startedReport(started));
    emit recordingStarted(started);
    emit queueChanged();
}

void VeltoService::finished(const RecordingReport& report) {
    if (m_bus != nullptr)
        m_bus->post(kRecordingFinishedMessage, std::string("message"), finishedReport(report));
    emit recordingFinished(report);
    emit queueChanged();
    const auto before = m_terminating.size();
    std::erase_if(m_terminating,
                  [&](const Programme& p) { return sameProgramme(p, report.programme); });
    if (m_terminating.size() != before)
        m_quitWhenIdle = true;
    if (m_quitWhenIdle)
        quitWhenIdle();
}

void VeltoService::quitWhenIdle() {
    // The session clears its recording just after reporting it: look again shortly.
    QTimer::singleShot(500, this, [this] {
        const SessionStatus now = m_session->status();
        if (!now.current && now.waiting.empty())
            emit quitRequested();
    });
}

void VeltoService::userHid() {
    if (m_bus != nullptr)
        m_bus->post(kCompanionHidMessage, std::nullopt, {});
}

void VeltoService::userShown() {
    if (m_bus != nullptr)
        m_bus->post(kCompanionShownMessage, std::nullopt, {});
}

} // namespace velto
