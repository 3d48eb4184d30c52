#include "platform/linux/TestWakeUp.h"

#include "posix/IClock.h"
#include "posix/RtcFacts.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include <cmath>

namespace {

QString const kLogind = QStringLiteral("org.freedesktop.login1");
QString const kLogindPath = QStringLiteral("/org/freedesktop/login1");
QString const kManager = QStringLiteral("org.freedesktop.login1.Manager");

// A bus error's words come from another program: one short line of plain text.
QString shortLine(QString text) {
    text = text.simplified();
    constexpr int kShown = 200;
    return text.size() > kShown ? text.left(kShown) + QStringLiteral("…") : text;
}

} // namespace

TestWakeUp::TestWakeUp(IClock& clock, IPrivilegedOps& privileged, QDBusConnection system,
                       std::string sysfsRoot, QObject* parent)
    : QObject(parent), m_clock(clock), m_privileged(privileged), m_system(std::move(system)),
      m_sysfs(std::move(sysfsRoot)) {
    m_deadline.setSingleShot(true);
}

TestWakeUp::~TestWakeUp() {
    if (m_helperThread.joinable()) {
        m_helperThread.join();
    }
}

void TestWakeUp::start() {
    if (m_running) {
        return;
    }
    m_running = true;
    m_sleeping = false;
    m_down = 0.0;
    if (m_helperThread.joinable()) {
        m_helperThread.join(); // finished: its answer came before this start
    }
    m_eventsBefore = RtcFacts::readWakeEvents(m_sysfs);
    double const instant = std::ceil(m_clock.now()) + kLeadSeconds;
    IPrivilegedOps* const privileged = &m_privileged;
    std::function<void(double)> const hold = m_beforePlanning;
    QPointer<TestWakeUp> self(this);
    m_helperThread = std::thread([self, privileged, hold, instant] {
        if (hold) {
            hold(instant);
        }
        bool const ok = privileged->setWakeTime(instant);
        PrivilegedFailure const failure = privileged->lastFailure();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, ok, failure, instant] {
                if (self) {
                    self->planDone(ok, failure, instant);
                }
            },
            Qt::QueuedConnection);
    });
}

void TestWakeUp::planDone(bool ok, PrivilegedFailure failure, double instant) {
    if (!ok) {
        TestWakeResult result;
        result.kind = TestWakeResult::Kind::PlanFailed;
        result.failure =
            failure == PrivilegedFailure::None ? PrivilegedFailure::ToolFailed : failure;
        finish(result);
        return;
    }
    m_planned = instant;
    if (!m_watching) {
        m_watching =
            m_system.isConnected() &&
            m_system.connect(kLogind, kLogindPath, kManager, QStringLiteral("PrepareForSleep"),
                             this, SLOT(onPrepareForSleep(bool)));
    }
    if (!m_watching) {
        TestWakeResult result;
        result.kind = TestWakeResult::Kind::SuspendFailed;
        // No words from the bus: the window says in its own that there is none.
        result.error.clear();
        finish(result);
        return;
    }
    emit planned(instant);
    QDBusMessage suspend =
        QDBusMessage::createMethodCall(kLogind, kLogindPath, kManager, QStringLiteral("Suspend"));
    suspend << false; // not interactive: a password request would come too late
    auto* watcher =
        new QDBusPendingCallWatcher(m_system.asyncCall(suspend, kSuspendDeadlineMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                if (!m_running || m_sleeping) {
                    return;
                }
                if (call->isError()) {
                    TestWakeResult result;
                    result.kind = TestWakeResult::Kind::SuspendFailed;
                    result.planned = m_planned;
                    QString const said = shortLine(call->error().message());
                    result.error = (said.isEmpty() ? call->error().name() : said).toStdString();
                    finish(result);
                    return;
                }
                m_deadline.disconnect();
                connect(&m_deadline, &QTimer::timeout, this, [this] {
                    TestWakeResult result;
                    result.kind = TestWakeResult::Kind::NoSleep;
                    result.planned = m_planned;
                    finish(result);
                });
                m_deadline.start(kSleepDeadlineMs);
            });
}

void TestWakeUp::onPrepareForSleep(bool sleeping) {
    if (!m_running) {
        return;
    }
    if (sleeping) {
        m_sleeping = true;
        m_down = m_clock.now();
        m_deadline.disconnect();
        connect(&m_deadline, &QTimer::timeout, this, [this] {
            TestWakeResult result;
            result.kind = TestWakeResult::Kind::NoResume;
            result.planned = m_planned;
            result.down = m_down;
            finish(result);
        });
        m_deadline.start(kResumeDeadlineMs);
        emit asleep();
        return;
    }
    if (!m_sleeping) {
        return; // a resume without a sleep we saw begin is not ours
    }
    TestWakeResult result;
    result.planned = m_planned;
    result.down = m_down;
    result.resumed = m_clock.now();
    result.eventsBefore = m_eventsBefore;
    result.eventsAfter = RtcFacts::readWakeEvents(m_sysfs);
    finish(result);
}

void TestWakeUp::finish(TestWakeResult result) {
    m_deadline.stop();
    m_deadline.disconnect();
    m_running = false;
    m_sleeping = false;
    emit finished(result);
}
