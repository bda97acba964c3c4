// The fixtures must be what TagLib reads as legacy tags, or every other test
// would be checking the wrong thing.
#include "support/fixtures.h"

#include <taglib/apetag.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <gtest/gtest.h>

namespace tagshifter::test {
namespace {

TEST(Fixtures, TagLibReadsEveryLayout)
{
    TempDir dir;
    const std::string path = dir.file("all.mp3");
    writeFile(path, id3v23Tag(textFrame("TIT2", kPrivetCp1251) + commentFrame("note"), 64)
                        + mpegFrames(20) + apeTag({{"Title", "ape title"}})
                        + id3v1Block("v1 title", "v1 artist", "v1 album", "1999", "c", 17));
    TagLib::MPEG::File file(path.c_str(), true, TagLib::AudioProperties::Average);
    ASSERT_TRUE(file.isOpen());
    ASSERT_NE(file.audioProperties(), nullptr);
    EXPECT_EQ(file.audioProperties()->bitrate(), 128);
    ASSERT_TRUE(file.hasID3v2Tag());
    EXPECT_EQ(file.ID3v2Tag()->header()->majorVersion(), 3u);
    EXPECT_EQ(file.ID3v2Tag()->title().to8Bit(false), kPrivetCp1251);
    EXPECT_EQ(file.ID3v2Tag()->comment().to8Bit(false), "note");
    ASSERT_TRUE(file.hasAPETag());
    EXPECT_EQ(file.APETag()->title().to8Bit(false), "ape title");
    ASSERT_TRUE(file.hasID3v1Tag());
    EXPECT_EQ(file.ID3v1Tag()->album().to8Bit(false), "v1 album");
    EXPECT_EQ(file.ID3v1Tag()->genre().to8Bit(false), "Rock");
}

TEST(Fixtures, ProgramRunsAndReportsStatus)
{
    const RunResult result = runProgram({"-v"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out.rfind("tagshifter 1.2.1\n", 0), 0u);
}

}  // namespace
}  // namespace tagshifter::test
