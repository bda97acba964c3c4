// The guard on TagLib's reading: a field's frame that holds text for the
// tool's own reader must hold text as TagLib read it, or the file is kept.
#include "io/read_guard.h"
#include "support/fixtures.h"
#include "support/tag_layouts.h"

#include <taglib/id3v2frame.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <gtest/gtest.h>

namespace tagshifter::test {
namespace {

TEST(ReadGuard, AFieldTagLibReadsAsEmptyIsCaught)
{
    const std::string title = textFrame("TIT2", "Title");
    const std::string v22Title = id3v2Tag(2, 0, id3v22Frame("TT2", std::string("\0Title", 6)));
    std::string grouped = id3v23Frame("TPE1", std::string("\x41\0Artist", 8));  // group 0x41, encoding, text
    grouped[9] = 0x20;
    const struct {
        const char* name;
        std::string tag;
        const char* emptied;  // the frame TagLib is made to read as empty, or nullptr
        const char* reason;   // nullptr: TagLib's reading is trusted
    } cases[] = {
        {"title read as TagLib reads it", id3v23Tag(title), nullptr, nullptr},
        {"title read as empty", id3v23Tag(title), "TIT2",
         "frame TIT2 holds text that TagLib reads as empty"},
        {"ID3v2.2 title, renamed by TagLib, read as empty", v22Title, "TIT2",
         "frame TIT2 holds text that TagLib reads as empty"},
        {"comment read as empty", id3v23Tag(title + commentFrame("note")), "COMM",
         "frame COMM holds text that TagLib reads as empty"},
        {"one of two artists read", id3v23Tag(textFrame("TPE1", "A") + textFrame("TPE1", "B")), "TPE1", nullptr},
        {"a title of only a byte order mark holds none", id3v23Tag(textFrame("TIT2", "\xFF\xFE", 1)), "TIT2",
         nullptr},
        {"a comment of only a description holds none", id3v23Tag(title + describedFrame("COMM", 0, "d", "")),
         "COMM", nullptr},
        {"a genre of () holds none", id3v23Tag(textFrame("TCON", "()")), "TCON", nullptr},
        {"other frames are the frame guard's", id3v23Tag(title + textFrame("TPE2", "x")), "TPE2", nullptr},
        // TagLib takes the group byte for the text's encoding.
        {"grouped artist, read as other text", id3v23Tag(title + grouped), nullptr,
         "frame TPE1 is grouped or encrypted, which TagLib does not keep"},
        {"compressed ID3v2.2 tag, of which TagLib reads no frame",
         id3v2Tag(2, 0x40, "x\x9C" + id3v22Frame("TT2", std::string("\0Title", 6))), nullptr,
         "the tag's frames cannot be read"},
        // The walk stops at a frame of no content: the artist behind it goes unread.
        {"an artist behind a frame that stops the walk",
         id3v2Tag(4, 0, id3v24Frame("TIT2", std::string("\0T", 2)) + id3v24Frame("TPE2", "") + textFrame("TPE1", "A")),
         nullptr, "the tag cannot be read past frame TIT2"},
        {"a genre of no name holds none", id3v23Tag(textFrame("TCON", "(255)")), "TCON", nullptr},
        // TagLib reads encoding 4 as UTF-16: other characters.
        {"title in an encoding ID3v2 does not have", id3v23Tag(textFrame("TIT2", "Title", 4)), nullptr,
         "frame TIT2 holds text in an encoding ID3v2 does not have, which TagLib misreads"},
        // TagLib 1.13 reads the next frame's bytes into the title, 2.x none.
        {"title whose data length reaches past it",
         id3v2Tag(4, 0, id3v24Frame("TIT2", std::string("\0\0\x02\x2C\0Title", 10), 0x01) + textFrame("TPE1", "A")),
         nullptr, "frame TIT2 gives a data length by which TagLib misreads it"},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.put("song.mp3", c.tag + mpegFrames(4));
        const auto raw = io::readRawTag(c.tag);
        ASSERT_TRUE(raw.has_value());
        TagLib::MPEG::File file(path.c_str(), false);
        TagLib::ID3v2::Tag* tag = file.ID3v2Tag();
        ASSERT_NE(tag, nullptr);
        if (c.emptied) {
            const TagLib::ID3v2::FrameList& frames = tag->frameList(c.emptied);
            ASSERT_FALSE(frames.isEmpty());
            frames.front()->setText(TagLib::String());
        }
        const auto reason = io::findMisreadFrame(*raw, *tag);
        if (c.reason == nullptr)
            EXPECT_FALSE(reason.has_value()) << *reason;
        else
            EXPECT_EQ(reason.value_or(""), c.reason);
    }
}

TEST(ReadGuard, AFieldInASecondTagIsCaught)
{
    const struct {
        const char* name;
        std::string second;
        const char* reason;  // nullptr: nothing unread
    } cases[] = {
        {"album in the second tag", id3v2Tag(4, 0, id3v24Frame("TALB", std::string("\0Album", 6))),
         "frame TALB would be lost"},
        {"only a frame of no field there", id3v2Tag(4, 0, id3v24Frame("TPE2", std::string("\0Band", 5))), nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string first = id3v23Tag(textFrame("TIT2", "Title"));
        std::vector<io::RawTag> tags = {*io::readRawTag(first), *io::readRawTag(c.second)};
        const auto reason = io::findUnreadField(tags);
        EXPECT_EQ(reason.value_or(""), c.reason ? c.reason : "");
    }
}

}  // namespace
}  // namespace tagshifter::test
