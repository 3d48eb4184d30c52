#include "ui/ExitSequence.h"

#include "engine/RecordingEngine.h"
#include "ui/ExitCountdownDialog.h"
#include "ui/MainWindow.h"
#include "ui/MessageBox.h"
#include "ui/ModalSession.h"
#include "ui/SaveFailure.h"
#include "ui/UiTexts.h"

#include <QCoreApplication>
#include <QGuiApplication>

ExitSequence::ExitSequence(RecordingEngine& engine, ExitCountdownDialog& countdown,
                           MainWindow& window, QObject* parent)
    : QObject(parent), m_engine(engine), m_countdown(countdown), m_window(window) {}

bool ExitSequence::mayExit() {
    if (m_engine.list().count(ReservationList::Active) <= 0) {
        return true;
    }
    //% "Some reservations are still waiting to be recorded. If you exit now, they will "
    //% "not be recorded. Exit anyway?"
    m_countdown.setMessage(qtTrId("IDS_WARN_ABOUT_EXIT"));
    return m_countdown.exec() == QDialog::Accepted;
}

bool ExitSequence::saveForExit() {
    // A recording run holds the engine lock while it hands a reservation to the companion
    // and saves; the exit waits for that stretch (seconds at most) with the window still,
    // so that nothing else can be started meanwhile.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_engine.waitForRunningHandOff();
    QGuiApplication::restoreOverrideCursor();
    return m_engine.save();
}

void ExitSequence::exitProgram() {
    if (!mayExit()) {
        return;
    }
    if (!saveForExit()) {
        m_window.updateSaveNotice();
        SaveOutcome const outcome = m_engine.file().lastSaveOutcome();
        bool const exitAnyway =
            MessageBox::confirm(&m_window, appTitle(),
                                //% "The reservations could not be saved to %1: %2. If you exit "
                                //% "now, the changes since the last save are lost. Exit anyway?"
                                qtTrId("IDS_WARN_EXIT_UNSAVED")
                                    .arg(saveFailurePath(outcome), saveFailureReason(outcome)));
        if (!exitAnyway) {
            return;
        }
    }
    // The list and the engine lock stay: the watch thread and any recording thread may
    // still reach them until the process ends.
    emit terminateRequested();
    QCoreApplication::quit();
}

void ExitSequence::terminate() {
    m_terminationRequested = true;
    // The reservation, settings and countdown dialogs end their runs as if cancelled; exit()
    // ends every event loop, a message's too, without asking the windows to close (the main
    // window would refuse: its close box only hides).
    ModalSession::abortAll();
    QCoreApplication::exit(0);
}
