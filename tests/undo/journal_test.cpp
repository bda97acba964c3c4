// What an undo leaves alone, journals that cannot be written, and the bound
// on the journal folder.
#include "support/fixtures.h"
#include "support/state_home.h"
#include "undo/codec.h"
#include "undo/hash.h"
#include "undo/journal.h"
#include "undo/journal_folder.h"
#include "sys/seam.h"

#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

namespace tagshifter::test {
namespace {

std::string legacySong(int seed)
{
    return id3v23Tag(textFrame("TIT2", kPrivetCp1251 + std::to_string(seed)) + textFrame("TPE1", kPrivetCp1251), 64)
           + mpegFrames(6, static_cast<uint8_t>(seed));
}

// How a file is changed between the run and the undo.
struct Change {
    const char* name;
    std::function<void(const std::string&)> apply;
    const char* why;
};

const Change kChanges[] = {
    {"Appended", [](const std::string& f) { writeFile(f, readFile(f) + "x"); }, "its size changed since the run"},
    {"TagByteFlipped",
     [](const std::string& f) {
         std::string bytes = readFile(f);
         bytes[20] ^= 1;
         writeFile(f, bytes);
     },
     "its tags changed since the run"},
    {"Touched",
     [](const std::string& f) {
         const timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
         utimensat(AT_FDCWD, f.c_str(), times, 0);
     },
     "it was modified after the run"},
    // Same size and tags: only a hash of the whole file tells.
    {"AudioByteFlipped",
     [](const std::string& f) {
         std::string bytes = readFile(f);
         bytes[bytes.size() - 100] ^= 1;
         writeFile(f, bytes);
     },
     "its audio changed since the run"},
};

TEST(Undo, LeavesAloneEachFileChangedSinceTheRunAndSaysWhy)
{
    for (const Change& change : kChanges) {
        SCOPED_TRACE(change.name);
        TempDir dir;
        const std::string journal = "--journal=" + dir.file("j");
        const std::string kept = dir.put("kept.mp3", legacySong(1));
        const std::string changed = dir.put("changed.mp3", legacySong(2));
        ASSERT_EQ(runInProcess({"-s", "cp1251", "-2", "unicode", journal, kept, changed}).status, 0);
        change.apply(changed);
        const std::string changedBytes = readFile(changed);

        // Last saved, first restored.
        const RunResult preview = runInProcess({"-w", "--undo=" + dir.file("j")});
        EXPECT_EQ(preview.out, changed + "failed!\n" + kept + ": would be restored\n");
        const RunResult undo = runInProcess({"--undo=" + dir.file("j"), "--no-journal"});
        EXPECT_EQ(undo.status, 1);
        EXPECT_EQ(undo.out, changed + "failed!\n" + kept + "...done\n");
        EXPECT_NE(undo.err.find("tagshifter: " + changed + ": not written: " + change.why + "\n"),
                  std::string::npos)
            << undo.err;
        EXPECT_EQ(readFile(kept), legacySong(1));
        EXPECT_EQ(readFile(changed), changedBytes);
    }
}

// Neither -1 nor -2: every tag goes, said once on standard error with the
// command that puts them back; standard output stays as it was.
TEST(Journal, RunThatRemovesEveryTagSaysSoOnce)
{
    TempDir dir;
    const std::string one = dir.put("one.mp3", legacySong(7));
    const std::string two = dir.put("two.mp3", legacySong(8));
    const std::string journal = dir.file("j");
    const struct {
        std::string option;
        std::string note;
    } cases[] = {
        {"--journal=" + journal, "every tag of each file is removed; 'tagshifter --undo=" + journal + "' puts them back\n"},
        {"--no-journal", "every tag of each file is removed, for good (no journal)\n"},
    };
    for (const auto& c : cases) {
        const RunResult run = runInProcess({"-s", "cp1251", c.option, one, two});
        EXPECT_EQ(run.out, one + "...done\n" + two + "...done\n");
        EXPECT_EQ(run.err.find("tagshifter: neither -1 nor -2 given: " + c.note), 0u) << run.err;
        EXPECT_EQ(run.err.find("neither", 13), std::string::npos) << run.err;  // once
        writeFile(one, legacySong(7));
        writeFile(two, legacySong(8));
    }
}

TEST(Journal, ThatCannotBeWrittenFailsANamedRunBeforeAnyFileChanges)
{
    TempDir dir;
    const std::string song = dir.put("song.mp3", legacySong(3));
    const std::string taken = dir.put("taken", "a journal of another run");
    const struct {
        std::string journal;
        std::string reason;
    } cases[] = {
        {dir.file("missing/j"), "No such file or directory"},
        {taken, "File exists"},
    };
    for (const auto& c : cases) {
        const RunResult run = runInProcess({"-s", "cp1251", "-2", "unicode", "--journal=" + c.journal, song});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "Error: Cannot write the journal " + c.journal + ": " + c.reason + ".\n");
        EXPECT_EQ(readFile(song), legacySong(3));
    }
    EXPECT_EQ(readFile(taken), "a journal of another run");
}

// A journal names files and the bytes to write into them: one that another
// user could have written is not followed.
TEST(Journal, UndoRefusesAJournalOthersCanWrite)
{
    TempDir dir;
    const std::string song = dir.put("song.mp3", legacySong(6));
    ASSERT_EQ(runInProcess({"-s", "cp1251", "-2", "unicode", "--journal=" + dir.file("j"), song}).status, 0);
    const std::string converted = readFile(song);
    chmod(dir.file("j").c_str(), 0666);
    const RunResult undo = runInProcess({"--undo=" + dir.file("j")});
    EXPECT_EQ(undo.status, 1);
    EXPECT_EQ(undo.out, "Error: Cannot read the journal " + dir.file("j") + ": another user owns it or can write it.\n");
    EXPECT_EQ(readFile(song), converted);
}

TEST(Journal, DefaultFolderThatCannotBeWrittenLeavesTheRunAsItWas)
{
    TempDir dir;
    const std::string song = dir.put("song.mp3", legacySong(4));
    // Below a plain file: not even root can make the folder. And a home of
    // another user, where a run as root must make nothing.
    const std::string plain = dir.put("plain", "") + "/state";
    const std::string otherHome = dir.file("other");
    mkdir(otherHome.c_str(), 0755);
    const bool asRoot = geteuid() == 0 && chown(otherHome.c_str(), 65534, 65534) == 0;
    // And a full disk when the folder is made.
    const std::string full = dir.file("full");
    mkdir(full.c_str(), 0700);
    // And a base everyone may write, as /tmp is: the note names the base.
    const std::string sticky = dir.file("sticky");
    mkdir(sticky.c_str(), 0700);
    chmod(sticky.c_str(), 01777);
    const struct {
        std::string home;
        std::string why;
        int makeFolderFault;
        std::string named;  // the folder the note names
    } cases[] = {
        {plain, "Not a directory", 0, plain + "/tagshifter"},
        {otherHome, "it belongs to another user", 0, otherHome},
        {full, "No space left on device", ENOSPC, full + "/tagshifter"},
        {sticky, "others may write it", 0, sticky},
    };
    for (const auto& c : cases) {
        if (c.home == otherHome && !asRoot)
            continue;
        writeFile(song, legacySong(4));
        const StateHomeOverride override(c.home);
        const sys::ScopedStepHook hook(
            [&c](sys::Step step) { return step == sys::Step::MakeFolder ? c.makeFolderFault : 0; });
        const RunResult run = runInProcess({"-s", "cp1251", "-2", "unicode", song});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, song + "...done\n");
        EXPECT_EQ(run.err, "tagshifter: no journal in " + c.named + " (" + c.why + "): "
                           "this run cannot be undone\n");
        EXPECT_NE(readFile(song), legacySong(4));
    }
    if (asRoot) {
        EXPECT_FALSE(std::filesystem::exists(otherHome + "/tagshifter"));
    }
    // No HOME, and a relative XDG_STATE_HOME, which does not count: no
    // folder to name, and none made in the working folder.
    writeFile(song, legacySong(4));
    const std::string home = getenv("HOME");
    unsetenv("HOME");
    RunResult run;
    {
        const StateHomeOverride override("relative");
        run = runInProcess({"-s", "cp1251", "-2", "unicode", song});
    }
    setenv("HOME", home.c_str(), 1);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "tagshifter: no journal (neither XDG_STATE_HOME nor HOME is set): this run cannot be undone\n");
    EXPECT_FALSE(std::filesystem::exists("relative"));
}

