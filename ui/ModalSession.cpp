#include "ui/ModalSession.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>

namespace {
ModalSession* g_innermost = nullptr;
}

ModalSession::ModalSession(QWidget* window) : m_outer(g_innermost) {
    g_innermost = this;
    if (window->isVisible() && window->windowModality() != Qt::ApplicationModal) {
        window->hide(); // modality only changes on a hidden window
    }
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
    // The offscreen platform used by the tests has no window stacking to change.
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        window->raise();
        window->activateWindow();
    }
}

ModalSession::~ModalSession() {
    // The dialogs are modal whenever they are shown; the caller closes the window.
    g_innermost = m_outer;
}

int ModalSession::poll(int waitMs) {
    if (m_aborted) {
        return kAborted;
    }
    if (m_stopCode == kContinues) {
        // Wait for the next event, but never longer than waitMs: callers poll.
        QEventLoop loop;
        QTimer::singleShot(waitMs, &loop, [] {});
        loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        QCoreApplication::sendPostedEvents();
        loop.processEvents(QEventLoop::AllEvents);
    }
    int const code = m_stopCode;
    m_stopCode = kContinues;
    return code;
}

void ModalSession::stopWithCode(int code) {
    if (g_innermost != nullptr) {
        g_innermost->m_stopCode = code;
    }
}

void ModalSession::abortAll() {
    for (ModalSession* session = g_innermost; session != nullptr; session = session->m_outer) {
        session->m_aborted = true;
    }
}

ModalSession* ModalSession::current() {
    return g_innermost;
}
