#include "app/WindowReservationTarget.h"

#include "ui/MainWindow.h"
#include "ui/ReservationDialog.h"

WindowReservationTarget::WindowReservationTarget(MainWindow& window) : m_window(window) {}

ReservationList* WindowReservationTarget::reservations() {
    return &m_window.engine().list();
}

QString WindowReservationTarget::stationName(bool fm, uint32_t freq) {
    // The presets the window's station column shows.
    std::optional<std::string> const station =
        m_window.reservationDialog()->presets().station(fm, freq);
    return station ? QString::fromStdString(*station) : QString();
}

double WindowReservationTarget::now() {
    return m_window.engine().clock().now();
}

bool WindowReservationTarget::commit(QString& error) {
    // As after the window's add and delete commands: plan, file, table.
    RecordingEngine& engine = m_window.engine();
    engine.requestReplan();
    bool const saved = engine.save();
    m_window.reloadTable();
    if (!saved) {
        //% "The reservations could not be saved to %1."
        error =
            qtTrId("IDS_REQ_SAVE_FAILED").arg(QString::fromStdString(engine.reservationFilePath()));
    }
    return saved;
}
