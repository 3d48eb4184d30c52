// A modal session for one dialog window that the caller polls, so that the caller decides
// when the run ends (only the dialog's own buttons end it).
#pragma once

#include <QWidget>

class ModalSession {
public:
    static constexpr int kRunContinuesResponse = -1002;
    // The program is ending: the dialog's run ends as if cancelled.
    static constexpr int kRunAbortedResponse = -1001;

    // Shows window application-modal and makes it the innermost session.
    explicit ModalSession(QWidget* window);
    // Ends the session; the caller closes the window.
    ~ModalSession();
    ModalSession(ModalSession const&) = delete;
    ModalSession& operator=(ModalSession const&) = delete;

    // Handles the pending events, waiting at most waitMs for one, and answers
    // kRunContinuesResponse, or the code given to stopModalWithCode since the last call.
    int runModalSession(int waitMs = 50);

    // Stops the innermost running session with code (no-op when there is none).
    static void stopModalWithCode(int code);
    // Ends every running session: from now on each answers kRunAbortedResponse.
    static void abortAll();
    static ModalSession* current();

private:
    ModalSession* m_outer;
    int m_stopCode = kRunContinuesResponse;
    bool m_aborted = false;
};
