// -r over folders others can write: every folder is entered from its parent
// without following a link, found again only if it is still the one walked,
// and every folder that cannot be read is named; a link another user planted
// is never followed on the way to an operand. Races replayed through the
// step hook.
#include "support/fixtures.h"
#include "sys/folder_tree.h"
#include "sys/seam.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <memory>

namespace tagshifter::test {
namespace {

using sys::Step;

std::string songBytes()
{
    return id3v23Tag(textFrame("TIT2", kPrivetCp1251)) + mpegFrames(4);
}

// `shared` with songs in subfolders, and a protected folder beside it
// holding the victim, which no row may convert.
struct WalkScene {
    TempDir root;
    std::string shared = root.file("shared");
    std::string shelter = root.file("protected");
    std::string victim = shelter + "/victim.mp3";

    WalkScene()
    {
        EXPECT_EQ(mkdir(shared.c_str(), 01777), 0);
        EXPECT_EQ(chmod(shared.c_str(), 01777), 0);
        EXPECT_EQ(mkdir(shelter.c_str(), 0700), 0);
        writeFile(victim, songBytes());
    }
    std::string song(const std::string& folder) const
    {
        const std::string path = shared + "/" + folder;
        mkdir(path.c_str(), 0755);
        return root.put("shared/" + folder + "/song.mp3", songBytes());
    }
    // `name` in `shared` made a link to the protected folder, owned by `owner`.
    std::string plant(const std::string& name, uid_t owner) const
    {
        const std::string link = shared + "/" + name;
        EXPECT_EQ(symlink(shelter.c_str(), link.c_str()), 0);
        EXPECT_EQ(lchown(link.c_str(), owner, owner), 0);
        return link;
    }
    // The folder `name` moved aside and a link to the protected folder put in its place.
    void swap(const std::string& name) const
    {
        const std::string path = shared + "/" + name;
        EXPECT_EQ(rename(path.c_str(), (path + ".aside").c_str()), 0);
        EXPECT_EQ(symlink(shelter.c_str(), path.c_str()), 0);
    }
    // A song of another user (65534) in a folder of theirs, and a link of
    // theirs to it named `link`.
    std::string plantOwnSong(const std::string& link)
    {
        const std::string home = root.file("other");
        mkdir(home.c_str(), 0755);
        EXPECT_EQ(chown(home.c_str(), 65534, 65534), 0);
        const std::string own = root.put("other/own.mp3", songBytes());
        EXPECT_EQ(chown(own.c_str(), 65534, 65534), 0);
        EXPECT_EQ(symlink(own.c_str(), link.c_str()), 0);
        EXPECT_EQ(lchown(link.c_str(), 65534, 65534), 0);
        untouched.push_back(own);
        return link;
    }
    bool converted(const std::string& file) const { return readFile(file).find(kPrivetUtf8) != std::string::npos; }
    std::vector<std::string> untouched;  // besides the victim
};

// Calls `act` once, at the first `at` step after `after` steps of `counted`.
sys::StepHook onceAfter(Step counted, int after, Step at, std::function<void()> act)
{
    auto seen = std::make_shared<int>(0);
    auto done = std::make_shared<bool>(false);
    return [=](Step step) {
        if (step == counted)
            ++*seen;
        if (step == at && *seen >= after && !*done) {
            *done = true;
            act();
        }
        return 0;
    };
}

struct WalkCase {
    const char* name;
    bool needsRoot;  // chown to another user
    // Lays the scene out; returns the operands and the files that must end converted.
    std::function<std::vector<std::string>(WalkScene&, std::vector<std::string>& converted)> prepare;
    std::function<sys::StepHook(WalkScene&)> hook;
    int status;
    const char* error;  // a part of standard error
};

TEST(HostileWalk, NoFolderIsEnteredThroughALinkAndNoneIsSkippedSilently)
{
    const std::vector<WalkCase> cases = {
        {"subfolder swapped for a link between the listing and its opening", false,
         [](WalkScene& s, std::vector<std::string>& converted) {
             converted = {s.song("a")};
             s.song("zsub");
             return std::vector<std::string>{s.shared};
         },
         [](WalkScene& s) {
             // The listings of shared and a, then the opening of zsub.
             return onceAfter(Step::ReadFolder, 2, Step::OpenFolder, [&s] { s.swap("zsub"); });
         },
         1, "shared/zsub: cannot read the folder: replaced"},
        {"folder swapped for a link after the walk, before its file is opened", false,
         [](WalkScene& s, std::vector<std::string>& converted) {
             // More folders than are held open, so that the first is opened again.
             for (size_t i = 1; i <= sys::FolderTree::kHeld + 2; ++i)
                 converted.push_back(s.song("f" + std::to_string(100 + i)));
             s.song("a");
             return std::vector<std::string>{"-k", s.shared};
         },
         [](WalkScene& s) {
             return onceAfter(Step::ReadFolder, sys::FolderTree::kHeld + 4, Step::OpenFolder,
                              [&s] { s.swap("a"); });
         },
         1, "shared/a/song.mp3: cannot open the file: changed while being converted"},
        {"folder that cannot be read is named, its neighbours converted", false,
         [](WalkScene& s, std::vector<std::string>& converted) {
             converted = {s.song("b")};
             s.song("a");
             return std::vector<std::string>{s.shared};
         },
         [](WalkScene&) {
             auto calls = std::make_shared<int>(0);
             return sys::StepHook([calls](Step step) { return step == Step::ReadFolder && ++*calls == 2 ? EACCES : 0; });
         },
         1, "shared/a: cannot read the folder: Permission denied"},
        {"folder operand through a link another user planted", true,
         [](WalkScene& s, std::vector<std::string>& converted) {
             converted = {s.song("a")};
             return std::vector<std::string>{"-k", s.shared + "/a", s.plant("evil", 65534)};
         },
         nullptr, 1, "evil: cannot open the file: a symbolic link"},
        {"file operand whose folder part is a link another user planted", true,
         [](WalkScene& s, std::vector<std::string>&) {
             s.plant("evil", 65534);
             return std::vector<std::string>{s.shared + "/evil/victim.mp3"};
         },
         nullptr, 1, "evil/victim.mp3: cannot open the file: a symbolic link on the way"},
        {"a link of the folder's owner is followed", true,
         [](WalkScene& s, std::vector<std::string>& converted) {
             const std::string album = s.root.file("album");
             EXPECT_EQ(mkdir(album.c_str(), 0755), 0);
             converted = {s.root.put("album/song.mp3", songBytes())};
             const std::string home = s.root.file("home");
             EXPECT_EQ(mkdir(home.c_str(), 0755), 0);
             EXPECT_EQ(chown(home.c_str(), 65534, 65534), 0);
             EXPECT_EQ(symlink(album.c_str(), (home + "/music").c_str()), 0);
             EXPECT_EQ(lchown((home + "/music").c_str(), 65534, 65534), 0);
             return std::vector<std::string>{home + "/music"};
         },
         nullptr, 0, ""},
        {"a link of the folder's owner swapped for a third user's once its owner was looked at", true,
         [](WalkScene& s, std::vector<std::string>& converted) {
             // Longer than the protected folder's name: the swapped link fits the length looked at.
             const std::string album = s.root.file("album-of-the-owner");
             EXPECT_EQ(mkdir(album.c_str(), 0755), 0);
             converted = {s.root.put("album-of-the-owner/song.mp3", songBytes())};
             const std::string home = s.root.file("home");
             EXPECT_EQ(mkdir(home.c_str(), 0775), 0);
             EXPECT_EQ(chown(home.c_str(), 65534, 65534), 0);
             EXPECT_EQ(symlink(album.c_str(), (home + "/music").c_str()), 0);
             EXPECT_EQ(lchown((home + "/music").c_str(), 65534, 65534), 0);
             return std::vector<std::string>{"-k", home + "/music"};
         },
         [](WalkScene& s) {
             return onceAfter(Step::ReadLink, 0, Step::ReadLink, [&s] {
                 const std::string music = s.root.file("home/music");
                 EXPECT_EQ(symlink(s.shelter.c_str(), (music + ".new").c_str()), 0);
                 EXPECT_EQ(lchown((music + ".new").c_str(), 65533, 65533), 0);
                 EXPECT_EQ(rename((music + ".new").c_str(), music.c_str()), 0);
             });
         },
         0, ""},
        {"file operand: this user's link whose target passes through a link another user planted", true,
         [](WalkScene& s, std::vector<std::string>&) {
             s.plant("evil", 65534);
             const std::string mine = s.root.file("mine.mp3");
             EXPECT_EQ(symlink((s.shared + "/evil/victim.mp3").c_str(), mine.c_str()), 0);
             return std::vector<std::string>{mine};
         },
         nullptr, 1, "mine.mp3: cannot open the file: a symbolic link on the way"},
        {"file operand: this user's link swapped for another user's once its owner was looked at", true,
         [](WalkScene& s, std::vector<std::string>&) {
             // Longer than the protected file's name: the swapped link fits the length looked at.
             const std::string song = s.song("album-of-this-user");
             EXPECT_EQ(symlink(song.c_str(), (s.shared + "/fav.mp3").c_str()), 0);
             return std::vector<std::string>{s.shared + "/fav.mp3"};
         },
         [](WalkScene& s) {
             // -r reads the link first, seeking a folder; then the file's opening does.
             return onceAfter(Step::ReadLink, 2, Step::ReadLink, [&s] {
                 const std::string fav = s.shared + "/fav.mp3";
                 EXPECT_EQ(symlink(s.victim.c_str(), (fav + ".new").c_str()), 0);
                 EXPECT_EQ(lchown((fav + ".new").c_str(), 65534, 65534), 0);
                 EXPECT_EQ(rename((fav + ".new").c_str(), fav.c_str()), 0);
             });
         },
         1, "fav.mp3: not written: changed while being converted"},
        {"file operand: another user's link in a folder anyone may write, to that user's own song", true,
         [](WalkScene& s, std::vector<std::string>&) {
             return std::vector<std::string>{s.plantOwnSong(s.shared + "/fav.mp3")};
         },
         nullptr, 1, "fav.mp3: cannot open the file: a symbolic link whose owner"},
        {"walked file swapped for another user's link to that user's own song", true,
         [](WalkScene& s, std::vector<std::string>& converted) {
             converted = {s.root.put("shared/one.mp3", songBytes())};
             s.root.put("shared/two.mp3", songBytes());
             return std::vector<std::string>{s.shared};
         },
         [](WalkScene& s) {
             // Once the walk is over, before the second file is looked at.
             return onceAfter(Step::Check, 0, Step::Check, [&s] {
                 const std::string two = s.shared + "/two.mp3";
                 EXPECT_EQ(unlink(two.c_str()), 0);
                 s.plantOwnSong(two);
             });
         },
         1, "two.mp3: cannot open the file: a symbolic link whose owner"},
        {"hard link to the protected file in a folder anyone may write", false,
         [](WalkScene& s, std::vector<std::string>&) {
             EXPECT_EQ(link(s.victim.c_str(), (s.shared + "/x.mp3").c_str()), 0);
             return std::vector<std::string>{s.shared};
         },
         nullptr, 1, "x.mp3: not written: a name of a file with other names"},
        {"hard link to the protected file in another user's folder", true,
         [](WalkScene& s, std::vector<std::string>&) {
             const std::string theirs = s.shared + "/theirs";
             EXPECT_EQ(mkdir(theirs.c_str(), 0755), 0);
             EXPECT_EQ(chown(theirs.c_str(), 65534, 65534), 0);
             EXPECT_EQ(link(s.victim.c_str(), (theirs + "/x.mp3").c_str()), 0);
             return std::vector<std::string>{s.shared};
         },
         nullptr, 1, "x.mp3: not written: a name of a file with other names"},
        {"a song named through /proc/self/root, links whose size reads 0", false,
         [](WalkScene& s, std::vector<std::string>& converted) {
             converted = {s.song("a")};
             return std::vector<std::string>{"/proc/self/root" + converted[0]};
         },
         nullptr, 0, ""},
        {"file operand: a link of its folder's owner to that owner's song is followed", true,
         [](WalkScene& s, std::vector<std::string>& converted) {
             const std::string link = s.plantOwnSong(s.root.file("other/fav.mp3"));
             converted = {s.root.file("other/own.mp3")};
             s.untouched.clear();
             return std::vector<std::string>{link};
         },
         nullptr, 0, ""},
    };
    for (const WalkCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.needsRoot && geteuid() != 0)
            continue;
        WalkScene s;
        std::vector<std::string> converted;
        std::vector<std::string> args = {"-r", "-s", "cp1251", "-2", "unicode"};
        for (const std::string& operand : c.prepare(s, converted))
            args.push_back(operand);
        RunResult run;
        {
            sys::ScopedStepHook hook(c.hook ? c.hook(s) : sys::StepHook());
            run = runInProcess(args);
        }
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
        for (const std::string& file : converted)
            EXPECT_TRUE(s.converted(file)) << file << "\n" << run.err;
        EXPECT_EQ(readFile(s.victim), songBytes()) << "the protected file was reached";
        for (const std::string& file : s.untouched)
            EXPECT_TRUE(readFile(file) == songBytes()) << file << " was reached";
        EXPECT_EQ(run.out.find("victim.mp3...done"), std::string::npos) << run.out;
    }
}

// 400 levels under a limit of 24 more descriptors than the run starts with:
// the deep file is converted; a failing folder on the way would be named.
TEST(HostileWalk, DeepFoldersNeedFewDescriptors)
{
    TempDir dir;
    std::string folder = dir.path();
    for (int level = 0; level < 400; ++level) {
        folder += "/d";
        ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    }
    const std::string deep = folder + "/song.mp3";
    writeFile(deep, songBytes());
    const std::string shallow = dir.put("d/song.mp3", songBytes());

    rlimit before {};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &before), 0);
    int open = 0;
    for (int fd = 0; fd < 1024; ++fd)
        open += fcntl(fd, F_GETFD) != -1;
    rlimit tight = before;
    tight.rlim_cur = static_cast<rlim_t>(open + 24);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);
    const RunResult run = runInProcess({"-r", "-s", "cp1251", "-2", "unicode", dir.path()});
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &before), 0);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(readFile(deep).find(kPrivetUtf8), std::string::npos) << run.err;
    EXPECT_NE(readFile(shallow).find(kPrivetUtf8), std::string::npos);
}

