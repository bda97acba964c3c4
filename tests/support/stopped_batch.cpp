#include "support/stopped_batch.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

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
