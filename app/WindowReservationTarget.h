// The running program's own list, for the D-Bus interface: a change is re-planned, saved
// and shown in the window's table exactly as a change made with the window's commands.
#pragma once

#include "app/ReservationRequests.h"

class IClock;
class ResvManDlgController;

class WindowReservationTarget : public IReservationTarget {
public:
    WindowReservationTarget(ResvManDlgController& window, IClock& clock);

    CScheduleItem* reservations() override;
    QString stationName(bool fm, uint32_t freq) override;
    double now() override;
    bool commit(QString& error) override;

private:
    ResvManDlgController& m_window;
    IClock& m_clock;
};
