// Velto's window: the recording in progress, what waits, the last recordings.
#pragma once
#include "session/RecordingReport.h"

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QSystemTrayIcon;
class QTimer;
class QTableWidget;

namespace velto {

class VeltoService;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(VeltoService& service, QWidget* parent = nullptr);

    // Hidden or shown at the manager's request: the manager is not told back.
    void hideAsAsked();
    void showAsAsked();
    // Brought to the front by the user (a second start, the tray icon).
    void showByUser();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void refresh();
    void refreshWaiting();
    void addRecent(const RecordingReport& report);
    void showMessage(const QString& text);
    void openSettings();
    void openSelected(bool folder);
    void updateTray();

    VeltoService& m_service;
    QLabel* m_title;
    QLabel* m_station;
    QLabel* m_times;
    QLabel* m_channels;
    QProgressBar* m_level;
    QTableWidget* m_waiting;
    QTableWidget* m_recent;
    QPushButton* m_open;
    QPushButton* m_showFolder;
    QLabel* m_message;
    QTimer* m_ticker;
    QSystemTrayIcon* m_tray = nullptr;
    bool m_recording = false;
};

} // namespace velto
