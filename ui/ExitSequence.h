// The exit command and the end of the program: the countdown that confirms leaving pending
// reservations behind, the wait for a hand-off in progress, the final save and what it
// failing means; and a termination signal, which ends every dialog as if cancelled.
#pragma once

#include <QObject>

class ExitCountdownDialog;
class MainWindow;
class RecordingEngine;

class ExitSequence : public QObject {
    Q_OBJECT
public:
    ExitSequence(RecordingEngine& engine, ExitCountdownDialog& countdown, MainWindow& window,
                 QObject* parent = nullptr);

    // Whether the program may end: no reservation is pending, or the countdown confirmed.
    bool mayExit();
    // The exit's last steps: waits for a hand-off in progress, then saves the list. Answers
    // whether the save succeeded.
    bool saveForExit();
    // A termination signal arrived: the program's assembly runs saveForExit and the
    // termination steps once the event loop has ended.
    bool terminationRequested() const { return m_terminationRequested; }

public slots:
    // The exit command (the Exit button, the menu, the tray icon).
    void exitProgram();
    // SIGTERM or SIGINT: every open dialog and message ends as if cancelled and the event
    // loop ends, also when the main window would refuse to close.
    void terminate();

signals:
    // The exit command asks the application to terminate.
    void terminateRequested();

private:
    RecordingEngine& m_engine;
    ExitCountdownDialog& m_countdown;
    MainWindow& m_window;
    bool m_terminationRequested = false;
};
