// The preview listing: both target tags as they stand after conversion,
// printed as raw bytes.
#include "convert/tag_converter.h"

#include "support/fixtures.h"

#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>

#include <gtest/gtest.h>

#include <string>

namespace tagshifter::test {
namespace {

TagLib::String latin1(const std::string& bytes)
{
    return TagLib::String(bytes, TagLib::String::Latin1);
}

// The five field lines of an enabled target.
std::string fieldLines(const std::string& title, const std::string& artist, const std::string& album,
                       const std::string& comment, const std::string& genre)
{
    return "\t\tTitle:\t\t" + title + "\n\t\tArtist:\t\t" + artist + "\n\t\tAlbum:\t\t" + album
           + "\n\t\tComment:\t" + comment + "\n\t\tGenre:\t\t" + genre + "\n";
}

class PreviewTest : public testing::Test {
protected:
    // Builds the converter and runs the five fields through it as the file
    // loop does, then returns the listing.
    std::string convertAndList(const char* source, const char* id3v1, const char* id3v2,
                               const std::string& fileName, const std::string& title = "",
                               const std::string& artist = "", const std::string& genre = "")
    {
        TagConverter converter(SourceEncoding::parse(source), TargetEncoding::parse(id3v1, true),
                         TargetEncoding::parse(id3v2, false), &v1, &v2, false);
        converter.convertField(latin1(title), &TagLib::Tag::setTitle);
        converter.convertField(latin1(artist), &TagLib::Tag::setArtist);
        converter.convertField(TagLib::String(), &TagLib::Tag::setAlbum);
        converter.convertField(TagLib::String(), &TagLib::Tag::setComment);
        converter.convertField(latin1(genre), &TagLib::Tag::setGenre);
        std::string listing;
        for (const std::string& line : converter.preview(fileName))
            listing += line;
        return listing;
    }

    TagLib::ID3v1::Tag v1;
    TagLib::ID3v2::Tag v2;
};

TEST_F(PreviewTest, ListsCp1251TitleAsUnicode)
{
    EXPECT_EQ(convertAndList("cp1251", "none", "unicode", "song.mp3",
                             "\xCF\xF0\xE8\xE2\xE5\xF2", "Band", "Rock"),
              "song.mp3\n"
              "\tid3v1:\n"
              "\t\tempty.\n"
              "\tid3v2:\n"
              "\t\tTitle:\t\t\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\n"
              "\t\tArtist:\t\tBand\n"
              "\t\tAlbum:\t\t\n"
              "\t\tComment:\t\n"
              "\t\tGenre:\t\tRock\n");
}

TEST_F(PreviewTest, DisabledTargetsSayEmptyWhateverTheirTagsHold)
{
    v1.setTitle("left over");
    v2.setTitle("left over");
    EXPECT_EQ(convertAndList("cp1251", "none", "none", "a.mp3", "new"),
              "a.mp3\n\tid3v1:\n\t\tempty.\n\tid3v2:\n\t\tempty.\n");
}

TEST_F(PreviewTest, EnabledTargetsListEmptyFields)
{
    EXPECT_EQ(convertAndList("cp1251", "cp1251", "unicode", "b.mp3"),
              "b.mp3\n\tid3v1:\n" + fieldLines("", "", "", "", "") + "\tid3v2:\n"
                  + fieldLines("", "", "", "", ""));
}

TEST_F(PreviewTest, CodePageTargetsListCodePageBytes)
{
    // The name is printed as it is, conversion characters included.
    EXPECT_EQ(convertAndList("cp1251", "koi8-r", "cp1251", "100% %s.mp3", kPrivetCp1251, "Band", "Rock"),
              "100% %s.mp3\n\tid3v1:\n" + fieldLines(kPrivetKoi8r, "Band", "", "", "Rock") + "\tid3v2:\n"
                  + fieldLines(kPrivetCp1251, "Band", "", "", "Rock"));
}

TEST_F(PreviewTest, FieldEndsAtZeroByte)
{
    EXPECT_EQ(convertAndList("cp1251", "cp1251", "unicode", "c.mp3", std::string("ab\0cd", 5), "x\xE0"),
              "c.mp3\n\tid3v1:\n" + fieldLines("ab", "x\xE0", "", "", "") + "\tid3v2:\n"
                  + fieldLines("ab", "x\xD0\xB0", "", "", ""));
    ASSERT_EQ(v2.title().size(), 5u);  // the zero byte survived the conversion
}

}  // namespace
}  // namespace tagshifter::test
