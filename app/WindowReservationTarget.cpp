#include "app/WindowReservationTarget.h"

#include "platform/IClock.h"
#include "ui/RegistReserveController.h"
#include "ui/ResvManDlgController.h"

WindowReservationTarget::WindowReservationTarget(ResvManDlgController& window, IClock& clock)
    : m_window(window), m_clock(clock) {}

CScheduleItem* WindowReservationTarget::reservations() {
    return m_window.m_Schedule;
}

QString WindowReservationTarget::stationName(bool fm, uint32_t freq) {
    // The presets the window's station column shows.
    char station[256] = {};
    if (m_window.ReserveCon == nullptr ||
        !m_window.ReserveCon->GetSearchStation(fm, freq, station)) {
        return QString();
    }
    return QString::fromUtf8(station);
}

double WindowReservationTarget::now() {
    return m_clock.now();
}

bool WindowReservationTarget::commit(QString& error) {
    // As after the window's add and delete commands: plan, file, table.
    m_window.ReSettingSchedule();
    std::string const path = m_window.ReservationFilePath();
    bool const saved = m_window.m_Schedule != nullptr && m_window.m_Schedule->Save(path.c_str());
    m_window.displayTheTable();
    if (!saved) {
        //% "The reservations could not be saved to %1."
        error = qtTrId("IDS_REQ_SAVE_FAILED").arg(QString::fromStdString(path));
    }
    return saved;
}