TEST(Journal, FolderKeepsTheLastFiftyRunsAndTwoHundredMegabytes)
{
    TempDir dir;
    const StateHomeOverride override(dir.path());
    const std::string folder = dir.file("tagshifter");
    std::filesystem::create_directory(folder);
    for (int i = 0; i < 60; ++i)
        writeFile(folder + "/2000-01-01_00-00-" + (i < 10 ? "0" : "") + std::to_string(i) + ".000000Z.journal", "x");
    const std::string song = dir.put("song.mp3", legacySong(5));
    ASSERT_EQ(runInProcess({"-s", "cp1251", "-2", "unicode", song}).status, 0);
    int error = 0;
    const std::shared_ptr<const sys::Folder> held = sys::Folder::open(folder, error);
    ASSERT_TRUE(held);
    std::vector<undo::JournalFile> left = undo::journalsIn(*held);
    ASSERT_EQ(left.size(), 50u);
    EXPECT_EQ(left.front().name, "2000-01-01_00-00-11.000000Z.journal");
    EXPECT_NE(readFile(folder + "/" + left.back().name).find("tagshifter journal 3"), std::string::npos);

    // By size: the oldest go until the rest fit; the run's own always stays.
    undo::pruneJournals(*held, left.back().name, 50, 10);
    left = undo::journalsIn(*held);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(runInProcess({"-q", "--undo"}).status, 0);
    EXPECT_EQ(readFile(song), legacySong(5));
}

