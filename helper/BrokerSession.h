// The broker's side of the channel: greets, then answers one frame at a time. A request is
// run only when it is exactly one of the schedule tool's four argument shapes.
#pragma once

#include "helper/IToolLauncher.h"

#include <ostream>
#include <string>
#include <string_view>

class BrokerSession {
public:
    // How serving ended; the broker's exit status.
    enum class Exit : int {
        Done = 0,      // the program closed the channel
        IoError = 1,   // the channel failed
        BadStream = 2, // a frame could not be read; the stream cannot be trusted after it
    };

    BrokerSession(IToolLauncher& launcher, std::ostream& log);

    // The reply to one request payload.
    std::string handleRequest(std::string_view payload);

    // Greets on outFd, then serves requests from inFd until the program closes the channel.
    Exit serve(int inFd, int outFd);

private:
    IToolLauncher& m_launcher;
    std::ostream& m_log;
};
