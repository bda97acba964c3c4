// The quick reader of the five fields gives the guess the very texts TagLib
// gives the conversion, wherever it reads a file at all.
#include "guess/quick_fields.h"

#include "convert/frame_factory.h"
#include "convert/source_texts.h"
#include "io/original_file.h"
#include "support/fixtures.h"
#include "support/tag_layouts.h"

#include <taglib/mpegfile.h>

#include <gtest/gtest.h>

#include <set>

namespace tagshifter::test {
namespace {

std::vector<LabelledText> throughTagLib(const std::string& path, bool preserveUnicode)
{
    FrameFactory factory;
#if TAGLIB_MAJOR_VERSION >= 2
    TagLib::MPEG::File file(path.c_str(), false, TagLib::AudioProperties::Fast, &factory);
#else
    TagLib::MPEG::File file(path.c_str(), &factory, false, TagLib::AudioProperties::Fast);
#endif
    return sourceTexts(*file.tag(), file.ID3v2Tag(), false, preserveUnicode, true);
}

std::string withTrack(std::string block)  // ID3v1.1: the comment leaves room for a track
{
    block[126] = 7;
    return block;
}

TEST(QuickFields, ReadsWhatTagLibReadsOrLeavesTheFileToIt)
{
    std::vector<TagLayout> cases = tagLayouts();
    const std::string audio = mpegFrames(4);
    const std::string title = kPrivetCp1251, v1 = id3v1Block("v1 title", "v1 artist", "v1 album",
                                                              "1999", "v1 comment  ", 17);
    const std::vector<std::pair<std::string, std::string>> tags = {
        {"DescribedCommentFirst", describedFrame("COMM", 0, "desc", "first") + commentFrame("second")},
        {"OnlyDescribedComment", describedFrame("COMM", 0, "desc", "only " + title)},
        {"DescriptionWithoutText", describedFrame("COMM", 0, "desc", "") + textFrame("TIT2", title)},
        {"NumberedGenre", textFrame("TCON", "17") + textFrame("TPE1", title)},
        {"GenreReference", textFrame("TCON", "(17)" + title)},
        {"EmptyTitleFrame", textFrame("TIT2", "") + textFrame("TALB", title)},
        {"TwoValues", textFrame("TIT2", title + std::string(1, '\0') + "two")},
        {"TrailingZeros", textFrame("TIT2", title + std::string(3, '\0'))},
        {"Utf16Title", textFrame("TIT2", utf16WithBom("Été"), 1)},
        {"DroppedFrameFirst",
         id3v23Frame("TDAT", std::string(1, '\0') + "0101") + textFrame("TIT2", title)},
    };
    for (const auto& [name, frames] : tags) {
        cases.push_back({name, id3v23Tag(frames, 64) + audio + v1, {}});
        cases.push_back({name + "V11", id3v23Tag(frames, 64) + audio + withTrack(v1), {}});
    }

    const std::string titleFrame = id3v24Frame("TIT2", std::string(1, '\0') + title);
    const std::string padding(64, '\0');
    const std::string bigFrame = id3v24Frame("PRIV", std::string(300, 'x'));
    cases.push_back({"Id3v24BigFrameLast", id3v2Tag(4, 0, titleFrame + bigFrame + padding) + audio, {}});
    // iTunes wrote ID3v2.4 frame sizes as plain numbers (300 here, 172 read sync-safe).
    const std::string plainSized = "PRIV" + std::string("\0\0\x01\x2C\0\0", 6) + std::string(300, 'x');
    cases.push_back(
        {"Id3v24PlainFrameSize", id3v2Tag(4, 0, plainSized + titleFrame + padding) + audio, {}});

    TempDir dir;
    std::set<std::string> quick;
    for (const auto& layout : cases) {
        const std::string path = dir.put(layout.name + ".mp3", layout.bytes);
        const io::OriginalFile file(path);
        ASSERT_TRUE(file.isOpen()) << layout.name;
        const auto fields = guess::readQuickFiveFields(file.fd(), file.size());
        if (!fields)
            continue;
        quick.insert(layout.name);
        for (bool preserveUnicode : {false, true})
            EXPECT_EQ(sourceTexts(*fields, preserveUnicode), throughTagLib(path, preserveUnicode))
                << layout.name << (preserveUnicode ? " with -p" : "");
    }
    // The layouts of everyday libraries must take the quick way.
    for (const char* name : {"Id3v23NoPadding", "Id3v24", "LargePadding", "Id3v23AndId3v1",
                             "DescribedCommentFirst", "OnlyDescribedComment", "NumberedGenre",
                             "EmptyTitleFrameV11", "TrailingZeros", "Id3v24BigFrameLast",
                             "Id3v24PlainFrameSize"})
        EXPECT_EQ(quick.count(name), 1u) << name;
    for (const char* name : {"Id3v22", "Id3v23Unsynchronised", "ApeAndId3v1", "Id3v1Only",
                             "GenreReference", "TwoValues", "Utf16Title", "DroppedFrameFirst"})
        EXPECT_EQ(quick.count(name), 0u) << name;
}

}  // namespace
}  // namespace tagshifter::test
