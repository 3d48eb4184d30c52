// Velto's settings: the source (found devices listed off the window's thread), the
// receiver, the recordings and the stations table.
#pragma once
#include "gui/VeltoSettings.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace velto {

class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    // `presets`: the stations of the companion presets, offered when adding a station.
    SettingsDialog(const VeltoSettings& settings, std::vector<StationEntry> presets,
                   QWidget* parent = nullptr);
    VeltoSettings settings() const { return m_settings; }

    void accept() override;

private:
    QWidget* makeReceiverPage();
    QWidget* makeRecordingPage();
    QWidget* makeStationsPage();
    void findDevices();
    void devicesFound(const QList<QPair<QString, QString>>& devices, const QString& problem);
    void addStationRow(const StationEntry& entry);
    void updateEnabled();

    VeltoSettings m_settings;
    std::vector<StationEntry> m_presets;
    QComboBox* m_source;
    QPushButton* m_refresh;
    QLabel* m_search;
    QCheckBox* m_autoGain;
    QDoubleSpinBox* m_gain;
    QDoubleSpinBox* m_ppm;
    QRadioButton* m_directSampling;
    QRadioButton* m_upconverter;
    QDoubleSpinBox* m_upconverterMhz;
    QComboBox* m_deemphasis;
    QLineEdit* m_folder;
    QComboBox* m_bitrate;
    QTableWidget* m_stations;
    QLabel* m_problem;
};

} // namespace velto
