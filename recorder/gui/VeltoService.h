// The recorder without its window: the session, the companion bus and Velto's bus name.
// Runs the same with or without a display. The session's events arrive on the session's
// thread and are handed to this object's (the main) thread before anyone sees them.
#pragma once
#include "gui/VeltoSettings.h"
#include "gui/VeltoTexts.h"
#include "platform/linux/CompanionMessage.h"
#include "session/Session.h"
#include "session/SourceChooser.h"
#include "session/SystemClock.h"
#include "store/ChannelPresetTable.h"

#include <QObject>
#include <QVariantMap>

#include <memory>
#include <vector>

class DBusCompanionBus;

namespace velto {

enum class NameClaim { Owned, Taken, NoBus };

class VeltoService : public QObject {
    Q_OBJECT
public:
    // The factory outlives the service.
    VeltoService(const SourceFactory& sources, VeltoSettings settings, QObject* parent = nullptr);
    ~VeltoService() override;

    // Owns org.velto.Velto (do not queue) and listens to the manager.
    NameClaim start();
    // Asks the copy that owns the name to show itself; false when it does not answer in time.
    static bool activateRunningCopy();

    void applySettings(const VeltoSettings& settings);
    const VeltoSettings& settings() const { return m_settings; }
    // The stations of the companion presets, with their names.
    std::vector<StationEntry> presetStations() const;
    SessionStatus status() const { return m_session->status(); }
    // The recordings a crash left unfinished, finished at start-up.
    const std::vector<RecordingReport>& recovered() const { return m_recovered; }
    // Why the recordings folder could not be made at start-up; empty when it is there.
    const QString& folderProblem() const { return m_folderProblem; }

    // The user hid or showed the window: the manager is told.
    void userHid();
    void userShown();
    // A recording message as the bus delivers it (public for the tests).
    void handleRecordMessage(const CompanionMessage& message);

signals:
    void recordingStarted(const velto::RecordingStarted& started);
    void recordingWarning(const QString& title, const QString& text);
    void recordingFinished(const velto::RecordingReport& report);
    void queueChanged();
    void hideRequested();
    void showRequested();
    // A second start of the program.
    void activated();
    void quitRequested();
    // The recordings folder chosen in the settings cannot be made (the reason in English).
    void folderUnusable(const QString& why);

public slots:
    // org.freedesktop.Application.Activate, for a second start.
    Q_SCRIPTABLE void Activate(const QVariantMap& platformData);

private:
    class Relay;
    std::string stationName(const Station& station) const;
    void startedOnMain(const RecordingStarted& started);
    void finished(const RecordingReport& report);
    void quitWhenIdle();

    const SourceFactory& m_sources;
    VeltoSettings m_settings;
    SystemClock m_clock;
    SourceChooser m_chooser;
    ChannelPresetTable m_presets{};
    std::unique_ptr<Relay> m_relay;
    std::unique_ptr<Session> m_session;
    DBusCompanionBus* m_bus = nullptr;
    std::vector<RecordingReport> m_recovered;
    // Recovered recordings whose programme is known: reported once the bus name is ours.
    std::vector<RecordingReport> m_interrupted;
    // Programmes whose message asked to quit after them.
    std::vector<Programme> m_terminating;
    bool m_quitWhenIdle = false;
    QString m_folderProblem;
};

} // namespace velto
