#include "helper/BrokerSession.h"

#include "helper/ScheduleRequest.h"
#include "protocol/BrokerFrame.h"

#include <vector>

BrokerSession::BrokerSession(IToolLauncher& launcher, std::ostream& log)
    : m_launcher(launcher), m_log(log) {}

std::string BrokerSession::handleRequest(std::string_view payload) {
    std::vector<std::string> arguments;
    ScheduleRequest request;
    std::string why = "arguments are not NUL-terminated strings";
    if (!broker::decodeArguments(payload, schedule::kArgumentCount, &arguments) ||
        !ScheduleRequest::parse(arguments, &request, &why)) {
        m_log << broker::kBrokerFileName << ": refused a request: " << why << "\n";
        return std::string(broker::kReplyRefused);
    }
    const auto outcome = m_launcher.launch(arguments);
    if (outcome.timedOut) {
        m_log << broker::kBrokerFileName << ": the tool did not finish in time; ended it\n";
        return std::string(broker::kReplyTimedOut);
    }
    if (!outcome.started) {
        return std::string(broker::kReplyFailed) + std::to_string(outcome.error);
    }
    return std::string(broker::kReplyStarted) + std::to_string(outcome.status);
}

BrokerSession::Exit BrokerSession::serve(int inFd, int outFd) {
    if (!broker::writeFrame(outFd, broker::kBrokerHello)) {
        return Exit::IoError;
    }
    for (;;) {
        std::string payload;
        switch (broker::readFrame(inFd, &payload)) {
        case broker::FrameStatus::End:
            return Exit::Done;
        case broker::FrameStatus::IoError:
            return Exit::IoError;
        case broker::FrameStatus::Malformed:
            m_log << broker::kBrokerFileName << ": malformed frame; closing\n";
            broker::writeFrame(outFd, broker::kReplyRefused);
            return Exit::BadStream;
        case broker::FrameStatus::Frame:
            if (!broker::writeFrame(outFd, handleRequest(payload))) {
                return Exit::IoError;
            }
            break;
        }
    }
}
