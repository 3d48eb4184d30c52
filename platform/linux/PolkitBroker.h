// The administrator's permission to run the schedule tool, on top of polkit. Asking for it
// starts, once, the privileged broker beside the tool through pkexec (directly when the
// program already runs as root); the broker is held until this object goes. Running the
// tool hands the broker one argument vector. Plain C++ (no Qt).
#pragma once

#include "platform/linux/BrokerChannel.h"

#include <memory>
#include <string>
#include <vector>

class PolkitBroker {
public:
    enum class Status {
        Success,
        InvalidTool,     // the tool path is not absolute
        Denied,          // never granted, or granted for another tool
        Canceled,        // the password request was dismissed, or the program is ending
        NotInteractive,  // a password would be needed, but asking was not allowed
        ToolNotRunnable, // no broker could be started, or another tool was named
    };

    PolkitBroker() = default;
    // Ends the broker, if any.
    ~PolkitBroker();
    PolkitBroker(PolkitBroker const&) = delete;
    PolkitBroker& operator=(PolkitBroker const&) = delete;

    // Asks for the right to run the tool at toolPath as root: starts the broker beside it
    // (pkexec asks for the password when interaction is allowed). A right already held for
    // that tool is answered at once.
    Status authorize(std::string const& toolPath, bool interactionAllowed);
    // Whether the right was granted (for the tool authorize named).
    bool authorized() const { return !m_toolPath.empty(); }

    // Has the broker run the tool (the one the right was obtained for) with these arguments
    // and waits for it: answer says how it ended. A broker that went away or was ended for
    // not answering is started again first, the right having been granted. Success means the
    // request reached a broker.
    Status runTool(std::string const& toolPath, std::vector<std::string> const& arguments,
                   BrokerChannel::Answer& answer);

    // While set, every broker wait under way or to come gives up at once and no broker is
    // started: the program is ending (tests set it back). Any thread.
    static void setRunsAbandoned(bool abandoned);
    // How brokers are started from now on; Automatic unless a test says.
    static void setLaunch(BrokerChannel::Launch launch);

private:
    Status startBroker(std::string const& toolPath);

    std::string m_toolPath; // the tool the right was obtained for
    std::unique_ptr<BrokerChannel> m_broker;
};
