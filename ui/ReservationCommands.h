// The user's commands on reservations, from the main window's buttons, menus and table: add,
// edit, delete the selected, delete all, delete those that are over, switch on and off, and
// whether each may run now.
#pragma once

#include <QObject>

class QWidget;
class RecordingEngine;
class ReservationDialog;
class ReservationTableView;
struct Reservation;

class ReservationCommands : public QObject {
    Q_OBJECT
public:
    // The commands whose menu items follow the reservations and the selection.
    enum class Command { Edit, DeleteSelected, DeleteMissed, DeleteAll, SwitchOn, SwitchOff };

    // window: where alerts are shown over. Nothing is owned.
    ReservationCommands(RecordingEngine& engine, ReservationTableView& table,
                        ReservationDialog& dialog, QWidget& window, QObject* parent = nullptr);

    // Whether the command may run now: its menu item is enabled then.
    bool canRun(Command command) const;

public slots:
    // A new reservation from now to an hour later, through the reservation dialog.
    void addReservation();
    void editReservation();
    void deleteSelected();
    void deleteAll();
    void deleteMissed();
    void switchOn();
    void switchOff();

signals:
    // The list changed: the table is to be redrawn.
    void listChanged();

private:
    void switchSelected(bool on);
    // After an add or edit that found an overlap: says whether the margins alone made it.
    void warnOverlap(Reservation const& stored);

    RecordingEngine& m_engine;
    ReservationTableView& m_table;
    ReservationDialog& m_dialog;
    QWidget& m_window;
};
