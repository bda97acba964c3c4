// A run ended by a stop signal says after how many files it stopped, how
// many it changed, and how to undo them; the undo it names works.
#include "app/run.h"
#include "support/fixtures.h"
#include "support/state_home.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tagshifter::test {
namespace {

struct Stopped {
    int signal = 0;  // the signal that ended the run, 0 if none did
    std::string err;
};

// Runs the tool in a child of this process whose save raises `signal` in
// the middle of the save of file number `at` (from 1), as a Ctrl-C would.
Stopped runStoppedAt(const std::vector<std::string>& args, int at, int signal)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        close(pipeFds[0]);
        dup2(pipeFds[1], STDERR_FILENO);
        const int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, STDOUT_FILENO);
        int saves = 0;
        const SaveFile save = [&](format::TaggedFile& file, const format::TagsWritten& written) {
            if (++saves == at)
                raise(signal);
            return saveTags(file, written);
        };
        std::vector<std::string> copies{"tagshifter"};
        copies.insert(copies.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& arg : copies)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        _exit(runTool(static_cast<int>(copies.size()), argv.data(), save));
    }
    close(pipeFds[1]);
    Stopped stopped;
    char buffer[4096];
    for (ssize_t got; (got = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        stopped.err.append(buffer, static_cast<size_t>(got));
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFSIGNALED(status))
        stopped.signal = WTERMSIG(status);
    return stopped;
}

TEST(StopNote, AStoppedRunSaysHowFarItGotAndHowToUndoIt)
{
    TempDir dir;
    const StateHomeOverride home(dir.path());
    const std::string original = id3v23Tag(textFrame("TIT2", kPrivetCp1251)) + mpegFrames(8);
    const std::string named = dir.file("named.journal");
    const struct {
        std::vector<std::string> options;
        int signal;
        std::string note;  // after "tagshifter: stopped after 2 of 3 files; "
        std::vector<std::string> undo;  // empty: the run cannot be undone
    } cases[] = {
        {{}, SIGINT, "2 changed, 'tagshifter --undo' puts them back\n", {"--undo"}},
        {{"--journal=" + named}, SIGTERM, "2 changed, 'tagshifter --undo=" + named + "' puts them back\n",
         {"--undo=" + named}},
        {{"--no-journal"}, SIGHUP, "2 changed, for good (no journal)\n", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.note);
        std::vector<std::string> songs;
        for (const char* name : {"a.mp3", "b.mp3", "c.mp3"})
            songs.push_back(dir.put(name, original));
        std::vector<std::string> args = c.options;
        args.insert(args.end(), {"-q", "-s", "cp1251", "-2", "unicode"});
        args.insert(args.end(), songs.begin(), songs.end());

        const Stopped stopped = runStoppedAt(args, 2, c.signal);
        EXPECT_EQ(stopped.signal, c.signal);
        EXPECT_EQ(stopped.err, "tagshifter: stopped after 2 of 3 files; " + c.note);
        EXPECT_NE(readFile(songs[1]), original);  // the file being saved is whole and saved
        EXPECT_EQ(readFile(songs[2]), original);
        if (c.undo.empty())
            continue;
        std::vector<std::string> undo = c.undo;
        undo.push_back("-q");
        EXPECT_EQ(runInProcess(undo).status, 0);
        for (const std::string& song : songs)
            EXPECT_EQ(readFile(song), original) << song;
    }
}

}  // namespace
}  // namespace tagshifter::test
