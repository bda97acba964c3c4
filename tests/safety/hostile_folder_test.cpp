// A save against a folder others can write, a file still being written and
// a failing disk, each race replayed exactly through the step hook: the file
// is converted as TagLib would write it or left byte for byte, its
// neighbours and a protected folder are untouched, nothing is left behind.
#include "app/file_loop.h"
#include "io/staged_file.h"
#include "mp3/mp3_format.h"
#include "support/fixtures.h"
#include "sys/seam.h"

#include <gtest/gtest.h>

#include <taglib/id3v1tag.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <memory>
#include <optional>

namespace tagshifter::test {
namespace {

using sys::Step;

// Both tags' titles change, so that a save of the same length writes twice.
void edit(TagLib::MPEG::File& file, const std::string& title)
{
    file.ID3v2Tag(true)->setTitle(title);
    file.ID3v1Tag(true)->setTitle(title.substr(0, 8));
    ASSERT_TRUE(mp3::stripAndSave(file, TagLib::MPEG::File::ID3v1 | TagLib::MPEG::File::ID3v2, 4));
}

std::vector<std::string> entries(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir))
            if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
                names.push_back(entry->d_name);
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool setFlag(const std::string& path, int flag, bool on)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK);
    int flags = 0;
    const bool done = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0
                      && (flags = on ? flags | flag : flags & ~flag, ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    if (fd >= 0)
        close(fd);
    return done;
}

struct Scene {
    TempDir root;
    std::string album = root.file("album");
    std::string song = album + "/song.mp3";
    std::string neighbour = album + "/other.mp3";
    std::string shelter = root.file("protected");
    std::string victim = shelter + "/victim.mp3";
    std::string aside = root.file("aside.mp3");
};

// Fails the `n`th call of `step` with `code`.
sys::StepHook nth(Step step, int n, int code = EIO)
{
    auto calls = std::make_shared<int>(0);
    return [=](Step at) { return at == step && ++*calls == n ? code : 0; };
}

enum class Expect { Converted, Untouched, NotOpened, Damaged };

struct FaultCase {
    const char* name;
    size_t padding;  // 0 with a long title: the tag outgrows it
    int frames;      // 8000: about 3 MB, written in place in several blocks
    size_t titleLength;
    Expect expect;
    const char* reason;  // a part of the error, or nullptr
    std::function<sys::StepHook(Scene&)> hook;
    std::function<std::string(Scene&)> prepare = nullptr;  // the operand, if not the song
    std::function<void(Scene&)> undo = nullptr;            // puts a swap back before the checks
    std::function<void(Scene&, const io::CommitResult&)> extra = nullptr;
};

std::string hardLinked(Scene& s)
{
    EXPECT_EQ(link(s.song.c_str(), (s.album + "/link.mp3").c_str()), 0);
    return s.song;
}

// The song replaced by a link to the protected file, the song kept aside.
void linkSwap(Scene& s)
{
    EXPECT_EQ(rename(s.song.c_str(), s.aside.c_str()), 0);
    EXPECT_EQ(symlink(s.victim.c_str(), s.song.c_str()), 0);
}

void unlinkSwap(Scene& s)
{
    unlink(s.song.c_str());
    rename(s.aside.c_str(), s.song.c_str());
}

std::string longName(Scene& s, size_t length)
{
    std::string name;
    while (name.size() + 10 <= length - 4)
        name += "Песня";  // 10 bytes
    name += std::string(length - 4 - name.size(), 'x') + ".mp3";
    s.song = s.album + "/" + name;
    return s.song;
}

