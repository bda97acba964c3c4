// Where the ID3v2 tag goes, TagLib is handed its large frames cut short and
// the ID3v1 tag takes the fields' whole texts from the file: the file must
// come out as the ordinary way writes it (which --json still takes), and no
// tag read cut short may ever be written back.
#include "app/file_loop.h"
#include "common/messages.h"
#include "io/staged_file.h"
#include "mp3/mp3_format.h"
#include "support/fixtures.h"
#include "support/id3_reader.h"

#include <gtest/gtest.h>

#include <taglib/id3v2framefactory.h>
#include <taglib/mpegfile.h>
#include <taglib/tag.h>

#include <string>
#include <vector>

namespace tagshifter::test {
namespace {

const size_t kLarge = 600 << 10;  // two such frames make a tag past the size looked at

std::string letters(size_t size)
{
    std::string text;
    while (text.size() < size)
        text += kPrivetCp1251 + " ";
    return text.substr(0, size);
}

std::string runOn(const std::string& original, std::vector<std::string> args, int& status)
{
    TempDir dir;
    const std::string path = dir.put("song.mp3", original);
    args.push_back(path);
    status = runInProcess(args).status;
    return readFile(path);
}

TEST(ShortenedFrames, AFileReadCutShortIsWrittenAsTheOrdinaryWayWritesIt)
{
    const std::string title = letters(kLarge);
    const std::string picture =
        id3v23Frame("APIC", std::string("\0image/png\0\x03\0", 13) + std::string(kLarge, 'P'));
    const struct {
        const char* name;
        std::string tag;
        std::string id3v1Title;  // as written, 30 bytes at most
    } files[] = {
        {"title between frames, old ID3v1",
         id3v23Tag(textFrame("TPE1", kPrivetCp1251) + textFrame("TIT2", title + std::string(2, '\0'))
                       + textFrame("TALB", letters(kLarge + 1)),
                   100),
         title.substr(0, 30)},
        // The comment has a description and is the only one; the artist is
        // UTF-16 (read whole), the picture cut short all the same.
        {"described comment, UTF-16 artist, picture",
         id3v23Tag(textFrame("TIT2", "short") + textFrame("TPE1", utf16WithBom(kPrivetUtf8), 1)
                       + describedFrame("COMM", 0, "liner", letters(kLarge + 2)) + picture,
                   0),
         "short"},
        // Two comments: the large one is read whole, the title cut short.
        {"two comments",
         id3v23Tag(describedFrame("COMM", 0, "", letters(kLarge)) + describedFrame("COMM", 0, "note", "x")
                       + textFrame("TIT2", "x" + title),
                   10),
         ("x" + title).substr(0, 30)},
    };
    const std::vector<std::vector<std::string>> targets = {
        {"-1", "cp1251"}, {"-1", "cp1251", "-a"}, {"-1", "auto"}, {"-1", "cp1251", "-p"}, {"-1", "koi8-r"},
        {"-1", "cp1251", "-s", "auto:cp1251,koi8-r"}, {"-1", "auto", "-s", "auto"}};
    for (const auto& file : files) {
        const std::string original = file.tag + mpegFrames(12) + id3v1Block("old", "old", "old");
        for (const auto& target : targets) {
            SCOPED_TRACE(std::string(file.name) + ", " + target.back());
            std::vector<std::string> args = {"-q", "--no-journal", "-s", "cp1251", "-2", "none"};
            args.insert(args.end(), target.begin(), target.end());
            int status = -1;
            const std::string written = runOn(original, args, status);
            EXPECT_EQ(status, 0);
            args.push_back("--json");
            int ordinaryStatus = -1;
            const std::string ordinary = runOn(original, args, ordinaryStatus);
            EXPECT_TRUE(written == ordinary) << "written otherwise than the ordinary way";
            EXPECT_FALSE(readId3v2(written)) << "the ID3v2 tag is left";
            EXPECT_TRUE(audioBytes(written) == audioBytes(original)) << "the audio changed";
            if (target[1] == "cp1251" && target.size() == 2) {
                const auto id3v1 = readId3v1(written);
                ASSERT_TRUE(id3v1);
                EXPECT_EQ(id3v1->title, file.id3v1Title);
            }
        }
    }
}

// The preview reads the tag cut short and keeps a large text beside the
// tags, not in them: it must still show every field's whole text on each
// target, and leave the file as it was.
TEST(ShortenedFrames, ThePreviewShowsLargeTextsWhole)
{
    std::string title, titleUtf8;
    while (title.size() < kLarge)
        title += kPrivetCp1251 + " ", titleUtf8 += kPrivetUtf8 + " ";
    const std::string original =
        id3v23Tag(textFrame("TIT2", title) + textFrame("TPE1", "Band") + describedFrame("COMM", 0, "", title), 10)
        + mpegFrames(12);
    const std::string titleLine = std::string("\t\tTitle:\t\t"), commentLine = "\t\tComment:\t";
    const struct {
        std::vector<std::string> options;
        std::string id3v1, id3v2;  // the title and comment shown on each, empty: the tag is not written
    } cases[] = {
        {{"-1", "cp1251", "-2", "none"}, title, ""},
        {{"-1", "cp1251", "-2", "unicode"}, title, titleUtf8},
        {{"-1", "none", "-2", "cp1251"}, "", title},
        {{"-1", "koi8-r", "-2", "unicode", "-s", "auto:cp1251,koi8-r"}, "", titleUtf8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options[1] + " " + c.options[3]);
        std::vector<std::string> args = {"-w", "--no-journal", "-s", "cp1251"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        TempDir dir;
        args.push_back(dir.put("song.mp3", original));
        const RunResult run = runInProcess(args);
        EXPECT_EQ(run.status, 0);
        EXPECT_TRUE(readFile(args.back()) == original) << "the preview wrote the file";
        const size_t id3v2At = run.out.find("\tid3v2:");
        ASSERT_NE(id3v2At, std::string::npos);
        const std::string id3v1Part = run.out.substr(0, id3v2At), id3v2Part = run.out.substr(id3v2At);
        for (const auto& [part, text] : {std::pair{id3v1Part, c.id3v1}, std::pair{id3v2Part, c.id3v2}}) {
            if (text.empty())
                continue;
            EXPECT_NE(part.find(titleLine + text + "\n"), std::string::npos) << "the title is not shown whole";
            EXPECT_NE(part.find(commentLine + text + "\n"), std::string::npos) << "the comment is not shown whole";
        }
    }
}

// Files the ordinary way refuses are refused as well when the tag is read
// cut short, and left as they were: a byte cp1251 has no character for, far
// into the title (the whole text is converted, not only what the ID3v1 tag
// keeps of it), and audio the tag's size takes in (MPEG frames in its
// padding), which would go with the tag.
TEST(ShortenedFrames, FilesTheOrdinaryWayRefusesAreRefusedAndLeftAsTheyWere)
{
    const struct {
        const char* name;
        std::string original;
    } cases[] = {
        {"a title that does not convert past its head",
         id3v23Tag(textFrame("TIT2", letters(kLarge) + "\x98" + letters(kLarge)), 0) + mpegFrames(12)},
        {"audio inside the tag",
         id3v23Tag(textFrame("TIT2", letters(2 * kLarge)) + std::string(100, '\0') + mpegFrames(8), 0)
             + mpegFrames(12)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int status = -1;
        const std::string written =
            runOn(c.original, {"-q", "-k", "--no-journal", "-s", "cp1251", "-1", "cp1251", "-2", "none"}, status);
        EXPECT_EQ(status, 1);
        EXPECT_TRUE(written == c.original) << "the file was written";
    }
}

// The staged save of a tag read cut short: TagLib reads the head of each
// large field, the whole text comes from the file, and the commit writes the
// file only where the tag is gone, as the ordinary reading writes it.
TEST(ShortenedFrames, ATagReadCutShortIsNeverWrittenBack)
{
    const std::string title = letters(2 * kLarge);
    const std::string original =
        id3v23Tag(textFrame("TIT2", title) + textFrame("TPE1", "Band"), 50) + mpegFrames(12);
    const int kId3v1 = TagLib::MPEG::File::ID3v1;
    const int kBoth = kId3v1 | TagLib::MPEG::File::ID3v2;
    const struct {
        const char* name;
        int saved;  // the tags saved, -1: no save
        bool id3v2Written;
        bool written;
    } cases[] = {
        {"the tag removed", kId3v1, false, true},
        {"the tag saved", kBoth, true, false},
        {"the tag saved, said to go", kBoth, false, false},
        {"nothing saved", -1, false, false},
    };
    TempDir dir;
    const std::string reference = dir.put("reference.mp3", original);
    {
        io::StagedFile ordinary(reference, TagLib::ID3v2::FrameFactory::instance());
        ASSERT_TRUE(mp3::stripAndSave(ordinary.file(), kId3v1, 4));
        ASSERT_TRUE(ordinary.commit({false, 4, {}}).written);
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.put("song.mp3", original);
        io::StagedFile staged(path, TagLib::ID3v2::FrameFactory::instance(), io::kWholeReadLimit, nullptr,
                              sys::FolderCache::kByName, true);
        ASSERT_EQ(staged.shortenedTexts().size(), 1u);
        const io::ShortenedText& text = staged.shortenedTexts().front();
        EXPECT_EQ(staged.file().tag()->title(), TagLib::String(title.substr(0, text.head.size())));
        EXPECT_EQ(staged.file().tag()->artist(), "Band");
        EXPECT_TRUE(staged.wholeText(text) == title);
        if (c.saved >= 0) {
            ASSERT_TRUE(mp3::stripAndSave(staged.file(), c.saved, 4));
        }
        const io::CommitResult result = staged.commit({c.id3v2Written, 4, {}});
        EXPECT_EQ(result.written, c.written);
        if (c.written) {
            EXPECT_TRUE(readFile(path) == readFile(reference)) << "written otherwise than the ordinary way";
        } else {
            EXPECT_TRUE(result.refused);
            EXPECT_EQ(result.error, messages::kShortenedTagKept);
            EXPECT_TRUE(readFile(path) == original) << "a tag read cut short was written";
        }
    }
}

}  // namespace
}  // namespace tagshifter::test
