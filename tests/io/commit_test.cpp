// The staged save and each way of committing it: the bytes written must be
// those TagLib's own file stream writes for the same edit, and each path must
// keep what it promises (the inode, links, mode, times), or leave the file
// as it was when a step fails.
#include "app/file_loop.h"
#include "io/staged_file.h"
#include "mp3/mp3_format.h"
#include "support/fixtures.h"
#include "sys/seam.h"

#include <gtest/gtest.h>

#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <functional>

namespace tagshifter::test {
namespace {

using io::CommitPath;
using sys::Step;

// A hook that fails `failed` with `code`, every time.
sys::StepHook failing(Step failed, int code = EIO)
{
    return [failed, code](Step step) { return step == failed ? code : 0; };
}

const int kBothTags = TagLib::MPEG::File::ID3v1 | TagLib::MPEG::File::ID3v2;

std::string songFile(size_t padding, int frames)
{
    return id3v23Tag(textFrame("TIT2", "short") + textFrame("TPE1", "Band")
                         + id3v23Frame("PRIV", std::string("owner\0data", 10)),
                     padding)
           + mpegFrames(frames) + id3v1Block("short", "Band", "Album");
}

void edit(TagLib::MPEG::File& file, const std::string& title)
{
    file.ID3v2Tag(true)->setTitle(title);
    ASSERT_TRUE(mp3::stripAndSave(file, kBothTags, 4));
}

// What TagLib writes through its own file stream.
std::string savedByTagLib(const TempDir& dir, const std::string& bytes, const std::string& title)
{
    const std::string path = dir.file("reference.mp3");
    writeFile(path, bytes);
    {
        TagLib::MPEG::File file(path.c_str(), false);
        edit(file, title);
    }
    const std::string saved = readFile(path);
    unlink(path.c_str());
    return saved;
}

io::CommitResult stagedSave(const std::string& path, const std::string& title,
                            const io::CommitOptions& options = {},
                            uint64_t limit = io::kWholeReadLimit, uint64_t* bytesRead = nullptr)
{
    io::StagedFile staged(path, TagLib::ID3v2::FrameFactory::instance(), limit);
    EXPECT_TRUE(staged.isOpen());
    edit(staged.file(), title);
    io::CommitRequest request;
    request.options = options;
    const io::CommitResult result = staged.commit(request);
    if (bytesRead != nullptr)
        *bytesRead = staged.original().bytesRead();
    return result;
}

ino_t inodeOf(const std::string& path)
{
    struct stat status {};
    return stat(path.c_str(), &status) == 0 ? status.st_ino : 0;
}

std::vector<std::string> folderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    closedir(dir);
    return names;
}

struct PathCase {
    const char* name;
    size_t padding;
    int frames;
    size_t titleLength;
    CommitPath expected;
    // Prepares the folder; returns the operand to save through.
    std::function<std::string(const TempDir&, const std::string& file)> operand;
    sys::StepHook failStep;
    uint64_t limit = io::kWholeReadLimit;
};

std::string itself(const TempDir&, const std::string& file)
{
    return file;
}

TEST(StagedSave, EachCommitPathWritesWhatTagLibWouldAndKeepsTheFile)
{
    const std::vector<PathCase> cases = {
        {"fits its padding", 512, 50, 20, CommitPath::SameLength, itself, nullptr},
        {"outgrows its padding", 0, 50, 300, CommitPath::Renamed, itself, nullptr},
        {"large, grows, read in windows", 0, 8000, 300, CommitPath::Renamed, itself, nullptr, 4096},
        {"large, fits, read in windows", 512, 8000, 20, CommitPath::SameLength, itself, nullptr, 4096},
        {"hard link", 0, 50, 300, CommitPath::InPlace,
         [](const TempDir& dir, const std::string& file) {
             EXPECT_EQ(link(file.c_str(), dir.file("other-name.mp3").c_str()), 0);
             return file;
         },
         nullptr},
        {"symbolic link operand", 0, 50, 300, CommitPath::InPlace,
         [](const TempDir& dir, const std::string&) {
             const std::string name = dir.file("link.mp3");
             EXPECT_EQ(symlink("song.mp3", name.c_str()), 0);
             return name;
         },
         nullptr},
        {"metadata that cannot be copied", 0, 50, 300, CommitPath::InPlace, itself,
         failing(Step::CopyMetadata)},
        // 3 MB: the in-place copy goes block by block, back to front...
        {"no temporary file allowed, grows", 0, 8000, 300, CommitPath::InPlace, itself,
         failing(Step::CreateTemporary, EACCES)},
        // ... and front to back where TagLib cuts the padding.
        {"no temporary file allowed, shrinks", 300000, 8000, 20, CommitPath::InPlace, itself,
         failing(Step::CreateTemporary, EACCES), 4096},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string original = songFile(c.padding, c.frames);
        const std::string title(c.titleLength, 'x');
        const std::string expected = savedByTagLib(dir, original, title);
        const std::string file = dir.file("song.mp3");
        writeFile(file, original);
        ASSERT_EQ(chmod(file.c_str(), 0640), 0);
        const std::string operand = c.operand(dir, file);
        const ino_t inode = inodeOf(file);
        const auto entries = folderEntries(dir.path());

        sys::ScopedStepHook hook(c.failStep);
        io::CommitOptions options;
        options.sync = c.expected == CommitPath::Renamed;
        uint64_t bytesRead = 0;
        const io::CommitResult result = stagedSave(operand, title, options, c.limit, &bytesRead);
        EXPECT_TRUE(result.written) << result.error;
        EXPECT_EQ(result.path, c.expected);
        EXPECT_TRUE(readFile(file) == expected) << "not what TagLib writes";
        EXPECT_EQ(inodeOf(file) == inode, c.expected != CommitPath::Renamed);
        EXPECT_EQ(folderEntries(dir.path()), entries) << "a file left behind or gone";
        struct stat status {};
        ASSERT_EQ(lstat(operand.c_str(), &status), 0);
        EXPECT_EQ(S_ISLNK(status.st_mode), operand != file);
        ASSERT_EQ(stat(file.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, 0640u);
        if (c.limit < original.size() && c.expected != CommitPath::InPlace) {
            EXPECT_LT(bytesRead, original.size() / 10) << "a large file was read whole";
        }
    }
}

TEST(StagedSave, FailedStepLeavesTheFileAsItWasAndNothingBehind)
{
    const std::vector<std::pair<Step, size_t>> cases = {
        {Step::WriteTemporary, 0},
        {Step::Rename, 0},
        {Step::WriteInPlace, 512},  // same length
    };
    for (const auto& [failed, padding] : cases) {
        SCOPED_TRACE(static_cast<int>(failed));
        TempDir dir;
        const std::string original = songFile(padding, 50);
        const std::string file = dir.file("song.mp3");
        writeFile(file, original);
        sys::ScopedStepHook hook(failing(failed));
        const io::CommitResult result = stagedSave(file, std::string(300, 'y'));
        EXPECT_FALSE(result.written);
        EXPECT_FALSE(result.error.empty());
        EXPECT_TRUE(readFile(file) == original) << "the file changed";
        EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"song.mp3"});
    }
}

