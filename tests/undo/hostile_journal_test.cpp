// An undo as root over folders and journals others can touch: it restores
// only what the run itself wrote, through no link another user planted, from
// no journal another user could have written; and what a save or an undo cut
// short leaves behind is still undone.
#include "support/fixtures.h"
#include "support/state_home.h"
#include "sys/seam.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <set>

namespace tagshifter::test {
namespace {

constexpr uid_t kOther = 65534;

std::string legacySong(int seed, size_t padding = 64)
{
    return id3v23Tag(textFrame("TIT2", kPrivetCp1251 + std::to_string(seed)) + textFrame("TPE1", kPrivetCp1251),
                     padding)
           + mpegFrames(20, static_cast<uint8_t>(seed));
}

// What `legacySong(seed)` becomes under the conversion the tests run.
std::string converted(const std::string& bytes)
{
    TempDir elsewhere;
    const std::string copy = elsewhere.put("song.mp3", bytes);
    EXPECT_EQ(runInProcess({"-s", "cp1251", "-2", "unicode", "--no-journal", copy}).status, 0);
    return readFile(copy);
}

bool asRoot()
{
    return geteuid() == 0;
}

// Replaces `path` by a new file (a new inode) holding `bytes`.
void replaceFile(const std::string& path, const std::string& bytes)
{
    writeFile(path + ".new", bytes);
    std::filesystem::rename(path + ".new", path);
}

// Each row: a journaled run, what happens after it, and what the undo says
// of the one file; `kept` says the file must stay as the scene left it.
struct Scene {
    TempDir dir;
    std::string song;
    std::string journal;
    std::string folder;  // the song's folder
};

struct HostileCase {
    const char* name;
    bool needsRoot;
    std::function<void(Scene&)> before;                 // the song's folder made ready
    std::function<sys::StepHook()> duringRun;           // the run's seam
    std::function<void(Scene&)> after;                  // between the run and the undo
    const char* why;                                    // nullptr: restored
    std::vector<std::string> targets = {"-2", "unicode"};  // the run's
};

TEST(HostileJournal, UndoRestoresOnlyWhatTheRunWroteAndTakesNoPlantedLink)
{
    const HostileCase cases[] = {
        // The save was refused after its entry was written; the file at the
        // path is later exactly what the save would have left, but another.
        {"entry of a save that never committed", false, nullptr,
         [] {
             return sys::StepHook([](sys::Step step) { return step == sys::Step::Check ? EIO : 0; });
         },
         [](Scene& s) { replaceFile(s.song, converted(legacySong(1))); }, "the run never finished saving it"},
        // The attacker's folder swapped for their link to root's album,
        // whose file holds what the run wrote into the attacker's.
        {"folder swapped for another user's link", true,
         [](Scene& s) { ASSERT_EQ(chown(s.folder.c_str(), kOther, kOther), 0); },
         nullptr,
         [](Scene& s) {
             const std::string album = s.dir.file("rootonly");
             std::filesystem::create_directory(album);
             std::filesystem::copy_file(s.song, album + "/song.mp3");
             std::filesystem::rename(s.folder, s.folder + ".old");
             std::filesystem::create_directory_symlink(album, s.folder);
             ASSERT_EQ(lchown(s.folder.c_str(), kOther, kOther), 0);
         },
         "cannot open: a symbolic link on the way whose owner is neither this user nor the owner of the folder "
         "holding it"},
        // In a folder anyone may write, the song swapped for another user's
        // link to their own copy of what the run wrote.
        {"song swapped for another user's link to their own copy", true,
         [](Scene& s) { ASSERT_EQ(chmod(s.folder.c_str(), 01777), 0); }, nullptr,
         [](Scene& s) {
             const std::string theirs = s.dir.file("theirs.mp3");
             std::filesystem::copy_file(s.song, theirs);
             ASSERT_EQ(chown(theirs.c_str(), kOther, kOther), 0);
             std::filesystem::rename(s.song, s.song + ".old");
             std::filesystem::create_symlink(theirs, s.song);
             ASSERT_EQ(lchown(s.song.c_str(), kOther, kOther), 0);
         },
         "cannot open: a symbolic link whose owner is neither this user nor the owner of both the folder holding it "
         "and the file it leads to"},
        // The same swap by the user who runs the tool is followed.
        {"folder moved and linked by the user", false, nullptr, nullptr,
         [](Scene& s) {
             std::filesystem::rename(s.folder, s.folder + ".old");
             std::filesystem::create_directory_symlink(s.folder + ".old", s.folder);
         },
         nullptr},
        // Neither -1 nor -2 left the file empty, which every empty file
        // matches: only the very file the run wrote is restored. Another's
        // would be given the tags of a file they may not have been able to read.
        {"file the run emptied replaced by another empty one of the same time", false,
         [](Scene& s) { writeFile(s.song, id3v23Tag(textFrame("TIT2", kPrivetCp1251))); }, nullptr,
         [](Scene& s) {
             struct stat was {};
             ASSERT_EQ(stat(s.song.c_str(), &was), 0);
             ASSERT_EQ(was.st_size, 0);
             replaceFile(s.song, "");
             const struct timespec times[2] = {was.st_atim, was.st_mtim};
             ASSERT_EQ(utimensat(AT_FDCWD, s.song.c_str(), times, 0), 0);
         },
         "it was modified after the run", {}},
    };
    for (const HostileCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.needsRoot && !asRoot())
            continue;
        Scene s;
        ASSERT_EQ(chmod(s.dir.path().c_str(), 0755), 0);
        s.folder = s.dir.file("shared");
        std::filesystem::create_directory(s.folder);
        ASSERT_EQ(chmod(s.folder.c_str(), 0755), 0);
        s.song = s.folder + "/song.mp3";
        writeFile(s.song, legacySong(1));
        s.journal = s.dir.file("j");
        if (c.before)
            c.before(s);
        {
            const sys::ScopedStepHook hook(c.duringRun ? c.duringRun() : sys::StepHook());
            std::vector<std::string> run = {"-s", "cp1251", "--journal=" + s.journal, s.song};
            run.insert(run.begin() + 2, c.targets.begin(), c.targets.end());
            runInProcess(run);
        }
        c.after(s);
        const std::string left = readFile(s.song);
        const RunResult undo = runInProcess({"--undo=" + s.journal, "--no-journal"});
        if (c.why == nullptr) {
            EXPECT_EQ(undo.status, 0) << undo.err;
            EXPECT_EQ(readFile(s.song), legacySong(1));
            continue;
        }
        EXPECT_EQ(undo.status, 1);
        EXPECT_EQ(undo.out, s.song + "failed!\n");
        EXPECT_EQ(undo.err, "tagshifter: " + s.song + ": not written: " + c.why + "\n");
        EXPECT_EQ(readFile(s.song), left);
    }
}

// A journal of the state folder steers the undo only when no one but the
// user could have written it or its folder; a name without a slash is looked
// for there alone; nothing waits on a FIFO, and each journal refused is
// named with the reason, status 1.
TEST(HostileJournal, JournalOthersCouldWriteIsRefused)
{
    struct Case {
        const char* name;
        bool needsRoot;
        std::function<void(const std::string& folder, const std::string& journal)> spoil;
        std::vector<std::string> args;  // the undo's
        std::string out;                // "%F": the state folder, "%J": the journal, "%B": its base
        std::string err = "";           // "%N": the journal's name
    };
    const Case cases[] = {
        {"journal of another user", true,
         [](const std::string&, const std::string& j) { ASSERT_EQ(chown(j.c_str(), kOther, kOther), 0); },
         {"--undo"}, "Error: Cannot read the journal %J: another user owns it or can write it.\n"},
        {"journal others may write", false,
         [](const std::string&, const std::string& j) { ASSERT_EQ(chmod(j.c_str(), 0622), 0); }, {"--undo"},
         "Error: Cannot read the journal %J: another user owns it or can write it.\n"},
        {"state folder others may write", false,
         [](const std::string& f, const std::string&) { ASSERT_EQ(chmod(f.c_str(), 01777), 0); }, {"--undo"},
         "Error: Cannot read the journal %F: others may write it.\n"},
        {"state folder of another user", true,
         [](const std::string& f, const std::string&) { ASSERT_EQ(chown(f.c_str(), kOther, kOther), 0); }, {"--undo"},
         "Error: Cannot read the journal %F: it belongs to another user.\n"},
        {"base others may write, sticky as /tmp", false,
         [](const std::string& f, const std::string&) {
             ASSERT_EQ(chmod(f.c_str(), 0700), 0);
             ASSERT_EQ(chmod(std::filesystem::path(f).parent_path().c_str(), 01777), 0);
         },
         {"--undo"}, "Error: Cannot read the journal %B: others may write it.\n"},
        {"listing a state folder others may write", false,
         [](const std::string& f, const std::string&) { ASSERT_EQ(chmod(f.c_str(), 0777), 0); },
         {"--undo", "--list"}, "Error: Cannot read the journals in %F: others may write it.\n"},
        {"name found only in the working folder", false,
         [](const std::string&, const std::string&) { writeFile("planted.journal", "x"); },
         {"--undo=planted.journal"}, "Error: Cannot read the journal %F/planted.journal: No such file or directory.\n"},
        {"a FIFO", false,
         [](const std::string& f, const std::string&) { ASSERT_EQ(mkfifo((f + "/fifo").c_str(), 0600), 0); },
         {"--undo=%F/fifo"}, "Error: Cannot read the journal %F/fifo: not a regular file.\n"},
        // The newest is the run --undo means: one refused is not passed
        // over for an older run's; the list names each it leaves out.
        {"a FIFO as the newest journal", false,
         [](const std::string& f, const std::string&) {
             ASSERT_EQ(mkfifo((f + "/2099-01-01_00-00-00.000000Z.journal").c_str(), 0600), 0);
         },
         {"--undo"}, "Error: Cannot read the journal %F/2099-01-01_00-00-00.000000Z.journal: not a regular file.\n"},
        {"a FIFO named", false,
         [](const std::string& f, const std::string&) { ASSERT_EQ(mkfifo((f + "/x.journal").c_str(), 0600), 0); },
         {"--undo=x.journal"}, "Error: Cannot read the journal %F/x.journal: not a regular file.\n"},
        {"listing a FIFO alone", false,
         [](const std::string& f, const std::string& j) {
             ASSERT_EQ(unlink(j.c_str()), 0);
             ASSERT_EQ(mkfifo((f + "/x.journal").c_str(), 0600), 0);
         },
         {"--undo", "--list"}, "", "tagshifter: journal x.journal left out: not a regular file\n"},
        {"listing a journal others may write", false,
         [](const std::string&, const std::string& j) { ASSERT_EQ(chmod(j.c_str(), 0622), 0); }, {"--undo", "--list"},
         "", "tagshifter: journal %N left out: another user owns it or can write it\n"},
        {"listing a journal of another user", true,
         [](const std::string&, const std::string& j) { ASSERT_EQ(chown(j.c_str(), kOther, kOther), 0); },
         {"--undo", "--list"}, "", "tagshifter: journal %N left out: another user owns it or can write it\n"},
        // Not followed even where the user made it: but not said to be another's.
        {"a link of the user's own to the journal", false,
         [](const std::string& f, const std::string& j) { ASSERT_EQ(symlink(j.c_str(), (f + "/link").c_str()), 0); },
         {"--undo=%F/link"},
         "Error: Cannot read the journal %F/link: a symbolic link (a journal is read by its own name, never through a "
         "link).\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.needsRoot && !asRoot())
            continue;
        TempDir dir;
        const StateHomeOverride override(dir.path());
        const std::string folder = dir.file("tagshifter");
        const std::string song = dir.put("song.mp3", legacySong(2));
        ASSERT_EQ(runInProcess({"-s", "cp1251", "-2", "unicode", song}).status, 0);
        const std::string converted = readFile(song);
        std::string journal;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            journal = entry.path().string();
        const std::string cwd = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
        c.spoil(folder, journal);
        auto fill = [&](std::string text) {
            for (size_t at; (at = text.find("%F")) != std::string::npos;)
                text.replace(at, 2, folder);
            for (size_t at; (at = text.find("%J")) != std::string::npos;)
                text.replace(at, 2, journal);
            for (size_t at; (at = text.find("%B")) != std::string::npos;)
                text.replace(at, 2, dir.path());
            for (size_t at; (at = text.find("%N")) != std::string::npos;)
                text.replace(at, 2, std::filesystem::path(journal).filename().string());
            return text;
        };
        std::vector<std::string> args;
        for (const std::string& arg : c.args)
            args.push_back(fill(arg));
        const RunResult undo = runInProcess(args);
        std::filesystem::current_path(cwd);
        EXPECT_EQ(undo.status, 1);
        EXPECT_EQ(undo.out, fill(c.out));
        EXPECT_EQ(undo.err, fill(c.err));
        EXPECT_EQ(readFile(song), converted);
        chmod(folder.c_str(), 0700);
        chmod(dir.path().c_str(), 0700);
    }
}

// A state folder whose listing fails is no empty one: the undo and the
// list say why, with status 1.
TEST(HostileJournal, StateFolderThatCannotBeListedIsNamed)
{
    struct Case {
        std::vector<std::string> args;
        const char* out;  // after the state folder's name
        int code;
    };
    const Case cases[] = {
        {{"--undo", "--list"}, "Error: Cannot read the journals in %s: Too many open files.\n", EMFILE},
        {{"--undo"}, "Error: Cannot read the journal %s: Too many open files in system.\n", ENFILE},
        {{"--undo", "-w"}, "Error: Cannot read the journal %s: Input/output error.\n", EIO},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.out);
        TempDir dir;
        const StateHomeOverride override(dir.path());
        const std::string song = dir.put("song.mp3", legacySong(4));
        ASSERT_EQ(runInProcess({"-s", "cp1251", "-2", "unicode", song}).status, 0);
        const std::string after = readFile(song);
        RunResult undo;
        {
            const int code = c.code;
            sys::ScopedStepHook hook([code](sys::Step step) { return step == sys::Step::ReadFolder ? code : 0; });
            undo = runInProcess(c.args);
        }
        char expected[512];
        std::snprintf(expected, sizeof expected, c.out, dir.file("tagshifter").c_str());
        EXPECT_EQ(undo.status, 1);
        EXPECT_EQ(undo.out, expected);
        EXPECT_EQ(readFile(song), after);
    }
}

// A run still writing its journal holds it locked: another run's pruning
// passes it by.
TEST(HostileJournal, PruningLeavesARunningRunsJournal)
{
    TempDir dir;
    const StateHomeOverride override(dir.path());
    const std::string folder = dir.file("tagshifter");
    std::filesystem::create_directory(folder);
    ASSERT_EQ(chmod(folder.c_str(), 0700), 0);
    for (int i = 0; i < 60; ++i)
        writeFile(folder + "/2000-01-01_00-00-" + (i < 10 ? "0" : "") + std::to_string(i) + ".000000Z.journal", "x");
    const std::string running = folder + "/2000-01-01_00-00-00.000000Z.journal";
    const int held = open(running.c_str(), O_RDONLY);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    const std::string song = dir.put("song.mp3", legacySong(3));
    ASSERT_EQ(runInProcess({"-s", "cp1251", "-2", "unicode", song}).status, 0);
    close(held);
    EXPECT_TRUE(std::filesystem::exists(running));
    EXPECT_FALSE(std::filesystem::exists(folder + "/2000-01-01_00-00-01.000000Z.journal"));
    EXPECT_TRUE(std::filesystem::exists(folder + "/2000-01-01_00-00-12.000000Z.journal"));
}

// A run makes its journal, then locks it before writing a byte: another
// run's pruning between the two finds it empty and passes it by.
TEST(HostileJournal, PruningLeavesAJournalNotYetLocked)
{
    TempDir dir;
    const StateHomeOverride override(dir.path());
    const std::string folder = dir.file("tagshifter");
    std::filesystem::create_directory(folder);
    ASSERT_EQ(chmod(folder.c_str(), 0700), 0);
    const std::string starting = folder + "/2000-01-01_00-00-00.000000Z.journal";
    writeFile(starting, "");
    for (int i = 1; i < 60; ++i)
        writeFile(folder + "/2000-01-01_00-00-" + (i < 10 ? "0" : "") + std::to_string(i) + ".000000Z.journal", "x");
    const std::string song = dir.put("song.mp3", legacySong(3));
    ASSERT_EQ(runInProcess({"-s", "cp1251", "-2", "unicode", song}).status, 0);
    EXPECT_TRUE(std::filesystem::exists(starting));
    EXPECT_FALSE(std::filesystem::exists(folder + "/2000-01-01_00-00-10.000000Z.journal"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 50);
}

// Killed between two writes of an in-place save: the file holds the first
// run of new bytes, not the second, and the journal the entry without the
// record of its commit. Every byte the save kept is in place, so the undo
// puts the old bytes back, unless a byte outside what the save wrote is no
// longer as the cut left it.
TEST(HostileJournal, SaveKilledBetweenTwoWritesInPlaceIsUndone)
{
    struct Case {
        const char* name;
        std::function<void(std::string&)> meddle;  // after the cut
        const char* why;                           // nullptr: restored
        bool cutUndo = false;                      // the undo of the finished save cut, not the save
    };
    const Case cases[] = {
        {"as the cut left it", nullptr, nullptr},
        {"bytes added at the end since", [](std::string& file) { file += std::string(1000, 'x'); },
         "its size changed since the run"},
        {"audio changed since", [](std::string& file) { file[file.size() / 2] ^= 0x20; },
         "its audio changed since the run"},
        {"undo cut", nullptr, nullptr, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        // ID3v1 and ID3v2 both rewritten at the same length: two runs of bytes
        // far apart, each its own write.
        const std::string old = legacySong(4, 256) + id3v1Block(kPrivetCp1251, kPrivetCp1251, "");
        const std::string song = dir.put("song.mp3", old);
        const std::string journal = dir.file("j");
        std::string tornFile;
        std::string tornJournal;
        const std::vector<std::string> save = {"-s", "cp1251", "-1", "cp1251", "-2", "unicode", "--journal=" + journal,
                                               song};
        if (c.cutUndo) {
            ASSERT_EQ(runInProcess(save).status, 0);
        }
        {
            int writes = 0;
            const sys::ScopedStepHook hook([&](sys::Step step) {
                if (step == sys::Step::WriteInPlace && ++writes == 2) {
                    tornFile = readFile(song);
                    tornJournal = readFile(journal);
                }
                return 0;
            });
            ASSERT_EQ(runInProcess(c.cutUndo ? std::vector<std::string>{"--undo=" + journal, "--no-journal"} : save)
                          .status,
                      0);
        }
        ASSERT_FALSE(tornFile.empty());
        ASSERT_NE(tornFile, old);
        ASSERT_EQ(tornFile.size(), old.size());
        if (c.meddle)
            c.meddle(tornFile);
        writeFile(song, tornFile);  // the same inode, as the kill left it
        writeFile(journal, tornJournal);
        const RunResult undo = runInProcess({"--undo=" + journal, "--no-journal"});
        if (c.why == nullptr) {
            EXPECT_EQ(undo.status, 0) << undo.err;
            EXPECT_TRUE(readFile(song) == old);
        } else {
            EXPECT_EQ(undo.status, 1);
            EXPECT_EQ(undo.err, "tagshifter: " + song + ": not written: " + c.why + "\n");
            EXPECT_TRUE(readFile(song) == tornFile) << "changed";
        }
    }
}

// A hard-linked song is saved in place. Its tag grows or shrinks, so every
// byte after it moves, written in blocks (back to front when the audio moves
// towards the end). Each row cuts the save, or the undo of a save that
// finished, before one of its writes (or half-way through it, as a kill
// between two pages of a write does), and leaves the file and the journal as
// the kill would; the undo, run again, puts back the old bytes exactly,
// unless someone else changed what the run did not write.
std::string movedSong(size_t padding, bool silent = false)
{
    std::string title;
    for (int i = 0; i < 40; ++i)
        title += kPrivetCp1251;
    std::string audio;
    if (silent) {
        // Every frame alike, all zeros after its header: no place in the
        // audio tells one byte's old place from another's.
        for (int i = 0; i < 8000; ++i)
            audio += std::string("\xFF\xFB\x90\xC0") + std::string(413, '\0');
    } else {
        audio = mpegFrames(8000, 9);
    }
    return id3v23Tag(textFrame("TIT2", title) + textFrame("TPE1", kPrivetCp1251), padding) + audio;
}

TEST(HostileJournal, InPlaceSaveOrUndoKilledWhileMovingTheAudioIsUndone)
{
    struct Case {
        const char* name;
        size_t padding;  // room in the old tag: none grows it, a lot shrinks it
        bool cutUndo;    // the undo of a finished save cut, not the save
        bool midWrite;   // the write cut half-way
        // The torn file (cut half-way through the writes) changed by someone
        // else, where no new chunk holds both old and new bytes.
        std::function<void(std::string&)> meddle;
        const char* why;  // nullptr: restored
        bool silent = false;  // the audio silent frames, all alike
    };
    const Case cases[] = {
        {"tag grown, save cut", 0, false, false, nullptr, nullptr},
        {"tag grown, save cut mid-write", 0, false, true, nullptr, nullptr},
        {"tag shrunk, save cut", 300000, false, false, nullptr, nullptr},
        {"tag shrunk, save cut mid-write", 300000, false, true, nullptr, nullptr},
        {"tag grown, undo cut", 0, true, false, nullptr, nullptr},
        {"tag grown, undo cut mid-write", 0, true, true, nullptr, nullptr},
        {"tag shrunk, undo cut", 300000, true, false, nullptr, nullptr},
        {"tag shrunk, undo cut mid-write", 300000, true, true, nullptr, nullptr},
        {"tag grown, save cut, old audio changed since", 0, false, false,
         [](std::string& file) { file[100000] ^= 0x20; }, "its audio changed since the run"},
        {"tag grown, save cut, moved audio changed since", 0, false, false,
         [](std::string& file) { file[file.size() - 1000] ^= 0x20; }, "its audio changed since the run"},
        {"tag shrunk, undo cut, audio changed since", 300000, true, false,
         [](std::string& file) { file[100000] ^= 0x20; }, "its audio changed since the run"},
        {"tag grown, silent audio, save cut", 0, false, false, nullptr, nullptr, true},
        {"tag grown, silent audio, save cut mid-write", 0, false, true, nullptr, nullptr, true},
        {"tag shrunk, silent audio, save cut", 300000, false, false, nullptr, nullptr, true},
        {"tag shrunk, silent audio, save cut mid-write", 300000, false, true, nullptr, nullptr, true},
        {"tag grown, silent audio, undo cut mid-write", 0, true, true, nullptr, nullptr, true},
        {"tag shrunk, silent audio, undo cut mid-write", 300000, true, true, nullptr, nullptr, true},
        {"tag grown, silent audio, save cut, audio changed since", 0, false, false,
         [](std::string& file) { file[100000] ^= 0x20; }, "its audio changed since the run", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string old = movedSong(c.padding, c.silent);
        const std::string song = dir.put("song.mp3", old);
        ASSERT_EQ(::link(song.c_str(), dir.file("other.mp3").c_str()), 0);
        const std::string journal = dir.file("j");
        const std::vector<std::string> save = {"-s", "cp1251", "-2", "unicode", "--journal=" + journal, song};
        const std::vector<std::string> cutRun =
            c.cutUndo ? std::vector<std::string>{"--undo=" + journal, "--no-journal"} : save;
        auto prepare = [&] {
            writeFile(song, old);
            ::unlink(journal.c_str());
            if (c.cutUndo) {
                EXPECT_EQ(runInProcess(save).status, 0);
            }
        };
        // Once to count the writes, once to keep the file as each cut leaves it.
        prepare();
        int writes = 0;
        {
            const sys::ScopedStepHook hook([&](sys::Step step) {
                writes += step == sys::Step::WriteInPlace;
                return 0;
            });
            ASSERT_EQ(runInProcess(cutRun).status, 0);
        }
        ASSERT_GT(writes, 3);
        const std::set<int> cuts =
            c.meddle ? std::set<int>{writes / 2} : std::set<int>{1, 2, writes / 2, writes - 1, writes};
        struct Snapshot {
            std::string file;
            struct stat status {};
        };
        std::map<int, Snapshot> snapshots;
        std::string tornJournal;
        prepare();
        {
            int write = 0;
            const sys::ScopedStepHook hook([&](sys::Step step) {
                if (step == sys::Step::WriteInPlace && (cuts.count(++write) || cuts.count(write - 1))) {
                    snapshots[write].file = readFile(song);
                    ::stat(song.c_str(), &snapshots[write].status);
                    tornJournal = readFile(journal);
                }
                return 0;
            });
            ASSERT_EQ(runInProcess(cutRun).status, 0);
        }
        const std::string finished = readFile(song);
        if (!c.midWrite && !c.meddle) {
            // Cut after the last write (and the truncation), before the
            // journal says so.
            snapshots[writes + 1].file = finished;
            ::stat(song.c_str(), &snapshots[writes + 1].status);
        }
        for (const auto& [cut, snapshot] : snapshots) {
            if (!cuts.count(cut) && cut <= writes)
                continue;
            SCOPED_TRACE(cut > writes ? "cut after the last write"
                                      : "cut at write " + std::to_string(cut) + " of " + std::to_string(writes));
            std::string torn = snapshot.file;
            if (c.midWrite) {
                // The first half of what the write changes.
                const std::string& after = cut < writes ? snapshots.at(cut + 1).file : finished;
                size_t begin = 0;
                size_t end = std::min(torn.size(), after.size());
                while (begin < end && torn[begin] == after[begin])
                    ++begin;
                while (end > begin && torn[end - 1] == after[end - 1])
                    --end;
                ASSERT_LT(begin, end);
                torn.replace(begin, (end - begin) / 2, after, begin, (end - begin) / 2);
            }
            if (c.meddle)
                c.meddle(torn);
            writeFile(song, torn);  // the same inode, its time as the cut left it
            const struct timespec times[2] = {snapshot.status.st_atim, snapshot.status.st_mtim};
            ASSERT_EQ(::utimensat(AT_FDCWD, song.c_str(), times, 0), 0);
            writeFile(journal, tornJournal);
            const RunResult undo = runInProcess({"--undo=" + journal, "--no-journal"});
            if (c.why == nullptr) {
                EXPECT_EQ(undo.status, 0) << undo.err;
                EXPECT_TRUE(readFile(song) == old) << "not restored";
            } else {
                EXPECT_EQ(undo.status, 1);
                EXPECT_EQ(undo.err, "tagshifter: " + song + ": not written: " + c.why + "\n");
                EXPECT_TRUE(readFile(song) == torn) << "changed";
            }
        }
    }
}

// Killed after the new file took the old one's name but before the journal
// said the save was done: the file at the path is the one the run wrote, so
// the undo takes it; a file put there by anyone else is left alone.
TEST(HostileJournal, SaveKilledRightAfterTheRenameIsUndone)
{
    TempDir dir;
    const std::string old = legacySong(4, 0);
    const std::string song = dir.put("song.mp3", old);
    const std::string journal = dir.file("j");
    std::string beforeRename;
    {
        const sys::ScopedStepHook hook([&](sys::Step step) {
            if (step == sys::Step::Rename)
                beforeRename = readFile(journal);
            return 0;
        });
        ASSERT_EQ(runInProcess({"-s", "cp1251", "-2", "unicode", "--journal=" + journal, song}).status, 0);
    }
    ASSERT_FALSE(beforeRename.empty());
    const std::string converted = readFile(song);
    ASSERT_NE(converted, old);
    writeFile(journal, beforeRename);  // as the kill left it
    // The same bytes in another file: not the run's.
    const std::string runs = dir.file("run.mp3");
    ASSERT_EQ(::rename(song.c_str(), runs.c_str()), 0);
    dir.put("song.mp3", converted);
    EXPECT_NE(runInProcess({"--undo=" + journal, "--no-journal"}).status, 0);
    EXPECT_EQ(readFile(song), converted);
    // The file the run wrote: restored.
    ASSERT_EQ(::rename(runs.c_str(), song.c_str()), 0);
    const RunResult undo = runInProcess({"--undo=" + journal, "--no-journal"});
    EXPECT_EQ(undo.status, 0) << undo.err;
    EXPECT_EQ(readFile(song), old);
}

// The files of a folder, by name.
std::map<std::string, std::string> filesIn(const std::string& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file())
            files[entry.path().filename().string()] = readFile(entry.path().string());
    return files;
}

// An undo killed half-way, one file written in place torn between its two
// writes, one put back, one not reached: a plain --undo goes on with it
// (the next one undoes that undo as a whole), never turning a file back
// into the torn one or the run's by halves; while it still runs, it is left
// alone.
TEST(HostileJournal, UndoKilledHalfWayIsGoneOnWith)
{
    struct Case {
        const char* name;
        bool stillRunning;  // the killed undo's journal held locked
    };
    for (const Case& c : {Case{"killed", false}, Case{"still running", true}}) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const StateHomeOverride override(dir.path());
        const std::string state = dir.file("tagshifter");
        std::vector<std::string> songs, old, converted;
        for (int i = 0; i < 3; ++i) {
            // ID3v1 and ID3v2 rewritten at the same length, in place (a
            // second name): two writes each.
            old.push_back(legacySong(10 + i, 256) + id3v1Block(kPrivetCp1251, kPrivetCp1251, ""));
            songs.push_back(dir.put("song" + std::to_string(i) + ".mp3", old.back()));
            ASSERT_EQ(::link(songs.back().c_str(), dir.file("other" + std::to_string(i)).c_str()), 0);
        }
        std::vector<std::string> run = {"-q", "-s", "cp1251", "-1", "cp1251", "-2", "unicode"};
        run.insert(run.end(), songs.begin(), songs.end());
        ASSERT_EQ(runInProcess(run).status, 0);
        for (const std::string& song : songs)
            converted.push_back(readFile(song));
        // Last saved, first put back: song2 whole, song1 cut between its writes.
        std::vector<std::string> cut;
        std::vector<struct stat> cutStatus(songs.size());
        std::map<std::string, std::string> cutJournals;
        {
            int writes = 0;
            const sys::ScopedStepHook hook([&](sys::Step step) {
                if (step == sys::Step::WriteInPlace && ++writes == 4) {
                    for (size_t i = 0; i < songs.size(); ++i) {
                        cut.push_back(readFile(songs[i]));
                        ::stat(songs[i].c_str(), &cutStatus[i]);
                    }
                    cutJournals = filesIn(state);
                }
                return 0;
            });
            ASSERT_EQ(runInProcess({"-q", "--undo"}).status, 0);
        }
        ASSERT_EQ(cut.size(), 3u);
        ASSERT_EQ(cut[2], old[2]);
        ASSERT_NE(cut[1], old[1]);
        ASSERT_NE(cut[1], converted[1]);
        ASSERT_EQ(cut[0], converted[0]);
        // As the kill left them.
        for (const auto& [name, bytes] : filesIn(state)) {
            if (!cutJournals.count(name)) {
                ASSERT_EQ(::unlink((state + "/" + name).c_str()), 0);
            }
        }
        for (const auto& [name, bytes] : cutJournals)
            writeFile(state + "/" + name, bytes);
        for (size_t i = 0; i < songs.size(); ++i) {
            writeFile(songs[i], cut[i]);  // the same inode, its time as the kill left it
            const struct timespec times[2] = {cutStatus[i].st_atim, cutStatus[i].st_mtim};
            ASSERT_EQ(::utimensat(AT_FDCWD, songs[i].c_str(), times, 0), 0);
        }
        if (c.stillRunning) {
            const std::string undoJournal = state + "/" + cutJournals.rbegin()->first;
            const int held = ::open(undoJournal.c_str(), O_RDONLY);
            ASSERT_GE(held, 0);
            ASSERT_EQ(::flock(held, LOCK_EX), 0);
            const RunResult refused = runInProcess({"-q", "--undo"});
            ::close(held);
            EXPECT_EQ(refused.status, 1);
            EXPECT_EQ(refused.out, "Error: Cannot read the journal " + undoJournal + ": an undo still running writes it.\n");
            EXPECT_EQ(readFile(songs[1]), cut[1]);
            continue;
        }
        // Gone on with, then undone as a whole, then undone again.
        for (const std::vector<std::string>* expected : {&old, &converted, &old}) {
            const RunResult undo = runInProcess({"-q", "--undo"});
            EXPECT_EQ(undo.status, 0) << undo.out << undo.err;
            for (size_t i = 0; i < songs.size(); ++i)
                EXPECT_TRUE(readFile(songs[i]) == (*expected)[i]) << songs[i];
        }
    }
}

// A run that changes no byte keeps no journal, so a plain --undo still
// undoes the run before it; the list marks the journal it takes, in UTC, and
// counts its files in good English; the undo counts files restored.
TEST(HostileJournal, RunThatChangedNothingKeepsNoJournal)
{
    TempDir dir;
    const StateHomeOverride override(dir.path());
    const std::string one = dir.put("one.mp3", legacySong(5));
    const std::string two = dir.put("two.mp3", legacySong(6));
    ASSERT_EQ(runInProcess({"-s", "cp1251", "-2", "unicode", one}).status, 0);
    ASSERT_EQ(runInProcess({"-s", "cp1251", "-2", "unicode", one}).status, 0);  // nothing left to change
    size_t journals = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.file("tagshifter")))
        journals += entry.path().extension() == ".journal";
    EXPECT_EQ(journals, 1u);
    const RunResult list = runInProcess({"--undo", "--list"});
    EXPECT_EQ(list.status, 0);
    EXPECT_NE(list.out.find(" UTC  "), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("  1 file  "), std::string::npos) << list.out;
    EXPECT_NE(list.out.find(".journal  <- --undo\n"), std::string::npos) << list.out;

    const std::string three = dir.put("three.mp3", legacySong(7));
    ASSERT_EQ(runInProcess({"-s", "cp1251", "-2", "unicode", two, three}).status, 0);
    const RunResult undo = runInProcess({"--undo"});
    EXPECT_EQ(undo.status, 0);
    EXPECT_NE(undo.err.find("tagshifter: 2 files: 2 restored, 0 unchanged, 0 previewed, 0 failed\n"),
              std::string::npos)
        << undo.err;
    EXPECT_EQ(readFile(two), legacySong(6));
    EXPECT_EQ(readFile(three), legacySong(7));
    EXPECT_NE(readFile(one), legacySong(5));  // the run before stays
}

}  // namespace
}  // namespace tagshifter::test