TEST(HostileFolder, EveryRaceAndFaultLeavesTheFileWholeAndNothingBehind)
{
    const bool root = geteuid() == 0;
    const std::vector<FaultCase> cases = {
        {"folder swapped for a link to a protected one before the rename", 0, 50, 300, Expect::Converted,
         nullptr,
         [](Scene& s) {
             return [&s](Step step) {
                 if (step == Step::Link) {
                     EXPECT_EQ(rename(s.album.c_str(), s.root.file("moved").c_str()), 0);
                     EXPECT_EQ(symlink(s.shelter.c_str(), s.album.c_str()), 0);
                 }
                 return 0;
             };
         },
         nullptr,
         [](Scene& s) {
             unlink(s.album.c_str());
             rename(s.root.file("moved").c_str(), s.album.c_str());
         }},
        {"link to a protected file swapped in between the look and the open", 512, 50, 20,
         Expect::NotOpened, "changed while being converted",
         [](Scene& s) {
             return [&s](Step step) {
                 if (step == Step::Open)
                     linkSwap(s);
                 return 0;
             };
         },
         nullptr, unlinkSwap},
        {"link to a protected file swapped in before the write", 512, 50, 20, Expect::Untouched,
         "changed while being converted",
         [](Scene& s) {
             return [&s](Step step) {
                 if (step == Step::Check)
                     linkSwap(s);
                 return 0;
             };
         },
         nullptr, unlinkSwap},
        {"file grown by another writer meanwhile", 0, 50, 300, Expect::Untouched,
         "changed while being converted",
         [](Scene& s) {
             return [&s](Step step) {
                 if (step == Step::Check) {
                     const int fd = open(s.song.c_str(), O_WRONLY | O_APPEND);
                     EXPECT_EQ(write(fd, "more", 4), 4);
                     close(fd);
                 }
                 return 0;
             };
         },
         nullptr,
         [](Scene& s) { EXPECT_EQ(truncate(s.song.c_str(), static_cast<off_t>(readFile(s.song).size() - 4)), 0); }},
        // Nothing to put back into: the other writer's file stands, reported.
        {"file cut short while its first write is in flight", 512, 50, 20, Expect::Damaged,
         "changed while being converted",
         [](Scene& s) {
             return [&s, calls = std::make_shared<int>(0)](Step step) {
                 if (step == Step::WriteInPlace && ++*calls == 1) {
                     EXPECT_EQ(truncate(s.song.c_str(), 100), 0);
                 }
                 return 0;
             };
         }},
        // Cut past the first block of a tag grown in place: the blocks
        // behind would move the hole a later write leaves, zeros, over audio.
        {"file cut short mid-audio while the tag grows in place", 0, 8000, 300, Expect::Damaged,
         "changed while being converted",
         [](Scene& s) {
             return [&s, calls = std::make_shared<int>(0)](Step step) {
                 if (step == Step::WriteInPlace && ++*calls == 1) {
                     EXPECT_EQ(truncate(s.song.c_str(), static_cast<off_t>(readFile(s.song).size() / 2)), 0);
                 }
                 return 0;
             };
         },
         hardLinked},
        {"no space for the new file: no fallback in place", 0, 50, 300, Expect::Untouched, "No space",
         [](Scene&) { return nth(Step::CreateTemporary, 1, ENOSPC); }},
        {"I/O error giving the new file its name", 0, 50, 300, Expect::Untouched, "Input/output",
         [](Scene&) { return nth(Step::Link, 1); }},
        {"no space to grow in place", 0, 8000, 300, Expect::Untouched, "No space",
         [](Scene&) { return nth(Step::Reserve, 1, ENOSPC); }, hardLinked},
        {"I/O error on the first write in place", 0, 8000, 300, Expect::Untouched, "put back",
         [](Scene&) { return nth(Step::WriteInPlace, 1); }, hardLinked},
        {"I/O error on the second write in place, growing", 0, 8000, 300, Expect::Untouched, "put back",
         [](Scene&) { return nth(Step::WriteInPlace, 2); }, hardLinked},
        {"I/O error on the second write in place, shrinking", 300000, 8000, 20, Expect::Untouched,
         "put back", [](Scene&) { return nth(Step::WriteInPlace, 2); }, hardLinked},
        {"I/O error on the second write of a save of the same length", 512, 50, 20, Expect::Untouched,
         "put back", [](Scene&) { return nth(Step::WriteInPlace, 2); }},
        {"old bytes that cannot be put back are named", 0, 8000, 300, Expect::Damaged,
         "could not be put back",
         [](Scene&) {
             auto inner = nth(Step::WriteInPlace, 2);
             return [inner](Step step) mutable { return step == Step::Restore ? EIO : inner(step); };
         },
         hardLinked},
        {"folder with a default ACL for another user", 0, 50, 300, Expect::Converted, nullptr,
         [](Scene&) { return sys::StepHook(); },
         [](Scene& s) {
             // user::rwx, user:65534:rw-, group::r-x, mask::rwx, other::r-x
             static const unsigned char acl[] = {2, 0, 0, 0, 1, 0, 7, 0, 255, 255, 255, 255,
                                                 2, 0, 6, 0, 254, 255, 0, 0, 4, 0, 5, 0,
                                                 255, 255, 255, 255, 16, 0, 7, 0, 255, 255, 255, 255,
                                                 32, 0, 5, 0, 255, 255, 255, 255};
             if (setxattr(s.album.c_str(), "system.posix_acl_default", acl, sizeof acl, 0) != 0)
                 ADD_FAILURE() << "no ACLs here";
             return s.song;
         },
         nullptr,
         [](Scene& s, const io::CommitResult& result) {
             EXPECT_EQ(result.path, io::CommitPath::Renamed);
             EXPECT_LT(getxattr(s.song.c_str(), "system.posix_acl_access", nullptr, 0), 0)
                 << "the folder's default ACL leaked in";
         }},
        {"name of 250 bytes", 0, 50, 300, Expect::Converted, nullptr, [](Scene&) { return sys::StepHook(); },
         [](Scene& s) {
             const std::string name = longName(s, 250);
             EXPECT_EQ(rename((s.album + "/song.mp3").c_str(), name.c_str()), 0);
             return name;
         },
         nullptr,
         [](Scene&, const io::CommitResult& result) { EXPECT_EQ(result.path, io::CommitPath::Renamed); }},
    };
    std::vector<FaultCase> all = cases;
    if (root) {
        all.push_back({"append-only folder: written in place", 0, 50, 300, Expect::Converted, nullptr,
                       [](Scene&) { return sys::StepHook(); },
                       [](Scene& s) {
                           EXPECT_TRUE(setFlag(s.album, FS_APPEND_FL, true)) << "no chattr +a here";
                           return s.song;
                       },
                       [](Scene& s) { setFlag(s.album, FS_APPEND_FL, false); },
                       [](Scene&, const io::CommitResult& result) {
                           EXPECT_EQ(result.path, io::CommitPath::InPlace);
                       }});
        all.push_back({"immutable file", 0, 50, 300, Expect::Untouched, "immutable",
                       [](Scene&) { return sys::StepHook(); },
                       [](Scene& s) {
                           EXPECT_TRUE(setFlag(s.song, FS_IMMUTABLE_FL, true));
                           return s.song;
                       },
                       [](Scene& s) { setFlag(s.song, FS_IMMUTABLE_FL, false); }});
        all.push_back({"link planted by another user to a file not theirs", 512, 50, 20, Expect::NotOpened,
                       "symbolic link", [](Scene&) { return sys::StepHook(); },
                       [](Scene& s) {
                           const std::string planted = s.album + "/planted.mp3";
                           EXPECT_EQ(symlink("song.mp3", planted.c_str()), 0);
                           EXPECT_EQ(lchown(planted.c_str(), 65534, 65534), 0);
                           return planted;
                       }});
    }
    for (const FaultCase& c : all) {
        SCOPED_TRACE(c.name);
        Scene s;
        ASSERT_EQ(mkdir(s.album.c_str(), 0755), 0);
        ASSERT_EQ(mkdir(s.shelter.c_str(), 0700), 0);
        const std::string before = id3v23Tag(textFrame("TIT2", "short") + textFrame("TPE1", "Band"), c.padding)
                                   + mpegFrames(c.frames) + id3v1Block("short", "Band", "Album");
        const std::string title(c.titleLength, 'x');
        writeFile(s.aside, before);
        {
            TagLib::MPEG::File reference(s.aside.c_str(), false);
            edit(reference, title);
        }
        const std::string expected = readFile(s.aside);
        ASSERT_EQ(unlink(s.aside.c_str()), 0);
        writeFile(s.song, before);
        ASSERT_EQ(chmod(s.song.c_str(), 0640), 0);
        writeFile(s.neighbour, "neighbour");
        writeFile(s.victim, "victim");
        const std::string operand = c.prepare ? c.prepare(s) : s.song;
        const auto albumBefore = entries(s.album);

        std::unique_ptr<io::StagedFile> staged;
        std::optional<io::CommitResult> result;
        {
            sys::ScopedStepHook hook(c.hook(s));
            staged = std::make_unique<io::StagedFile>(operand, TagLib::ID3v2::FrameFactory::instance());
            if (staged->isOpen()) {
                edit(staged->file(), title);
                result = staged->commit({});
            }
        }
        if (c.undo)
            c.undo(s);
        const std::string reason = result ? result->error : staged->whyNotOpen();
        EXPECT_EQ(result.has_value(), c.expect != Expect::NotOpened);
        EXPECT_EQ(result && result->written, c.expect == Expect::Converted) << reason;
        if (c.reason != nullptr) {
            EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
        }
        if (c.expect == Expect::Converted) {
            EXPECT_TRUE(readFile(s.song) == expected) << "not what TagLib writes";
        } else if (c.expect != Expect::Damaged) {
            EXPECT_TRUE(readFile(s.song) == before) << "the file changed";
        }
        struct stat status {};
        ASSERT_EQ(stat(s.song.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, 0640u);
        EXPECT_EQ(readFile(s.neighbour), "neighbour");
        EXPECT_EQ(readFile(s.victim), "victim");
        EXPECT_EQ(entries(s.album), albumBefore) << "a file left behind or gone";
        EXPECT_EQ(entries(s.shelter), std::vector<std::string>{"victim.mp3"});
        EXPECT_EQ(entries(s.root.path()), (std::vector<std::string>{"album", "protected"}));
        if (c.extra && result)
            c.extra(s, *result);
    }
}

// A folder that cannot be flushed after the rename: the file was converted
// and says so, with a warning, and the status tells that --sync did not hold.
// A file whose bytes cannot be read fails; TagLib's reading of nothing
// would call it a file without tags, skipped, and the run a success.
TEST(HostileFolder, ReadErrorFailsTheFileInsteadOfSkippingIt)
{
    TempDir dir;
    const std::string song = dir.put("song.mp3", id3v23Tag(textFrame("TIT2", kPrivetCp1251)) + mpegFrames(4));
    const std::string before = readFile(song);
    RunResult run;
    {
        sys::ScopedStepHook hook(nth(Step::Read, 1));
        run = runInProcess({"-s", "cp1251", "-2", "unicode", song});
    }
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, song + "failed!\n");
    EXPECT_NE(run.err.find("read error"), std::string::npos) << run.err;
    EXPECT_EQ(readFile(song), before);
}

TEST(HostileFolder, FolderSyncFailingAfterTheRenameIsAWarningNotAFailure)
{
    TempDir dir;
    const std::string song = dir.put("song.mp3", id3v23Tag(textFrame("TIT2", kPrivetCp1251)) + mpegFrames(20));
    sys::ScopedStepHook hook(nth(Step::SyncFolder, 1));
    const RunResult run = runInProcess({"--sync", "-s", "cp1251", "-2", "unicode", song});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, song + "...done\n");
    EXPECT_EQ(run.err, "tagshifter: " + song + ": converted, but cannot sync the folder: Input/output error\n");
    EXPECT_NE(readFile(song).find(kPrivetUtf8), std::string::npos);
}

}  // namespace
}  // namespace tagshifter::test
