#include "platform/linux/PrivilegedScheduler.h"

#include "protocol/ScheduleToolExit.h"

#include <vector>

namespace {

PrivilegedFailure failureOf(PolkitBroker::Status status) {
    switch (status) {
    case PolkitBroker::Status::Success:
        return PrivilegedFailure::None;
    case PolkitBroker::Status::Denied:
    case PolkitBroker::Status::Canceled:
    case PolkitBroker::Status::NotInteractive:
        return PrivilegedFailure::NotAuthorized;
    case PolkitBroker::Status::InvalidTool:
    case PolkitBroker::Status::ToolNotRunnable:
        break;
    }
    return PrivilegedFailure::Unavailable;
}

PrivilegedFailure failureOf(BrokerChannel::Answer const& answer) {
    using Kind = BrokerChannel::Answer::Kind;
    switch (answer.kind) {
    case Kind::Exited:
        switch (static_cast<ScheduleToolExit>(answer.status)) {
        case ScheduleToolExit::Ok:
        case ScheduleToolExit::AlarmLimited: // the wake-up is set; the note says the rest
        case ScheduleToolExit::AlarmReplaced:
            return PrivilegedFailure::None;
        case ScheduleToolExit::NoSystemd:
            return PrivilegedFailure::NoSystemd;
        case ScheduleToolExit::NotWakeable:
            return PrivilegedFailure::NotWakeable;
        default:
            return PrivilegedFailure::ToolFailed;
        }
    case Kind::TimedOut:
        return PrivilegedFailure::TimedOut;
    case Kind::Refused:
        return PrivilegedFailure::ToolFailed;
    case Kind::NotStarted:
    case Kind::Lost:
        break;
    }
    return PrivilegedFailure::Unavailable;
}

} // namespace

PrivilegedScheduler::PrivilegedScheduler(std::string toolPath) : m_toolPath(std::move(toolPath)) {}

PrivilegedScheduler::~PrivilegedScheduler() = default;

std::string PrivilegedScheduler::tool() const {
    std::lock_guard lock(m_mutex);
    return m_toolPath;
}

bool PrivilegedScheduler::asked() const {
    std::lock_guard lock(m_mutex);
    return m_broker != nullptr;
}

void PrivilegedScheduler::setTool(std::string const& path) {
    std::lock_guard lock(m_mutex);
    if (path == m_toolPath) {
        return;
    }
    // A right obtained for another tool, or for none, is of no use for this one.
    m_broker.reset();
    m_toolPath = path;
}

void PrivilegedScheduler::release() {
    // A tool run under way on the planning thread gives up at once.
    PolkitBroker::setRunsAbandoned(true);
    std::lock_guard lock(m_mutex);
    m_broker.reset();
}

bool PrivilegedScheduler::authorize() {
    std::lock_guard lock(m_mutex);
    return authorizeLocked();
}

bool PrivilegedScheduler::authorizeLocked() {
    // A permission that exists is asked again rather than replaced, so neither it nor its
    // broker is leaked.
    if (!m_broker) {
        m_broker = std::make_unique<PolkitBroker>();
    }
    PolkitBroker::Status const status = m_broker->authorize(m_toolPath, true);
    m_failure = m_toolPath.empty() ? PrivilegedFailure::Unavailable : failureOf(status);
    return status == PolkitBroker::Status::Success;
}

template <typename Arguments>
bool PrivilegedScheduler::runTool(Arguments const& arguments,
                                  BrokerChannel::Answer::Kind* answered) {
    if (m_toolPath.empty()) {
        m_failure = PrivilegedFailure::Unavailable;
        return false;
    }
    BrokerChannel::Answer answer;
    PolkitBroker::Status const status = m_broker->runTool(
        m_toolPath, std::vector<std::string>(arguments.begin(), arguments.end()), answer);
    m_failure = status != PolkitBroker::Status::Success ? failureOf(status) : failureOf(answer);
    if (answered != nullptr && status == PolkitBroker::Status::Success) {
        *answered = answer.kind;
    }
    m_exit = status == PolkitBroker::Status::Success &&
                     answer.kind == BrokerChannel::Answer::Kind::Exited
                 ? answer.status
                 : -1;
    return m_failure == PrivilegedFailure::None;
}

bool PrivilegedScheduler::set(schedule::Kind kind, double instant) {
    std::lock_guard lock(m_mutex);
    m_note = AlarmNote::None;
    // The instant is converted before the permission is looked at. One that cannot be
    // written would only be refused by the tool, so it does not bring up a password request.
    auto const arguments = schedule::buildSetArguments(kind, instant, m_clock);
    if (!arguments) {
        m_failure = PrivilegedFailure::ToolFailed;
        return false;
    }
    // Made once and then kept, even when the right was refused.
    if (!m_broker && !authorizeLocked()) {
        return false;
    }
    if (!runTool(*arguments)) {
        return false;
    }
    switch (static_cast<ScheduleToolExit>(m_exit)) {
    case ScheduleToolExit::AlarmLimited:
        m_note = AlarmNote::OutOfRange;
        break;
    case ScheduleToolExit::AlarmReplaced:
        m_note = AlarmNote::ReplacedOther;
        break;
    default:
        break;
    }
    return true;
}

bool PrivilegedScheduler::setWakeTime(double instant) {
    return set(schedule::Kind::Wake, instant);
}

bool PrivilegedScheduler::setShutdownTime(double instant) {
    return set(schedule::Kind::Shutdown, instant);
}

bool PrivilegedScheduler::cancel(int kind) {
    std::lock_guard lock(m_mutex);
    // The permission comes first, so even an unknown kind may bring up the request.
    if (!m_broker && !authorizeLocked()) {
        return false;
    }
    auto const arguments = schedule::buildCancelArguments(kind, m_clock);
    if (!arguments) {
        m_failure = PrivilegedFailure::ToolFailed;
        return false;
    }
    return runTool(*arguments);
}

PrivilegedFailure PrivilegedScheduler::lastFailure() {
    std::lock_guard lock(m_mutex);
    return m_failure;
}

AlarmNote PrivilegedScheduler::lastAlarmNote() {
    std::lock_guard lock(m_mutex);
    return m_note;
}

void PrivilegedScheduler::setRtcClock(schedule::RtcClock clock) {
    std::lock_guard lock(m_mutex);
    m_clock = clock;
}

AlarmRange PrivilegedScheduler::probeAlarmRange() {
    std::lock_guard lock(m_mutex);
    if (!m_broker && !authorizeLocked()) {
        return AlarmRange::Unknown;
    }
    BrokerChannel::Answer::Kind answered = BrokerChannel::Answer::Kind::Lost;
    runTool(schedule::buildProbeArguments(m_clock), &answered);
    // A broker or tool from before the probe existed refuses its shape.
    if (answered == BrokerChannel::Answer::Kind::Refused ||
        m_exit == static_cast<int>(ScheduleToolExit::Refused)) {
        return AlarmRange::Outdated;
    }
    switch (static_cast<ScheduleToolExit>(m_exit)) {
    case ScheduleToolExit::Ok:
        return AlarmRange::Beyond24h;
    case ScheduleToolExit::AlarmLimited:
        m_failure = PrivilegedFailure::None;
        return AlarmRange::Within24h;
    case ScheduleToolExit::NotWakeable:
        m_failure = PrivilegedFailure::None;
        return AlarmRange::NoAlarm;
    default:
        break;
    }
    if (m_failure == PrivilegedFailure::None) {
        m_failure = PrivilegedFailure::ToolFailed;
    }
    return AlarmRange::Unknown;
}
