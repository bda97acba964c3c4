// -r: folder operands walked in byte order, .mp3 in any case, no link
// followed or taken, each folder judged as one album under -s auto.
#include "guess/guess_support.h"
#include "support/fixtures.h"
#include "support/id3_reader.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace tagshifter::test {
namespace {

TEST(Recursive, FoldersAreWalkedInOrderWithoutLinksAndJudgedAsAlbums)
{
    TempDir dir;
    const std::string root = dir.file("music");
    for (const char* folder : {"music", "music/B", "music/B/sub", "outside"})
        ASSERT_EQ(mkdir(dir.file(folder).c_str(), 0755), 0);
    const auto song = [](const std::string& title) {
        return id3v23Tag(textFrame("TPE1", "Band") + textFrame("TIT2", storedIn(title, "cp1251")))
               + mpegFrames(2);
    };
    // "Да" alone is too short to tell from Latin-1; beside "Родина" in its
    // folder it is read as cp1251, alone in a subfolder it stays.
    const struct {
        const char* name;
        std::string title, after;  // after: what TIT2 holds after the run; "" not touched
    } cases[] = {
        {"music/B/1.mp3", "Родина", "Родина"},
        {"music/B/2.MP3", "Да", "Да"},
        {"music/B/sub/0.mp3", "Да", "\xC3\x84\xC3\xA0"},
        {"music/a.Mp3", "Дождь", "Дождь"},
        {"music/notes.txt", "Да", ""},
        {"outside/x.mp3", "Да", ""},
    };
    for (const auto& c : cases)
        writeFile(dir.file(c.name), song(c.title));
    ASSERT_EQ(symlink("../outside", dir.file("music/link").c_str()), 0);
    ASSERT_EQ(symlink("../outside/x.mp3", dir.file("music/linked.mp3").c_str()), 0);

    const RunResult plain = runProgram({"-k", "-s", "auto:cp1251,koi8-r", "-2", "unicode", root});
    EXPECT_EQ(plain.out, "Error: Cannot open file: " + root + ".\n") << "a folder needs -r";

    const RunResult run = runProgram({"-r", "-s", "auto:cp1251,koi8-r", "-2", "unicode", root + "/"});
    EXPECT_EQ(run.status, 0);
    std::string lines;
    for (const auto& c : cases) {
        if (c.after.empty()) {
            EXPECT_EQ(readFile(dir.file(c.name)), song(c.title)) << c.name << " was touched";
            continue;
        }
        lines += dir.file(c.name) + "...done\n";
        const auto tag = readId3v2(readFile(dir.file(c.name)));
        const auto title = tag ? frameText(*tag, "TIT2") : std::nullopt;
        EXPECT_EQ(title ? toUtf8(*title) : "(none)", c.after) << c.name;
    }
    EXPECT_EQ(run.out, lines);
}

}  // namespace
}  // namespace tagshifter::test