// A folder without -r names -r; -r over a folder without an .mp3 says so.
// What standard output and the status say is as before.
TEST(HostileWalk, FoldersThatGiveNoFileAreExplained)
{
    TempDir dir;
    const std::string empty = dir.file("empty");
    ASSERT_EQ(mkdir(empty.c_str(), 0755), 0);
    dir.put("empty/notes.txt", "x");

    const RunResult plain = runInProcess({"-s", "cp1251", "-2", "unicode", empty});
    EXPECT_EQ(plain.status, 1);
    EXPECT_EQ(plain.out, "Error: Cannot open file: " + empty + ".\n");
    EXPECT_NE(plain.err.find("-r converts"), std::string::npos) << plain.err;

    const RunResult walked = runInProcess({"-r", "-s", "cp1251", "-2", "unicode", empty});
    EXPECT_EQ(walked.status, 0);
    EXPECT_EQ(walked.out, "");
    EXPECT_EQ(walked.err, "tagshifter: " + empty + ": no .mp3 file in this folder or below\n");

    // An empty operand is no name of the working folder.
    const RunResult nameless = runInProcess({"-r", "-w", "-s", "cp1251", "-2", "unicode", ""});
    EXPECT_EQ(nameless.status, 1);
    EXPECT_EQ(nameless.out, "Error: Cannot open file: .\n");
}

}  // namespace
}  // namespace tagshifter::test
