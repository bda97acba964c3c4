#include "support/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace tagshifter::test {

pid_t startProgram(const std::vector<std::string>& args, const ChildOptions& options, int* outFd)
{
    int pipeEnds[2] = {-1, -1};
    if (options.keepOutput && pipe(pipeEnds) != 0)
        throw std::runtime_error("pipe failed");
    if (options.keepOutput && options.outputPipeBytes > 0
        && fcntl(pipeEnds[0], F_SETPIPE_SZ, options.outputPipeBytes) < 0)
        throw std::runtime_error("F_SETPIPE_SZ failed");
    // Everything the child needs is made before fork: only async-signal-safe
    // calls follow in it.
    std::string program = options.program.empty() ? TAGSHIFTER_BINARY : options.program;
    std::vector<std::string> copies(args);
    std::vector<char*> argv{program.data()};
    for (std::string& arg : copies)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    const pid_t child = fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0) {
        const int devNull = open("/dev/null", O_RDWR);
        dup2(devNull, STDIN_FILENO);
        dup2(options.keepOutput ? pipeEnds[1] : devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
        if (options.keepOutput) {
            close(pipeEnds[0]);
            close(pipeEnds[1]);
        }
        if (options.descriptorLimit > 0) {
            for (int fd = STDERR_FILENO + 1; fd < 1024; ++fd)
                close(fd);
            const rlimit limit{static_cast<rlim_t>(options.descriptorLimit),
                               static_cast<rlim_t>(options.descriptorLimit)};
            if (setrlimit(RLIMIT_NOFILE, &limit) != 0)
                _exit(126);
        }
        if (options.user && (setgid(*options.user) != 0 || setuid(*options.user) != 0))
            _exit(126);
        // The default actions, whatever the test runner set.
        signal(SIGINT, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
        signal(SIGHUP, SIG_DFL);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    if (options.keepOutput)
        close(pipeEnds[1]);
    *outFd = pipeEnds[0];
    return child;
}

ChildOutcome finishProgram(pid_t child, int outFd, double timeLimitSeconds)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::duration<double>(timeLimitSeconds);
    ChildOutcome outcome;
    int waitStatus = 0;
    bool reaped = false;
    while (!reaped) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            outcome.timedOut = true;
            kill(child, SIGKILL);
            waitpid(child, &waitStatus, 0);
            break;
        }
        if (outFd >= 0) {
            pollfd watched{outFd, POLLIN, 0};
            const int ready = poll(&watched, 1, static_cast<int>(std::min<long>(left.count(), 50)));
            if (ready > 0) {
                char buffer[4096];
                const ssize_t got = read(outFd, buffer, sizeof buffer);
                if (got > 0) {
                    outcome.out.append(buffer, static_cast<size_t>(got));
                    continue;
                }
                close(outFd);  // end of output
                outFd = -1;
            }
        } else {
            usleep(2000);
        }
        reaped = waitpid(child, &waitStatus, WNOHANG) == child;
    }
    if (outFd >= 0) {
        char buffer[4096];
        ssize_t got;
        while (!outcome.timedOut && (got = read(outFd, buffer, sizeof buffer)) > 0)
            outcome.out.append(buffer, static_cast<size_t>(got));
        close(outFd);
    }
    outcome.exited = WIFEXITED(waitStatus);
    outcome.status = outcome.exited ? WEXITSTATUS(waitStatus) : -1;
    outcome.signal = WIFSIGNALED(waitStatus) ? WTERMSIG(waitStatus) : 0;
    return outcome;
}

ChildOutcome runProgramLimited(const std::vector<std::string>& args, const ChildOptions& options)
{
    int outFd = -1;
    const pid_t child = startProgram(args, options, &outFd);
    return finishProgram(child, outFd, options.timeLimitSeconds);
}

}  // namespace tagshifter::test
