#include "app/SleepVeto.h"

#include <chrono>

namespace {

double wallClock() {
    using namespace std::chrono;
    return duration_cast<duration<double>>(system_clock::now().time_since_epoch()).count();
}

} // namespace

SleepVeto::SleepVeto(ISettings& settings, SleepRule::NextStart nextStart, QObject* parent)
    : SleepVeto(settings, std::move(nextStart), QDBusConnection::systemBus(),
                QDBusConnection::sessionBus(), wallClock, parent) {}

SleepVeto::SleepVeto(ISettings& settings, SleepRule::NextStart nextStart,
                     QDBusConnection const& system, QDBusConnection const& session, Clock clock,
                     QObject* parent)
    : QObject(parent), m_inhibitor(system, session),
      m_rule(settings, std::move(nextStart), m_inhibitor), m_clock(std::move(clock)) {
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &SleepVeto::evaluate);
    connect(&m_inhibitor, &IdleInhibitor::attached, this, [this](bool attachedToLogind) {
        emit attached(attachedToLogind);
        if (attachedToLogind && m_started) {
            startLooking();
        }
    });
}

void SleepVeto::attach() {
    m_inhibitor.attach();
}

void SleepVeto::start() {
    if (m_started) {
        return;
    }
    m_started = true;
    if (m_inhibitor.isAttached()) {
        startLooking();
    }
}

void SleepVeto::startLooking() {
    m_timer.start();
    evaluate();
}

void SleepVeto::evaluate() {
    if (!m_inhibitor.isAttached()) {
        return;
    }
    m_rule.evaluate(m_clock());
}
