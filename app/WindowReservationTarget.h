// The running program's own list, for the D-Bus interface: a change is re-planned, saved
// and shown in the window's table exactly as a change made with the window's commands.
#pragma once

#include "app/ReservationRequests.h"

class MainWindow;

class WindowReservationTarget : public IReservationTarget {
public:
    explicit WindowReservationTarget(MainWindow& window);

    ReservationList* reservations() override;
    QString stationName(bool fm, uint32_t freq) override;
    double now() override;
    bool commit(QString& error) override;

private:
    MainWindow& m_window;
};
