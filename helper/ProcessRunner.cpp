#include "helper/ProcessRunner.h"

#include "helper/ProcessHygiene.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

ICommandRunner::Result ProcessRunner::run(const std::vector<std::string>& argv) {
    Result result;
    if (argv.empty() || argv[0].empty() || argv[0][0] != '/') {
        return result;
    }
    // Everything the child needs is prepared before fork.
    std::vector<char*> args;
    for (const auto& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    // LC_ALL=C keeps systemctl's listing in the plain form the tool parses.
    std::string path = std::string("PATH=") + kSafePath;
    std::string locale = "LC_ALL=C";
    char* env[] = {path.data(), locale.data(), nullptr};

    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        return result;
    }
    const pid_t pid = fork();
    if (pid < 0) {
        close(out[0]);
        close(out[1]);
        return result;
    }
    if (pid == 0) {
        const int null = open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (null < 0 || dup2(null, STDIN_FILENO) < 0 || dup2(out[1], STDOUT_FILENO) < 0) {
            _exit(127);
        }
        execve(args[0], args.data(), env);
        _exit(127);
    }
    close(out[1]);
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + m_deadline;
    char buffer[4096];
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            result.timedOut = true;
            break;
        }
        pollfd entry{out[0], POLLIN, 0};
        const int ready = poll(&entry, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready == 0) {
            result.timedOut = true;
            break;
        }
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        const std::size_t room = kMaxOutput - result.output.size();
        result.output.append(buffer, std::min(room, static_cast<std::size_t>(n)));
    }
    close(out[0]);
    if (result.timedOut) {
        kill(pid, SIGKILL);
    }
    // The output has ended, so the command has (or is about to): this wait is short, but it
    // still has the deadline's guard.
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, result.timedOut ? 0 : WNOHANG);
        if (done == pid) {
            break;
        }
        if (done < 0 && errno != EINTR) {
            return result;
        }
        if (done == 0) {
            if (Clock::now() >= deadline) {
                result.timedOut = true;
                kill(pid, SIGKILL);
                continue;
            }
            poll(nullptr, 0, 5);
        }
    }
    result.status = WIFEXITED(status) && !result.timedOut ? WEXITSTATUS(status) : -1;
    return result;
}
