// The reservation dialog: creates or edits one reservation (day, start and end time, band
// and channel from the companion's presets, title, weekly days), checks it, and answers the
// main window's station-name lookups.
#pragma once

#include "store/ChannelPreset.h"
#include "store/ScheduleItem.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QComboBox;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;
class RegistReserveWindow;
struct ReservationInput;

class RegistReserveController : public QObject {
    Q_OBJECT
public:
    explicit RegistReserveController(QObject* parent = nullptr);
    ~RegistReserveController() override;

    // Builds the window, makes the fresh record and loads the presets.
    void awakeFromNib();
    // Empties every preset slot, then reads the companion's "Presets" preference.
    void LoadChannelPreset();

    void UpdateCombChannel(bool fm);
    void SetSelectCombChannel(int index);
    void SetSelectCombAMFM(int index);
    // Slot 0..11 of the band's presets holding freq (no band bits), or -1.
    int SearchChannel(bool fm, uint32_t freq);
    // On a match copies the station name, NUL-terminated, into station (256 bytes).
    bool GetSearchStation(bool fm, uint32_t freq, char* station);
    void UpdateDisplay();

    void OnSelchangeAmfmCombo(QObject* sender);
    void OnSelchangeChannelCombo(QObject* sender);
    void OnDatetimeChangeStartTime(QObject* sender);
    void OnDatetimeChangeEndTime(QObject* sender);
    void OnWeekly(QObject* sender);
    void OnRegist(QObject* sender);
    void OnCancelRegist(QObject* sender);
    bool ChannelCheck();
    bool DateCheck();

    void SetRegistParam(SCHEDULEITEM_TAG const* rec);
    void GetRegistParam(SCHEDULEITEM_TAG* rec);
    bool IsAuthorizeUpdate();
    // Runs the dialog over parent until its register or cancel button ends it; true when
    // the reservation was registered.
    bool DoModal(QWidget* parent);

    // Source of "now", seconds since 1970 UTC. Tests pin it.
    using NowFunction = std::function<double()>;
    void setNowFunction(NowFunction now);
    // The companion's preferences file; empty means its usual place. Tests point it at a
    // fixture.
    void setPresetFilePath(std::string path);

    // The dialog's window and controls, owned by the window.
    RegistReserveWindow* m_RegistWindow = nullptr;
    QComboBox* m_cmbChannel = nullptr;
    QComboBox* m_cmbAMFM = nullptr;
    QLabel* m_txtRecTime = nullptr;
    QLabel* m_txtStation = nullptr;
    QDateTimeEdit* m_dpDate = nullptr;
    QDateTimeEdit* m_dpStart = nullptr;
    QDateTimeEdit* m_dpEnd = nullptr;
    QLineEdit* m_edtTitle = nullptr;
    QLabel* m_txtHz = nullptr;
    QPushButton* m_btnSun = nullptr;
    QPushButton* m_btnMon = nullptr;
    QPushButton* m_btnTue = nullptr;
    QPushButton* m_btnWed = nullptr;
    QPushButton* m_btnThu = nullptr;
    QPushButton* m_btnFri = nullptr;
    QPushButton* m_btnSat = nullptr;
    QPushButton* m_btnRegist = nullptr;
    QPushButton* m_btnCancel = nullptr;

    bool m_bSelfButton = false;
    std::unique_ptr<SCHEDULEITEM_TAG> m_rgData;
    CHANNELPRESET_TAG presets{};
    bool m_bUpdate = false;

private:
    void BuildWindow();
    QPushButton* WeekdayButton(int weekday) const;
    // What the controls hold, for the checks and the composition they share with the
    // command line.
    ReservationInput Input() const;
    bool SelectedBandIsFM() const;
    double Now() const;
    void ShowRecordingTime(double seconds);
    void ShowAlert(QString const& message);
    void RecordToControls();
    void ControlsToRecord();

    NowFunction m_now;
    bool m_titleUnreadable = false; // the record's title is not valid UTF-8
    std::string m_presetFilePath;
};
