#include "app/Application.h"

#include "app/TrustTexts.h"
#include "platform/ICompanionBus.h"
#include "platform/IPrivilegedOps.h"
#include "platform/ISettings.h"
#include "ui/ApplicationVisibility.h"
#include "ui/MainWindow.h"
#include "ui/PlanStatus.h"
#include "ui/PowerSettingsDialog.h"

namespace {
bool settingIsOn(ISettings& settings, char const* key) {
    return settings.contains(key) && settings.integer(key) != 0;
}
} // namespace

Application::Application(MainWindow& window, ICompanionBus& bus, ISettings& settings,
                         IPrivilegedOps& privileged, QObject* parent)
    : QObject(parent), m_window(window), m_bus(bus), m_settings(settings),
      m_privileged(privileged) {
    connect(&ApplicationVisibility::instance(), &ApplicationVisibility::shownAgain, this,
            &Application::applicationShown);
    // The settings dialog's row and the main window's line say whether the helper is there.
    connect(&m_window, &MainWindow::settingsClosed, this, &Application::updateHelperNotice);
}

Application::~Application() {
    shutDown();
}

HelperSearch Application::findHelper() const {
    return m_findHelper ? m_findHelper() : HelperSearch::installed();
}

void Application::setUp() {
    m_helper = findHelper();
    m_privileged.setTool(m_helper.tool);
    QString const problem = helperProblem();
    m_window.powerSettingsDialog()->setHelperProblem(problem);
    m_window.planStatus()->setHelperMissing(!problem.isEmpty());
}

void Application::start() {
    emit powerManagementNeeded();
    emit companionMessagesNeeded();

    // The password request, when one is needed, comes before the first planning (the
    // planning thread is not running yet).
    if (settingIsOn(m_settings, kShutdownAfterKey) || settingIsOn(m_settings, kWakeBeforeKey)) {
        m_privileged.authorize();
    }

    m_window.start();
    updateHelperNotice();
    // The sleep veto was attached first, but asks nothing before the list is read: its
    // first answer must count a reservation that is already within the lead.
    emit reservationsLoaded();
    m_window.showCentered();
}

QString Application::helperProblem() const {
    return helperProblemText(m_helper);
}

void Application::refreshHelper() {
    m_helper = findHelper();
    m_privileged.setTool(m_helper.tool);
    QString const problem = helperProblem();
    m_window.powerSettingsDialog()->setHelperProblem(problem);
    m_window.planStatus()->setHelperMissing(!problem.isEmpty());
}

void Application::updateHelperNotice() {
    QString const problem = helperProblem();
    if (problem.isEmpty() ||
        !(settingIsOn(m_settings, kShutdownAfterKey) || settingIsOn(m_settings, kWakeBeforeKey))) {
        m_window.clearNotice(NoticeKind::WakeHelper);
        return;
    }
    //% "%1 Install it in Settings."
    m_window.showNotice(NoticeKind::WakeHelper, qtTrId("IDS_NOTICE_INSTALL_HELPER").arg(problem));
}

void Application::shutDown() {
    m_privileged.release();
    m_window.engine().stopPlanning();
}

void Application::applicationShown() {
    m_bus.post(kUnhideMessage, std::nullopt, {});
}
