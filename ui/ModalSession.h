// A modal session for one dialog window that the caller polls, so that the caller decides
// when the run ends (only the dialog's own buttons end it).
#pragma once

#include <QWidget>

class ModalSession {
public:
    static constexpr int kContinues = -1002;
    // The program is ending: the dialog's run ends as if cancelled.
    static constexpr int kAborted = -1001;

    // Shows window application-modal and makes it the innermost session.
    explicit ModalSession(QWidget* window);
    // Ends the session; the caller closes the window.
    ~ModalSession();
    ModalSession(ModalSession const&) = delete;
    ModalSession& operator=(ModalSession const&) = delete;

    // Handles the pending events, waiting at most waitMs for one, and answers
    // kContinues, or the code given to stopWithCode since the last call.
    int poll(int waitMs = 50);

    // Stops the innermost running session with code (no-op when there is none).
    static void stopWithCode(int code);
    // Ends every running session: from now on each answers kAborted.
    static void abortAll();
    static ModalSession* current();

private:
    ModalSession* m_outer;
    int m_stopCode = kContinues;
    bool m_aborted = false;
};
