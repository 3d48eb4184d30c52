// The reservation dialog: creates or edits one reservation (day, start and end time, band
// and channel from the companion's presets, title, weekly days) and checks it.
//
// Only its own two buttons end a run: it has no close box, refuses to be closed by the
// window manager, and Escape means its cancel button. Ctrl+Return registers from anywhere;
// plain Return registers through the default button, except on the focused Cancel button,
// which it presses.
#pragma once

#include "store/ChannelPresetTable.h"
#include "store/Reservation.h"

#include <QDialog>
#include <QString>

#include <cstdint>
#include <string>

class BroadcastTimeEdit;
class IClock;
class QComboBox;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QPushButton;
struct ReservationInput;

class ReservationDialog : public QDialog {
    Q_OBJECT
public:
    // clock: "now" for the checks and a new reservation's day; the system clock when none.
    // Not owned. The controls are made when the dialog is first run.
    explicit ReservationDialog(IClock* clock = nullptr, QWidget* parent = nullptr);

    // The reservation the next run shows, and after a run what it holds.
    void setReservation(Reservation const& rec);
    Reservation reservation() const { return m_reservation; }
    // Whether the last run registered a reservation that differs from the one it was given.
    bool changed() const { return m_changed; }

    // The companion's preferences file; empty means its usual place (tests point it at a
    // fixture).
    void setPresetFile(std::string path);
    // Show times after midnight as 24:00-29:59 of the day before (LATENIGHTHOURS); the
    // pickers take such times either way.
    void setLateNightHours(bool on) { m_lateNight = on; }

    // Empties every preset slot, then reads the companion's "Presets" preference.
    void loadPresets();
    ChannelPresetTable const& presets() const { return m_presets; }

    // Runs the dialog until its register or cancel button ends it: Accepted when the
    // reservation was registered. The presets are read anew first.
    int exec() override;

public slots:
    // Escape, and anything else that rejects the dialog, means the cancel button.
    void reject() override;
    // Nothing outside the dialog's buttons may accept it.
    void accept() override {}

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void registerReservation();
    void cancel();
    void bandChosen();
    void channelChosen();
    void showStation();
    void showRecordingLength();

private:
    void buildControls();
    void fillChannels(bool fm);
    void selectChannel(int index);
    void selectBand(int index);
    QPushButton* weekdayButton(int weekday) const;
    // What the controls hold, for the checks and the composition they share with the
    // command line.
    ReservationInput input() const;
    bool selectedBandIsFm() const;
    double now() const;
    void showRecordingTime(double seconds);
    void showAlert(QString const& message);
    void showReservation();
    void takeControls();

    IClock* m_clock;
    std::string m_presetPath;
    ChannelPresetTable m_presets{};
    Reservation m_reservation;
    bool m_changed = false;
    bool m_ownButton = false;       // the run's end came from the dialog's own buttons
    bool m_titleUnreadable = false; // the reservation's title is not valid UTF-8
    bool m_lateNight = false;

    QComboBox* m_channel = nullptr;
    QComboBox* m_band = nullptr;
    QLabel* m_recordingTime = nullptr;
    QLabel* m_station = nullptr;
    QDateTimeEdit* m_date = nullptr;
    BroadcastTimeEdit* m_start = nullptr;
    BroadcastTimeEdit* m_end = nullptr;
    QLineEdit* m_title = nullptr;
    QLabel* m_unit = nullptr;
    QPushButton* m_weekdays[7] = {};
    QPushButton* m_register = nullptr;
    QPushButton* m_cancel = nullptr;
};
