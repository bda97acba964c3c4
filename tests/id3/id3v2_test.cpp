// The frame walk against TagLib's own reading of the same bytes: where the
// walk says it read every frame, TagLib lists the very same frames.
#include "id3/id3v2.h"
#include "support/fixtures.h"
#include "support/tag_layouts.h"

#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <gtest/gtest.h>

namespace tagshifter::test {
namespace {

std::vector<std::string> throughTagLib(const std::string& path)
{
    TagLib::MPEG::File file(path.c_str(), false);
    std::vector<std::string> ids;
    if (TagLib::ID3v2::Tag* tag = file.ID3v2Tag())
        for (const TagLib::ID3v2::Frame* frame : tag->frameList())
            ids.push_back(frame->frameID().data() ? std::string(frame->frameID().data(), 4) : "");
    return ids;
}

TEST(FrameWalk, ReadsTheFramesTagLibReads)
{
    const std::string title = id3v24Frame("TIT2", std::string("\0title", 6));
    const std::string tsse = id3v24Frame("TSSE", std::string("\0enc", 4));
    auto plainSized = [](uint32_t size) {  // a TXXX frame whose size is a plain number
        const std::string body = std::string("\0d\0", 3) + std::string(size - 3, 'x');
        return "TXXX" + std::string{0, 0, static_cast<char>(size >> 8), static_cast<char>(size & 0xFF), 0, 0}
               + body;
    };
    const std::string padding(32, '\0');
    const struct {
        const char* name;
        std::string frames;
        bool complete;
    } cases[] = {
        {"plain size, not sync-safe", title + plainSized(200) + tsse + padding, true},
        {"plain size, sync-safe bytes", title + plainSized(300) + tsse + padding, true},
        {"plain size before padding: read sync-safe", title + plainSized(300) + padding, false},
        {"frame of no content", title + id3v24Frame("TXXX", "") + tsse + padding, false},
        {"no frame id", title + "junk!" + tsse + padding, false},
        {"frame longer than the tag", title + id3v24Frame("TSSE", std::string(40, 'x')).substr(0, 30), false},
        {"no padding", title + tsse, true},
        {"frame behind stray bytes in the padding", title + padding + "x\x01" + tsse + padding, false},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string tag = id3v2Tag(4, 0, c.frames);
        const auto header = id3::readTagHeader(tag);
        ASSERT_TRUE(header.has_value());
        const id3::FrameWalk walk = id3::walkFrames(id3::frameArea(*header, tag.substr(10)), 4);
        std::vector<std::string> ids;
        for (const id3::Frame& frame : walk.frames)
            ids.push_back(frame.id);
        EXPECT_EQ(walk.complete, c.complete);
        const std::vector<std::string> tagLib = throughTagLib(dir.put("song.mp3", tag + mpegFrames(4)));
        if (walk.complete)
            EXPECT_EQ(ids, tagLib);
        else  // the guard refuses the file: TagLib must not have read less
            EXPECT_EQ(std::vector<std::string>(tagLib.begin(), tagLib.begin() + std::min(ids.size(), tagLib.size())), ids);
    }
}

}  // namespace
}  // namespace tagshifter::test
