// A stop signal that arrives while a batch is being saved must never leave a
// file half-written: every file is either wholly as it was or wholly saved.
#include "support/stopped_batch.h"
#include "support/tag_layouts.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

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
    const int kRounds = 12;
    const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    TempDir dir;
    StoppedBatch batch(dir, growingFile(), 200, {"-q", "-s", "cp1251", "-2", "unicode"});
    int caughtMidBatch = 0;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const int signal = kSignals[round % 3];
        const ChildOutcome outcome = batch.stopOnce(signal);
        ASSERT_FALSE(outcome.timedOut);
        // Stopped by the signal, or done before it came.
        EXPECT_TRUE(outcome.signal == signal || (outcome.exited && outcome.status == 0))
            << "exit " << outcome.status << ", signal " << outcome.signal;
        if (batch.count().midBatch())
            ++caughtMidBatch;
    }
    RecordProperty("RoundsStoppedMidBatch", caughtMidBatch);
    // Rounds that all end before or after the batch would prove nothing.
    EXPECT_GT(caughtMidBatch, 0) << "no round was stopped in the middle of the batch";
}

}  // namespace
}  // namespace tagshifter::test