TEST(StagedSave, RenamedFileKeepsAccessTimeAndExtendedAttributes)
{
    TempDir dir;
    const std::string file = dir.file("song.mp3");
    writeFile(file, songFile(0, 50));
    const struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    const bool withAttribute = setxattr(file.c_str(), "user.rating", "5", 1, 0) == 0;

    ASSERT_EQ(stagedSave(file, std::string(300, 'z')).path, CommitPath::Renamed);
    struct stat status {};
    ASSERT_EQ(stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_atim.tv_sec, 1000000000);
    EXPECT_GT(status.st_mtim.tv_sec, 1000000000) << "a changed file shows a new modification time";
    if (withAttribute) {
        char value[8] = {};
        EXPECT_EQ(getxattr(file.c_str(), "user.rating", value, sizeof value), 1);
        EXPECT_EQ(value[0], '5');
    }
}

TEST(StagedSave, FolderItCannotWriteMeansInPlace)
{
    TempDir dir;
    const std::string file = dir.file("song.mp3");
    const std::string original = songFile(0, 50);
    writeFile(file, original);
    const std::string expected = savedByTagLib(dir, original, std::string(300, 'w'));
    ASSERT_EQ(chmod(file.c_str(), 0666), 0);
    ASSERT_EQ(chmod(dir.path().c_str(), 0555), 0);
    // Root writes any folder: the save then runs as nobody, in a child.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(2);
        const io::CommitResult result = stagedSave(file, std::string(300, 'w'));
        _exit(result.written && result.path == CommitPath::InPlace ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    chmod(dir.path().c_str(), 0755);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    EXPECT_TRUE(readFile(file) == expected) << "not what TagLib writes";
}

}  // namespace
}  // namespace tagshifter::test
