// The privileged broker. The program starts it once, through pkexec (or directly when it
// already runs as root), with one end of a socket pair as its standard input and output.
// It runs nothing but the schedule tool beside it, and only with an accepted argument
// vector; it ends when the program closes the channel.
#include "helper/BrokerSession.h"
#include "helper/ProcessHygiene.h"
#include "helper/ToolLauncher.h"
#include "helper/TrustedTool.h"
#include "protocol/BrokerFrame.h"

#include <csignal>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isSocket(int fd) {
    struct stat st {};
    return fstat(fd, &st) == 0 && S_ISSOCK(st.st_mode);
}

} // namespace

int main(int argc, char**) {
    const uid_t user = requestingUser(); // before the environment goes
    const bool sane = sanitizeProcess();
    const char* self = broker::kBrokerFileName;
    if (!sane) {
        std::cerr << self << ": refusing to start: resource limits too low to run safely\n";
        return 3;
    }
    if (chdir("/") != 0) {
        return 1;
    }
    if (argc != 1) {
        std::cerr << self << ": takes no arguments\n";
        return 2;
    }
    if (!isSocket(STDIN_FILENO) || !isSocket(STDOUT_FILENO)) {
        std::cerr << self << ": is started by the timer recorder, not by hand\n";
        return 2;
    }
    // A program that goes away must not kill the broker in the middle of a tool run.
    std::signal(SIGPIPE, SIG_IGN);

    std::string toolPath;
    std::string error;
    const int toolFd = TrustedTool::open(TrustedTool::ownExecutable(), &toolPath, &error);
    if (toolFd < 0) {
        std::cerr << self << ": refusing to start: " << error << "\n";
        return 3;
    }
    ToolLauncher launcher(toolFd, toolPath, user);
    BrokerSession session(launcher, std::cerr);
    return static_cast<int>(session.serve(STDIN_FILENO, STDOUT_FILENO));
}
