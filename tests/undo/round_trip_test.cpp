// A run, then --undo: every file byte for byte as before, whatever the tag
// layout and the options; what the journal keeps of a file with a picture.
#include "support/fixtures.h"
#include "support/tag_layouts.h"
#include "undo/journal.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tagshifter::test {
namespace {

const std::vector<std::vector<std::string>> kRuns = {
    {"-s", "cp1251", "-1", "koi8-r", "-2", "none"},
    {"-s", "cp1251", "-1", "none", "-2", "unicode"},
    {"-s", "cp1251", "-1", "none", "-2", "koi8-r"},
    {"-s", "cp1251", "-1", "cp1251", "-2", "cp1251", "-a"},
    {"-s", "cp1251"},  // neither -1 nor -2: every tag goes
    {"-s", "cp1251", "-2", "unicode", "--id3v2.3", "--sync"},
    {"-s", "auto", "-a", "-k", "-2", "unicode", "-1", "cp1251//translit"},
    {"-s", "auto", "-1", "auto", "-2", "unicode"},
};

// Every layout in one folder, run over as a library, then undone.
TEST(UndoRoundTrip, EveryLayoutUnderEveryRunComesBackByteForByte)
{
    const std::vector<TagLayout> layouts = tagLayouts();
    for (size_t r = 0; r < kRuns.size(); ++r) {
        SCOPED_TRACE("run " + std::to_string(r));
        TempDir dir;
        std::vector<std::string> args = kRuns[r];
        args.push_back("-k");
        args.push_back("--journal=" + dir.file("run.journal"));
        for (const TagLayout& layout : layouts)
            args.push_back(dir.put(layout.name + ".mp3", layout.bytes));
        const RunResult run = runInProcess(args);
        ASSERT_NE(run.out.find("...done"), std::string::npos) << run.out;
        std::vector<std::string> converted;
        for (const TagLayout& layout : layouts)
            converted.push_back(readFile(dir.file(layout.name + ".mp3")));

        const RunResult undo = runInProcess({"-q", "--undo=" + dir.file("run.journal")});
        EXPECT_EQ(undo.status, 0) << undo.err;
        for (const TagLayout& layout : layouts)
            EXPECT_EQ(readFile(dir.file(layout.name + ".mp3")), layout.bytes) << layout.name;

        // The undo was journaled too: undoing it gives the run's result back.
        const RunResult redo = runInProcess({"-q", "--undo"});
        EXPECT_EQ(redo.status, 0) << redo.err;
        for (size_t i = 0; i < layouts.size(); ++i)
            EXPECT_EQ(readFile(dir.file(layouts[i].name + ".mp3")), converted[i]) << layouts[i].name;
        const RunResult again = runInProcess({"-q", "--undo"});
        EXPECT_EQ(again.status, 0) << again.err;
        for (const TagLayout& layout : layouts)
            EXPECT_EQ(readFile(dir.file(layout.name + ".mp3")), layout.bytes) << layout.name;
    }
}

// Files with a 100 KB cover picture: the picture is kept as a range of the
// new file, so an entry stays within 4 KiB.
TEST(UndoRoundTrip, PictureIsKeptByReference)
{
    std::string picture = std::string("\0image/jpeg\0\x03\0", 14);
    for (int i = 0; i < 100000; ++i)
        picture += static_cast<char>((i * 7919) >> 5);
    TempDir dir;
    std::vector<std::string> args = {"-s", "cp1251", "-1", "cp1251", "-2", "unicode",
                                     "--journal=" + dir.file("run.journal")};
    std::vector<std::string> originals;
    for (int i = 0; i < 4; ++i) {
        const std::string frames = textFrame("TIT2", kPrivetCp1251 + std::to_string(i))
                                   + textFrame("TPE1", kPrivetCp1251) + id3v23Frame("APIC", picture);
        originals.push_back(id3v23Tag(frames, i * 700) + mpegFrames(20, static_cast<uint8_t>(i))
                            + id3v1Block(kPrivetCp1251, kPrivetCp1251, "x"));
        args.push_back(dir.put("song" + std::to_string(i) + ".mp3", originals.back()));
    }
    ASSERT_EQ(runInProcess(args).status, 0);

    const int fd = open(dir.file("run.journal").c_str(), O_RDONLY);
    undo::JournalContents journal;
    std::string why;
    ASSERT_TRUE(undo::readJournal(fd, journal, why)) << why;
    close(fd);
    ASSERT_EQ(journal.files.size(), originals.size());
    EXPECT_LE(journal.size, 4096 * originals.size());
    // The time recorded is the new file's, whatever way it was written.
    for (size_t i = 0; i < journal.files.size(); ++i) {
        struct stat now {};
        ASSERT_EQ(stat(args[7 + i].c_str(), &now), 0);
        EXPECT_TRUE(journal.files[i].committed);
        EXPECT_EQ(journal.files[i].mtimeSeconds, now.st_mtim.tv_sec);
        EXPECT_EQ(journal.files[i].mtimeNanoseconds, now.st_mtim.tv_nsec);
    }

    ASSERT_EQ(runInProcess({"--undo=" + dir.file("run.journal")}).status, 0);
    for (size_t i = 0; i < originals.size(); ++i)
        EXPECT_EQ(readFile(args[7 + i]), originals[i]);
}

}  // namespace
}  // namespace tagshifter::test
