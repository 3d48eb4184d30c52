#include "cli/StopSignals.h"

#include <csignal>
#include <pthread.h>

namespace velto {

namespace {
sigset_t watched() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGUSR1); // our own "done"
    return set;
}
} // namespace

StopSignals::StopSignals(std::function<void()> stop) {
    const sigset_t set = watched();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    m_thread = std::thread([set, stop = std::move(stop)] {
        for (;;) {
            int signal = 0;
            if (sigwait(&set, &signal) != 0 || signal == SIGUSR1)
                return;
            stop();
        }
    });
}

StopSignals::~StopSignals() {
    pthread_kill(m_thread.native_handle(), SIGUSR1);
    m_thread.join();
}

} // namespace velto
