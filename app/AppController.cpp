// The application controller's start-up, termination and unhide report. The privileged
// operations are in AppControllerSchedule.cpp.
#include "app/AppController.h"

#include "app/TrustTexts.h"
#include "platform/INotificationCenter.h"
#include "platform/IUserDefaults.h"
#include "platform/linux/AdminAuthorization.h"
#include "platform/linux/ScheduleToolPath.h"
#include "ui/ApplicationVisibility.h"
#include "ui/ResvManDlgController.h"

#include <QCoreApplication>

#include <cstdlib>
#include <cstring>

namespace {
// The power-management registration of this process; 0 while there is none. On this
// platform the sleep veto keeps its own handle, so this only marks the start of a launch.
unsigned int root_port = 0;

bool SettingIsOn(IUserDefaults* defaults, char const* key) {
    return defaults && defaults->objectForKey(key) && defaults->integerForKey(key) != 0;
}
} // namespace

AppController::AppController(QObject* parent) : QObject(parent) {
    // The application was shown again, whatever showed it.
    connect(&ApplicationVisibility::instance(), &ApplicationVisibility::didUnhide, this,
            &AppController::applicationDidUnhide);
}

AppController::~AppController() {
    applicationWillTerminate();
}

void AppController::awakeFromNib() {
    std::lock_guard lock(m_toolMutex);
    m_Authorization = nullptr;
    m_helper = findHelper ? findHelper() : FindInstalledHelper();
    std::string const& path = m_helper.tool;
    std::free(_pszExePath);
    _pszExePath = nullptr;
    _unExePathLength = 0;
    if (!path.empty()) {
        _pszExePath = static_cast<char*>(std::malloc(path.size() + 1));
        if (_pszExePath) {
            std::memcpy(_pszExePath, path.c_str(), path.size() + 1);
            _unExePathLength = static_cast<int32_t>(path.size());
        }
    }
}

void AppController::applicationDidFinishLaunching() {
    root_port = 0;
    SleepNotification();

    if (addObserver) {
        addObserver(kNotifyCompanionHide, [this] {
            if (resvManCon) {
                resvManCon->dualHideOperation();
            }
        });
        addObserver(kNotifyCompanionUnHide, [this] {
            if (resvManCon) {
                resvManCon->OnDualUnHide(nullptr);
            }
        });
    }

    // The password request, when one is needed, comes before the first planning (the
    // planning thread is not running yet).
    if (SettingIsOn(m_defaults, kDefaultsShutdown) || SettingIsOn(m_defaults, kDefaultsUseAcpi)) {
        if (startupAuthorization) {
            std::lock_guard lock(m_toolMutex);
            startupAuthorization(&m_Authorization);
        } else {
            GetAuthorization(&m_Authorization);
        }
    }

    if (resvManCon) {
        resvManCon->initInstance();
        UpdateHelperNotice();
    }
    // Registered first, but asked nothing before the list is loaded: its first answer must
    // count a reservation that is already within the lead.
    if (startSleepVeto) {
        startSleepVeto();
    }
    if (resvManCon) {
        resvManCon->showWindow();
    }
}

QString AppController::HelperProblem() const {
    return HelperProblemText(m_helper);
}

void AppController::RefreshHelper() {
    HelperSearch found = findHelper ? findHelper() : FindInstalledHelper();
    if (found.tool == m_helper.tool) {
        m_helper = std::move(found);
        return;
    }
    // A right obtained for another tool, or for none, is of no use for this one.
    if (m_Authorization) {
        AuthorizationFree(m_Authorization, kAuthorizationFlagDefaults);
        m_Authorization = nullptr;
    }
    std::free(_pszExePath);
    _pszExePath = nullptr;
    _unExePathLength = 0;
    m_helper = std::move(found);
    if (!m_helper.tool.empty()) {
        _pszExePath = static_cast<char*>(std::malloc(m_helper.tool.size() + 1));
        if (_pszExePath) {
            std::memcpy(_pszExePath, m_helper.tool.c_str(), m_helper.tool.size() + 1);
            _unExePathLength = static_cast<int32_t>(m_helper.tool.size());
        }
    }
}

void AppController::UpdateHelperNotice() {
    if (!resvManCon) {
        return;
    }
    QString const problem = HelperProblem();
    if (problem.isEmpty() || !(SettingIsOn(m_defaults, kDefaultsShutdown) ||
                               SettingIsOn(m_defaults, kDefaultsUseAcpi))) {
        resvManCon->ClearNotice(NoticeKind::WakeHelper);
        return;
    }
    //% "%1 Install it in Settings."
    resvManCon->ShowNotice(NoticeKind::WakeHelper,
                           qtTrId("IDS_NOTICE_INSTALL_HELPER").arg(problem));
}

void AppController::applicationWillTerminate() {
    // Any way out of the process comes here, possibly more than once. A tool run under way
    // on the planning thread gives up at once, and the thread ends before what it uses goes.
    AuthorizationSetRunsAbandoned(true);
    if (resvManCon) {
        resvManCon->StopPlanning();
    }
    std::lock_guard lock(m_toolMutex);
    if (m_Authorization) {
        AuthorizationFree(m_Authorization, kAuthorizationFlagDefaults);
        m_Authorization = nullptr;
    }
    std::free(_pszExePath);
    _pszExePath = nullptr;
    _unExePathLength = 0;
}

void AppController::applicationDidUnhide() {
    if (m_notifications) {
        m_notifications->postNotification(kNotifySendUnHide, std::nullopt, {});
    }
}

void AppController::SleepNotification() {
    if (registerSleepVeto) {
        registerSleepVeto([this](double* date) { return GetScheduleNearDateTimePipe(date); });
    }
}

bool AppController::GetScheduleNearDateTimePipe(double* date) {
    return resvManCon && date && resvManCon->GetScheduleNearDateTime(date);
}
