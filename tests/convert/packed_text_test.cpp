// Large texts are written from the bytes they convert to, not through
// TagLib's strings: the file must come out as the ordinary way writes it,
// every text set on the tags as a TagLib string, with --json too.
#include "app/file_loop.h"
#include "convert/source_texts.h"
#include "convert/tag_converter.h"
#include "mp3/mp3_format.h"
#include "support/fixtures.h"
#include "support/id3_reader.h"
#include "sys/folder.h"
#include "text/fields.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace tagshifter::test {
namespace {

std::string repeated(const std::string& piece, size_t size)
{
    std::string text;
    while (text.size() < size)
        text += piece;
    return text.substr(0, size);
}

std::vector<std::string> idsOf(const std::string& file)
{
    std::vector<std::string> ids;
    if (const auto tag = readId3v2(file))
        for (const Id3v2Frame& frame : tag->frames)
            ids.push_back(frame.id);
    return ids;
}

// `path` converted from cp1251 with the targets of `args` (and -a) the
// ordinary way: each text set on the tags as a TagLib string, none packed.
std::string writtenTheOrdinaryWay(const std::string& path, const std::vector<std::string>& args)
{
    TargetEncoding id3v1 = TargetEncoding::parse("none", true), id3v2 = TargetEncoding::parse("none", false);
    int version = 4;
    bool allFrames = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-1" || args[i] == "-2")
            (args[i] == "-1" ? id3v1 : id3v2) = TargetEncoding::parse(args[i + 1], args[i] == "-1");
        version = args[i] == "--id3v2.3" ? 3 : version;
        allFrames = allFrames || args[i] == "-a";
    }
    mp3::Mp3Format format(id3v2, version);
    sys::FolderCache folders;
    const auto file = format.open(path, folders, sys::FolderCache::kByName);
    TagConverter converter(SourceEncoding::parse("cp1251"), id3v1, id3v2, file->legacyTag(), file->mainTag(), false);
    converter.cutId3v1ToRoom();
    std::array<TagLib::String, kTagFields.size()> values;
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = fieldText(file->texts(), file->mainTag(), kTagFields[i]);
    if (allFrames)
        converter.convertOtherFrames(version);
    for (size_t i = 0; i < values.size(); ++i)
        converter.convertField(values[i], kTagFields[i].set);
    converter.finishId3v1();
    const format::TagsWritten written{converter.isId3v1Enabled(), converter.isId3v2Enabled(), version};
    EXPECT_TRUE(file->save(written));
    EXPECT_TRUE(file->commit(written, {}).written);
    return readFile(path);
}

// Converts `original` with `args` as a run does (large texts packed), and
// the ordinary way; the two files as written. A run with --json, whose
// report keeps the texts, must write the same; `report`: what it printed.
std::pair<std::string, std::string> packedAndOrdinary(const std::string& original, std::vector<std::string> args,
                                                      std::string* report = nullptr)
{
    TempDir dir;
    const std::string packed = dir.put("packed.mp3", original);
    const std::string reported = dir.put("reported.mp3", original);
    const std::string ordinary = writtenTheOrdinaryWay(dir.put("ordinary.mp3", original), args);
    std::vector<std::string> withJson = args;
    withJson.push_back("--json");
    args.push_back(packed);
    withJson.push_back(reported);
    EXPECT_EQ(runInProcess(args).status, 0);
    const RunResult json = runInProcess(withJson);
    EXPECT_EQ(json.status, 0);
    if (report)
        *report = json.out;
    EXPECT_TRUE(readFile(reported) == ordinary) << "--json wrote the large texts otherwise";
    return {readFile(packed), ordinary};
}

