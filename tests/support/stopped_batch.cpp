#include "support/stopped_batch.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

namespace tagshifter::test {

StoppedBatch::StoppedBatch(const TempDir& dir, const std::string& original, int files,
                           const std::vector<std::string>& options)
    : original_(original)
{
    const std::string sample = dir.put("sample.mp3", original);
    std::vector<std::string> args = options;
    args.push_back(sample);
    EXPECT_EQ(runProgramLimited(args).status, 0);
    saved_ = readFile(sample);
    EXPECT_NE(saved_, original) << "the sample was not saved";
    unlink(sample.c_str());

    args_ = options;
    for (int i = 0; i < files; ++i) {
        names_.push_back(dir.put("copy" + std::to_string(i) + ".mp3", original));
        args_.push_back(names_.back());
    }
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(runProgramLimited(args_).status, 0);
    batchSeconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

ChildOutcome StoppedBatch::stopOnce(int signal)
{
    for (const std::string& name : names_)
        writeFile(name, original_);
    ChildOptions quiet;
    quiet.keepOutput = false;
    int outFd = -1;
    const pid_t child = startProgram(args_, quiet, &outFd);
    std::uniform_real_distribution<double> delay(0.0, batchSeconds_);
    usleep(static_cast<useconds_t>(delay(random_) * 1e6));
    kill(child, signal);
    return finishProgram(child, outFd, 30);
}

namespace {
// Still running: looked at without reaping it, which finishProgram does.
bool running(pid_t child)
{
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
}
// The capacity of the smallest pipe the system makes: one page.
int smallestPipe()
{
    int ends[2];
    if (pipe(ends) != 0)
        return 4096;
    const int bytes = fcntl(ends[0], F_SETPIPE_SZ, 1) > 0 ? fcntl(ends[0], F_GETPIPE_SZ) : 4096;
    close(ends[0]);
    close(ends[1]);
    return bytes;
}
}  // namespace

ChildOutcome StoppedBatch::stopMidway(int signal)
{
    for (const std::string& name : names_)
        writeFile(name, original_);
    const int kPipeBytes = smallestPipe();
    constexpr char kDone[] = "...done\n";
    // Each line is at least twice the pipe's share of one file: "./" parts
    // lengthen the names, which the run prints as given.
    const size_t lineBytes = 2 * kPipeBytes / names_.size() + 1;
    std::vector<std::string> args;
    for (const std::string& arg : args_) {
        if (arg == "-q")
            continue;  // the lines are the point
        if (std::find(names_.begin(), names_.end(), arg) == names_.end()) {
            args.push_back(arg);
            continue;
        }
        const size_t slash = arg.rfind('/') + 1;
        std::string padding;
        while (arg.size() + padding.size() + sizeof kDone - 1 < lineBytes)
            padding += "./";
        args.push_back(arg.substr(0, slash) + padding + arg.substr(slash));
    }
    ChildOptions small;
    small.outputPipeBytes = kPipeBytes;
    int outFd = -1;
    const pid_t child = startProgram(args, small, &outFd);
    EXPECT_EQ(fcntl(outFd, F_GETPIPE_SZ), kPipeBytes);
    // Full: no room for the next line.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int queued = 0;
    while (ioctl(outFd, FIONREAD, &queued) == 0 && queued <= kPipeBytes - static_cast<int>(lineBytes)
           && std::chrono::steady_clock::now() < deadline && running(child))
        usleep(1000);
    EXPECT_GT(queued, kPipeBytes - static_cast<int>(lineBytes)) << "the run never filled its pipe";
    kill(child, signal);
    return finishProgram(child, outFd, 30);
}

StoppedBatch::Count StoppedBatch::count() const
{
    Count count;
    for (const std::string& name : names_) {
        const std::string now = readFile(name);
        if (now == original_) {
            ++count.oldFiles;
        } else if (now == saved_) {
            ++count.newFiles;
        } else {
            ++count.torn;
            ADD_FAILURE() << name << " is torn (" << now.size() << " bytes)";
        }
    }
    return count;
}

}  // namespace tagshifter::test
