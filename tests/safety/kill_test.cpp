// SIGKILL cannot be held off: a run killed at any moment while it rewrites a
// batch of files must still leave every file wholly old or wholly new, since
// each new file is written beside the old one and renamed over it.
//
// TAGSHIFTER_KILL_ROUNDS=200 runs more rounds than the suite's few.
#include "support/child_process.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <random>

namespace tagshifter::test {
namespace {

// A tag without padding whose text doubles in UTF-8, before 400 KB of audio:
// every save writes a whole new file.
std::string rewrittenFile()
{
    std::string title;
    for (int i = 0; i < 50; ++i)
        title += kPrivetCp1251;
    return id3v23Tag(textFrame("TIT2", title) + textFrame("TPE1", kPrivetCp1251)) + mpegFrames(1000);
}

int rounds()
{
    const char* asked = std::getenv("TAGSHIFTER_KILL_ROUNDS");
    return asked != nullptr && std::atoi(asked) > 0 ? std::atoi(asked) : 6;
}

TEST(KilledRun, EveryFileIsWhollyOldOrWhollyNew)
{
    const int kFiles = 60;
    const std::vector<std::string> options = {"-q", "-s", "cp1251", "-2", "unicode"};

    TempDir dir;
    const std::string original = rewrittenFile();
    const std::string sample = dir.file("sample.mp3");
    writeFile(sample, original);
    std::vector<std::string> args = options;
    args.push_back(sample);
    ASSERT_EQ(runProgramLimited(args).status, 0);
    const std::string saved = readFile(sample);
    ASSERT_NE(saved, original);
    unlink(sample.c_str());

    std::vector<std::string> names;
    for (int i = 0; i < kFiles; ++i)
        names.push_back(dir.file("copy" + std::to_string(i) + ".mp3"));
    args = options;
    args.insert(args.end(), names.begin(), names.end());

    for (const std::string& name : names)
        writeFile(name, original);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(runProgramLimited(args).status, 0);
    const double batchSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::mt19937 random(20261210);
    std::uniform_real_distribution<double> delay(0.0, batchSeconds);
    int caughtMidBatch = 0;
    int torn = 0;
    int leftovers = 0;
    for (int round = 0; round < rounds(); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        for (const std::string& name : names)
            writeFile(name, original);
        ChildOptions quiet;
        quiet.keepOutput = false;
        int outFd = -1;
        const pid_t child = startProgram(args, quiet, &outFd);
        usleep(static_cast<useconds_t>(delay(random) * 1e6));
        kill(child, SIGKILL);
        const ChildOutcome outcome = finishProgram(child, outFd, 30);
        ASSERT_FALSE(outcome.timedOut);

        int oldFiles = 0;
        int newFiles = 0;
        for (const std::string& name : names) {
            const std::string now = readFile(name);
            if (now == original) {
                ++oldFiles;
            } else if (now == saved) {
                ++newFiles;
            } else {
                ++torn;
                ADD_FAILURE() << name << " is torn (" << now.size() << " bytes)";
            }
        }
        if (oldFiles > 0 && newFiles > 0)
            ++caughtMidBatch;
        // Anything else in the folder is a new file that lost the race with
        // the kill between getting its name and the rename: recognisable,
        // and the old file beside it is whole.
        DIR* folder = opendir(dir.path().c_str());
        while (dirent* entry = readdir(folder)) {
            const std::string name = entry->d_name;
            if (name == "." || name == ".." || name.rfind("copy", 0) == 0)
                continue;
            ++leftovers;
            EXPECT_NE(name.find(".tagshifter-"), std::string::npos) << name;
            unlink(dir.file(name).c_str());
        }
        closedir(folder);
    }
    RecordProperty("Rounds", rounds());
    RecordProperty("RoundsKilledMidBatch", caughtMidBatch);
    RecordProperty("TornFiles", torn);
    RecordProperty("LeftoverTemporaryFiles", leftovers);
    std::printf("kill test: %d rounds, %d killed mid-batch, %d torn files, %d temporary files left\n",
                rounds(), caughtMidBatch, torn, leftovers);
    EXPECT_GT(caughtMidBatch, 0) << "no round was killed in the middle of the batch";
}

}  // namespace
}  // namespace tagshifter::test
