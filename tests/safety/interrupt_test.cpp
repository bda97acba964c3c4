// A stop signal that arrives while a batch is being saved must never leave a
// file half-written: every file is either wholly as it was or wholly saved.
#include "support/child_process.h"
#include "support/fixtures.h"
#include "support/tag_layouts.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <random>

namespace tagshifter::test {
namespace {

// A tag without padding whose text doubles in UTF-8: every save moves all
// the audio behind it, which takes long enough to be caught in the middle.
std::string growingFile()
{
    std::string title;
    for (int i = 0; i < 3000; ++i)
        title += kPrivetCp1251;
    const std::string frames = textFrame("TIT2", title) + textFrame("TPE1", kPrivetCp1251);
    return id3v23Tag(frames) + mpegFrames(300);
}

TEST(InterruptedRun, EveryFileIsWhollyOldOrWhollyNew)
{
    const int kFiles = 200;
    const int kRounds = 12;
    const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    const std::vector<std::string> options = {"-q", "-s", "cp1251", "-2", "unicode"};

    TempDir dir;
    const std::string original = growingFile();
    const std::string sample = dir.file("sample.mp3");
    writeFile(sample, original);
    std::vector<std::string> args = options;
    args.push_back(sample);
    ASSERT_EQ(runProgramLimited(args).status, 0);
    const std::string saved = readFile(sample);
    ASSERT_NE(saved, original);

    std::vector<std::string> names;
    for (int i = 0; i < kFiles; ++i)
        names.push_back(dir.file("copy" + std::to_string(i) + ".mp3"));

    // How long a whole batch takes, so that the signals land inside one.
    for (const std::string& name : names)
        writeFile(name, original);
    args = options;
    args.insert(args.end(), names.begin(), names.end());
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(runProgramLimited(args).status, 0);
    const double batchSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::mt19937 random(20261209);
    std::uniform_real_distribution<double> delay(0.0, batchSeconds);
    int caughtMidBatch = 0;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        for (const std::string& name : names)
            writeFile(name, original);
        const int signal = kSignals[round % 3];
        ChildOptions quiet;
        quiet.keepOutput = false;
        int outFd = -1;
        const pid_t child = startProgram(args, quiet, &outFd);
        usleep(static_cast<useconds_t>(delay(random) * 1e6));
        kill(child, signal);
        const ChildOutcome outcome = finishProgram(child, outFd, 30);
        ASSERT_FALSE(outcome.timedOut);
        // Stopped by the signal, or done before it came.
        EXPECT_TRUE(outcome.signal == signal || (outcome.exited && outcome.status == 0))
            << "exit " << outcome.status << ", signal " << outcome.signal;

        int oldFiles = 0;
        int newFiles = 0;
        for (const std::string& name : names) {
            const std::string now = readFile(name);
            if (now == original)
                ++oldFiles;
            else if (now == saved)
                ++newFiles;
            else
                ADD_FAILURE() << name << " is half-written (" << now.size() << " bytes)";
        }
        if (oldFiles > 0 && newFiles > 0)
            ++caughtMidBatch;
    }
    RecordProperty("RoundsStoppedMidBatch", caughtMidBatch);
    // Rounds that all end before or after the batch would prove nothing.
    EXPECT_GT(caughtMidBatch, 0) << "no round was stopped in the middle of the batch";
}

}  // namespace
}  // namespace tagshifter::test
