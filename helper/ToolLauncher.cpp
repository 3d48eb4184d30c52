#include "helper/ToolLauncher.h"

#include "helper/ProcessHygiene.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

ToolLauncher::ToolLauncher(int toolFd, std::string toolPath, uid_t user)
    : m_toolFd(toolFd), m_toolPath(std::move(toolPath)), m_user(user) {}

IToolLauncher::Outcome ToolLauncher::launch(const std::vector<std::string>& arguments) {
    Outcome outcome;
    std::vector<char*> argv;
    argv.push_back(m_toolPath.data());
    for (const auto& arg : arguments) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    std::string path = std::string("PATH=") + kSafePath;
    std::string user = std::string(kRequestingUserVariable) + "=" + std::to_string(m_user);
    char* env[] = {path.data(), user.data(), nullptr};

    // The child reports a failed exec through this pipe; a clean close means it ran.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        outcome.error = errno;
        return outcome;
    }
    const pid_t pid = fork();
    if (pid < 0) {
        outcome.error = errno;
        close(report[0]);
        close(report[1]);
        return outcome;
    }
    if (pid == 0) {
        // The tool gets no stdin and writes its messages where the broker does; the
        // broker's channel (descriptors 0 and 1) is not handed on.
        struct sigaction dfl {};
        dfl.sa_handler = SIG_DFL;
        sigaction(SIGPIPE, &dfl, nullptr);
        // A group of its own: at the deadline it goes with its systemctl and systemd-run.
        setpgid(0, 0);
        const int null = open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (null >= 0 && dup2(null, STDIN_FILENO) >= 0 && dup2(STDERR_FILENO, STDOUT_FILENO) >= 0) {
            fexecve(m_toolFd, argv.data(), env);
        }
        const int error = errno;
        [[maybe_unused]] const ssize_t n = write(report[1], &error, sizeof error);
        _exit(127);
    }
    setpgid(pid, pid); // here too, whichever of the two runs first
    const auto until = std::chrono::steady_clock::now() + deadline;
    close(report[1]);
    int error = 0;
    ssize_t n;
    do {
        n = read(report[0], &error, sizeof error);
    } while (n < 0 && errno == EINTR);
    close(report[0]);
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, outcome.timedOut ? 0 : WNOHANG);
        if (done == pid) {
            break;
        }
        if (done < 0 && errno != EINTR) {
            outcome.error = errno;
            return outcome;
        }
        if (done == 0) {
            if (std::chrono::steady_clock::now() >= until) {
                outcome.timedOut = true;
                kill(-pid, SIGKILL);
            } else {
                poll(nullptr, 0, 10);
            }
        }
    }
    if (n == static_cast<ssize_t>(sizeof error)) {
        outcome.error = error;
        return outcome;
    }
    outcome.started = true;
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return outcome;
}
