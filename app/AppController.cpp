// The application controller's start-up, termination and unhide report. The privileged
// operations are in AppControllerSchedule.cpp.
#include "app/AppController.h"

#include "platform/INotificationCenter.h"
#include "platform/IUserDefaults.h"
#include "platform/linux/AdminAuthorization.h"
#include "platform/linux/ScheduleToolPath.h"
#include "ui/ApplicationVisibility.h"
#include "ui/ResvManDlgController.h"

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
    std::string const path = ScheduleToolPath();
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
        resvManCon->showWindow();
    }
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
