#include "helper/BrokerSession.h"

#include "helper/BrokerFrame.h"
#include "helper/ScheduleRequest.h"

#include <vector>

BrokerSession::BrokerSession(IToolLauncher& launcher, std::ostream& log)
    : m_launcher(launcher), m_log(log) {}

std::string BrokerSession::HandleRequest(std::string_view payload) {
    std::vector<std::string> arguments;
    ScheduleRequest request;
    std::string why = "arguments are not NUL-terminated strings";
    if (!broker::DecodeArguments(payload, schedule::kArgumentCount, &arguments) ||
        !ScheduleRequest::Parse(arguments, &request, &why)) {
        m_log << broker::kBrokerFileName << ": refused a request: " << why << "\n";
        return std::string(broker::kReplyRefused);
    }
    const auto outcome = m_launcher.Launch(arguments);
    if (outcome.timedOut) {
        m_log << broker::kBrokerFileName << ": the tool did not finish in time; ended it\n";
        return std::string(broker::kReplyTimedOut);
    }
    if (!outcome.started) {
        return std::string(broker::kReplyFailed) + std::to_string(outcome.error);
    }
    return std::string(broker::kReplyStarted) + std::to_string(outcome.status);
}

int BrokerSession::Serve(int inFd, int outFd) {
    if (!broker::WriteFrame(outFd, broker::kBrokerHello)) {
        return kExitIoError;
    }
    for (;;) {
        std::string payload;
        switch (broker::ReadFrame(inFd, &payload)) {
        case broker::FrameStatus::End:
            return kExitDone;
        case broker::FrameStatus::IoError:
            return kExitIoError;
        case broker::FrameStatus::Malformed:
            m_log << broker::kBrokerFileName << ": malformed frame; closing\n";
            broker::WriteFrame(outFd, broker::kReplyRefused);
            return kExitBadStream;
        case broker::FrameStatus::Frame:
            if (!broker::WriteFrame(outFd, HandleRequest(payload))) {
                return kExitIoError;
            }
            break;
        }
    }
}
