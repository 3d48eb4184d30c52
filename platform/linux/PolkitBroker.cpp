#include "platform/linux/PolkitBroker.h"

#include "protocol/BrokerFrame.h"

#include <atomic>
#include <unistd.h>

namespace {

std::atomic<BrokerChannel::Launch> g_launch{BrokerChannel::Launch::Automatic};
std::atomic<bool> g_abandoned{false};

std::string brokerBeside(std::string const& toolPath) {
    return toolPath.substr(0, toolPath.rfind('/') + 1) + broker::kBrokerFileName;
}

PolkitBroker::Status statusOf(BrokerChannel::StartResult result) {
    switch (result) {
    case BrokerChannel::StartResult::Started:
        return PolkitBroker::Status::Success;
    case BrokerChannel::StartResult::Dismissed:
        return PolkitBroker::Status::Canceled;
    case BrokerChannel::StartResult::Refused:
        return PolkitBroker::Status::Denied;
    case BrokerChannel::StartResult::Failed:
        break;
    }
    return PolkitBroker::Status::ToolNotRunnable;
}

} // namespace

PolkitBroker::~PolkitBroker() = default; // closing the channel ends the broker

void PolkitBroker::setLaunch(BrokerChannel::Launch launch) {
    g_launch.store(launch);
}

void PolkitBroker::setRunsAbandoned(bool abandoned) {
    g_abandoned.store(abandoned);
    BrokerChannel::setAbandoned(abandoned);
}

PolkitBroker::Status PolkitBroker::startBroker(std::string const& toolPath) {
    if (g_abandoned.load()) {
        return Status::Canceled;
    }
    BrokerChannel::StartResult result;
    m_broker = BrokerChannel::start(brokerBeside(toolPath), g_launch.load(), &result);
    return m_broker ? Status::Success : statusOf(result);
}

PolkitBroker::Status PolkitBroker::authorize(std::string const& toolPath, bool interactionAllowed) {
    if (toolPath.empty() || toolPath[0] != '/' || toolPath.find('\0') != std::string::npos) {
        return Status::InvalidTool;
    }
    if (m_broker && !m_broker->broken()) {
        return m_toolPath == toolPath ? Status::Success : Status::Denied;
    }
    if (!interactionAllowed && geteuid() != 0) {
        return Status::NotInteractive;
    }
    Status const status = startBroker(toolPath);
    if (status == Status::Success) {
        m_toolPath = toolPath;
    }
    return status;
}

PolkitBroker::Status PolkitBroker::runTool(std::string const& toolPath,
                                           std::vector<std::string> const& arguments,
                                           BrokerChannel::Answer& answer) {
    answer = BrokerChannel::Answer{};
    // Never granted (refused, or not asked): no broker, and no new password request here.
    if (m_toolPath.empty()) {
        return Status::Denied;
    }
    // The broker runs only the tool beside it; another path would not be what was asked.
    if (m_toolPath != toolPath) {
        return Status::ToolNotRunnable;
    }
    if (!m_broker || m_broker->broken()) {
        // It died, or was ended for not answering: the right was granted, so a new broker
        // is started (pkexec may ask again once its grace time has passed).
        m_broker.reset();
        if (Status const status = startBroker(m_toolPath); status != Status::Success) {
            return status;
        }
    }
    answer = m_broker->execute(arguments);
    return Status::Success;
}
