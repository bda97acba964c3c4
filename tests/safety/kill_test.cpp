// SIGKILL cannot be held off: a run killed at any moment while it rewrites a
// batch of files must still leave every file wholly old or wholly new, since
// each new file is written beside the old one and renamed over it.
//
// TAGSHIFTER_KILL_ROUNDS=200 runs more rounds than the suite's few.
#include "support/state_home.h"
#include "support/stopped_batch.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

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
    TempDir dir;
    StoppedBatch batch(dir, rewrittenFile(), 60, {"-q", "-s", "cp1251", "-2", "unicode"});
    int caughtMidBatch = 0;
    int torn = 0;
    int leftovers = 0;
    for (int round = 0; round < rounds(); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        // The first round at a point the run cannot pass, the others at random.
        const ChildOutcome outcome = round == 0 ? batch.stopMidway(SIGKILL) : batch.stopOnce(SIGKILL);
        ASSERT_FALSE(outcome.timedOut);
        const StoppedBatch::Count count = batch.count();
        if (round == 0) {
            EXPECT_TRUE(count.midBatch()) << count.oldFiles << " old, " << count.newFiles << " new";
        }
        torn += count.torn;
        if (count.midBatch())
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

// The journal entry of a file is on disk before the file changes: after a
// kill at any moment, --undo puts back every file the run changed.
TEST(KilledRun, UndoRestoresEveryFileTheRunChanged)
{
    TempDir dir;
    const std::string state = dir.file("state");
    std::filesystem::create_directory(state);
    const StateHomeOverride override(state);
    const std::string original = rewrittenFile();
    StoppedBatch batch(dir, original, 40, {"-q", "-s", "cp1251", "-2", "unicode"});
    int restoredMidBatch = 0;
    for (int round = 0; round < rounds(); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::filesystem::remove_all(state + "/tagshifter");
        // The first round at a point the run cannot pass, the others at random.
        ASSERT_FALSE((round == 0 ? batch.stopMidway(SIGKILL) : batch.stopOnce(SIGKILL)).timedOut);
        const StoppedBatch::Count count = batch.count();
        if (round == 0) {
            EXPECT_TRUE(count.midBatch()) << count.oldFiles << " old, " << count.newFiles << " new";
        }
        // Killed before its journal had a header, the run changed nothing.
        const ChildOutcome undo = runProgramLimited({"-q", "--undo"});
        if (count.newFiles > 0) {
            EXPECT_EQ(undo.status, 0);
        }
        const StoppedBatch::Count after = batch.count();
        EXPECT_EQ(after.oldFiles, 40) << count.newFiles << " files were new before the undo";
        if (count.midBatch() && after.oldFiles == 40)
            ++restoredMidBatch;
    }
    EXPECT_GT(restoredMidBatch, 0) << "no round was killed in the middle of the batch";
}

}  // namespace
}  // namespace tagshifter::test