TEST(PackedText, ALargeTextIsWrittenAsTheOrdinaryWayWritesIt)
{
    const size_t large = 300 << 10;  // past the size at which texts are packed
    const std::string title = repeated(kPrivetCp1251 + " ", large);
    const std::string picture = id3v23Frame("APIC", std::string("\0image/png\0\x03\0", 13) + std::string(5000, 'P'));
    // The large title stands between other frames; the large comment is the
    // second COMM, after one with a description.
    const std::string original =
        id3v23Tag(textFrame("TPE1", kPrivetCp1251) + textFrame("TIT2", title)
                      + describedFrame("COMM", 0, "note", kPrivetCp1251) + picture
                      + describedFrame("COMM", 0, "", repeated(kPrivetCp1251, large + 3)) + textFrame("TRCK", "7"),
                  100)
        + mpegFrames(12) + id3v1Block("old", "old", "old");
    // Its 6 letters and a space are 13 bytes in UTF-8.
    const std::string titleUtf8 =
        repeated(kPrivetUtf8 + " ", large / 7 * 13) + kPrivetUtf8.substr(0, large % 7 * 2);
    // The album comes from the old ID3v1 tag.
    const std::vector<std::string> kIds = {"TPE1", "TIT2", "COMM", "APIC", "COMM", "TRCK", "TALB"};
    const struct {
        std::vector<std::string> targets;
        std::vector<std::string> ids;  // the frames written, in order
        uint8_t encoding;              // the title's
    } cases[] = {
        {{"-2", "unicode"}, kIds, 3},
        {{"-2", "unicode", "--id3v2.3"}, kIds, 1},
        {{"-2", "cp1251"}, kIds, 0},
        {{"-1", "cp1251", "-2", "unicode", "--id3v2.3"}, kIds, 1},
        {{"-1", "cp1251"}, {}, 0},
    };
    for (const auto& c : cases) {
        std::string name;
        for (const std::string& word : c.targets)
            name += word + " ";
        SCOPED_TRACE(name);
        std::vector<std::string> args = {"-q", "--no-journal", "-s", "cp1251"};
        args.insert(args.end(), c.targets.begin(), c.targets.end());
        std::string report;
        const auto [written, ordinary] = packedAndOrdinary(original, args, &report);
        EXPECT_TRUE(written == ordinary) << "the large texts were written otherwise";
        // The report's text, let go while the file was saved, made again.
        EXPECT_NE(report.find("\"after\":\"" + titleUtf8 + "\""), std::string::npos) << "the title's after";
        EXPECT_EQ(idsOf(written), c.ids);
        EXPECT_TRUE(audioBytes(written) == audioBytes(original)) << "the audio changed";
        if (c.ids.empty())
            continue;
        const auto tag = readId3v2(written);
        ASSERT_TRUE(tag);
        const auto text = frameText(*tag, "TIT2");
        ASSERT_TRUE(text);
        EXPECT_EQ(text->encoding, c.encoding);
        if (c.encoding == 0)
            EXPECT_TRUE(text->bytes == title) << "the title changed";
        else
            EXPECT_TRUE(toUtf8(*text) == titleUtf8) << "the title was not converted whole";
        const std::string& image = tag->frames[3].body;  // its description's encoding is the target's
        EXPECT_TRUE(image.size() > 5000 && image.substr(image.size() - 5000) == std::string(5000, 'P'))
            << "the picture changed";
    }
}

// Under -a the large TXXX, USLT and described COMM are packed too: one of
// them in a UTF-16 frame, the comment field read from a described COMM
// (there is none without), which its setter then finds packed.
TEST(PackedText, LargeFramesUnderAllFramesAreWrittenAsTheOrdinaryWayWritesThem)
{
    const size_t large = 300 << 10;
    const std::string letters = repeated(kPrivetCp1251 + " ", large);
    const std::string lettersUtf8 = repeated(kPrivetUtf8 + " ", large / 7 * 13) + kPrivetUtf8.substr(0, large % 7 * 2);
    const std::string original =
        id3v23Tag(textFrame("TIT2", kPrivetCp1251) + describedFrame("TXXX", 0, "notes", letters)
                      + describedFrame("COMM", 0, "liner", letters + "1")
                      + describedFrame("USLT", 1, utf16WithBom("\xD1\x82"), utf16WithBom(lettersUtf8))
                      + describedFrame("TXXX", 0, "short", kPrivetCp1251),
                  100)
        + mpegFrames(12);
    const std::vector<std::vector<std::string>> targets = {
        {"-2", "unicode"}, {"-2", "unicode", "--id3v2.3"}, {"-2", "cp1251"}, {"-1", "cp1251", "-2", "unicode"}};
    for (const auto& target : targets) {
        SCOPED_TRACE(target.back());
        std::vector<std::string> args = {"-q", "--no-journal", "-a", "-s", "cp1251"};
        args.insert(args.end(), target.begin(), target.end());
        const auto [written, ordinary] = packedAndOrdinary(original, args);
        EXPECT_TRUE(written == ordinary) << "the large frames were written otherwise";
        const auto tag = readId3v2(written);
        ASSERT_TRUE(tag);
        const std::vector<DescribedText> texts = describedTexts(*tag);
        ASSERT_EQ(texts.size(), 5u);
        if (target[1] == "cp1251")
            continue;  // the code page's bytes, as the ordinary way writes them
        EXPECT_EQ(texts[1].description, "notes");
        EXPECT_TRUE(texts[1].text == lettersUtf8) << "TXXX was not converted whole";
        EXPECT_EQ(texts[2].description, "liner");
        EXPECT_TRUE(texts[2].text == lettersUtf8 + "1") << "COMM was not converted whole";
        // A Unicode frame's text is kept as it is.
        EXPECT_TRUE(texts[3].text == lettersUtf8) << "USLT changed";
    }
}

}  // namespace
}  // namespace tagshifter::test