// A journal written before the new file was hashed chunk by chunk (version 2:
// each kind of range hashed in one run) still undoes its run.
TEST(Journal, VersionTwoJournalIsStillUndone)
{
    TempDir dir;
    const std::string song = dir.put("song.mp3", legacySong(7));
    const std::string journal = dir.file("j");
    ASSERT_EQ(runInProcess({"-s", "cp1251", "-2", "unicode", "--journal=" + journal, song}).status, 0);
    undo::JournalContents contents;
    std::string why;
    {
        const int fd = ::open(journal.c_str(), O_RDONLY);
        ASSERT_GE(fd, 0);
        ASSERT_TRUE(undo::readJournal(fd, contents, why)) << why;
        ::close(fd);
    }
    ASSERT_EQ(contents.files.size(), 1u);
    const std::string converted = readFile(song);
    auto record = [](char type, const std::string& payload) {
        undo::RecordWriter head;
        head.u64(payload.size() + 1);
        head.u64(undo::hashBytes(payload, undo::hashBytes(&type, 1)));
        return head.bytes() + type + payload;
    };
    undo::RecordWriter header;
    header.text("tagshifter journal 2\n");
    header.u64(static_cast<uint64_t>(contents.header.startSeconds));
    header.u64(static_cast<uint64_t>(contents.header.startMicroseconds));
    header.text(contents.header.folder);
    header.u8(0);
    undo::FileEntry entry = contents.files[0];
    entry.chunked = false;
    const undo::ByteReader read = [&converted](uint64_t offset, uint64_t length, std::string& out) {
        out.append(converted, offset, length);
    };
    entry.writtenHash = entry.writtenHashOf(read);
    entry.keptHash = entry.keptHashOf(read);
    undo::RecordWriter committed;
    committed.u64(0);
    committed.u8(entry.mtimeKnown ? 1 : 0);
    committed.u64(static_cast<uint64_t>(entry.mtimeSeconds));
    committed.u64(static_cast<uint64_t>(entry.mtimeNanoseconds));
    writeFile(journal, record('H', header.bytes()) + record('F', entry.encode()) + record('C', committed.bytes()));
    ASSERT_EQ(chmod(journal.c_str(), 0600), 0);

    const RunResult undo = runInProcess({"--undo=" + journal, "--no-journal"});
    EXPECT_EQ(undo.status, 0) << undo.err;
    EXPECT_EQ(readFile(song), legacySong(7));
}

}  // namespace
}  // namespace tagshifter::test
