// Running the built program as a child process with more control than
// runProgram: a time limit, another user, a signal sent at a chosen moment.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace tagshifter::test {

struct ChildOutcome {
    bool exited = false;  // ended with an exit status
    int status = -1;      // the exit status when exited
    int signal = 0;       // the signal that ended it otherwise
    bool timedOut = false;
    std::string out;      // standard output (standard error is discarded)
};

struct ChildOptions {
    double timeLimitSeconds = 20;     // then the child is killed
    std::optional<uid_t> user;        // run as this user (needs root)
    bool keepOutput = true;           // false: standard output goes to /dev/null
    std::string program;              // the program to run; empty: the one just built
    int outputPipeBytes = 0;          // with keepOutput: the pipe's capacity (F_SETPIPE_SZ), if not 0
    int descriptorLimit = 0;          // if not 0: RLIMIT_NOFILE of the child, which holds only 0, 1 and 2
};

// Starts the program with `args`; standard input is /dev/null.
pid_t startProgram(const std::vector<std::string>& args, const ChildOptions& options, int* outFd);

// Collects the output of a started child and waits for it to end, killing
// it when the time limit passes.
ChildOutcome finishProgram(pid_t child, int outFd, double timeLimitSeconds);

ChildOutcome runProgramLimited(const std::vector<std::string>& args,
                               const ChildOptions& options = {});

}  // namespace tagshifter::test
