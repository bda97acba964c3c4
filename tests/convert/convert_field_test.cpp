// Converting one field: the preserve-unicode rule, the string type each
// target tag gets, and the order and independence of the two target steps.
#include "convert/tag_converter.h"

#include "common/error.h"
#include "support/fixtures.h"
#include "support/id3_reader.h"

#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace tagshifter::test {
namespace {

using Codes = std::vector<unsigned>;

TagLib::String latin1(const std::string& bytes)
{
    return TagLib::String(bytes, TagLib::String::Latin1);
}

TagLib::String fromCodes(const Codes& codes)
{
    return TagLib::String(std::wstring(codes.begin(), codes.end()));
}

Codes codesOf(const TagLib::String& text)
{
    return Codes(text.begin(), text.end());
}

const Codes kPrivetRead = {207, 240, 232, 226, 229, 242};  // cp1251 bytes read as Latin-1
const Codes kPrivet = {0x41F, 0x440, 0x438, 0x432, 0x435, 0x442};

// Tags that log every title they are given, to show the order of the steps.
template <class Base>
class RecordingTag : public Base {
public:
    RecordingTag(const char* name, std::vector<std::string>& log) : name_(name), log_(log) {}
    void setTitle(const TagLib::String& s) override
    {
        log_.push_back(name_ + ":" + s.to8Bit(true));
        Base::setTitle(s);
    }

private:
    std::string name_;
    std::vector<std::string>& log_;
};

class ConvertFieldTest : public testing::Test {
protected:
    std::unique_ptr<TagConverter> converter(const std::string& source, const std::string& id3v1,
                                            const std::string& id3v2, bool preserve = false)
    {
        return std::make_unique<TagConverter>(SourceEncoding::parse(source), TargetEncoding::parse(id3v1, true),
                                          TargetEncoding::parse(id3v2, false), &v1, &v2, preserve);
    }

    void fillWithOld()
    {
        v1.setTitle("old");
        v2.setTitle("old");
    }

    static void expectEncodingError(TagConverter& converter, const TagLib::String& value)
    {
        try {
            converter.convertField(value, &TagLib::Tag::setTitle);
            ADD_FAILURE() << "the value was accepted";
        } catch (const Error& message) {
            EXPECT_STREQ(message.what(), "Error during encoding.\n");
        }
    }

    TagLib::ID3v1::Tag v1;
    TagLib::ID3v2::Tag v2;
};

TEST_F(ConvertFieldTest, Utf8TextFollowsThePreserveUnicodeRule)
{
    const struct { const char* source; bool preserve; Codes value; std::string utf8; } cases[] = {
        // With -p: recoded only when more than half the characters are 128..255
        // and none is 256 or more.
        {"utf-16le", true, {72, 105, 33, 33}, "Hi!!"},
        {"cp1251", true, {67, 97, 102, 233}, "Caf\xC3\xA9"},
        {"cp1251", true, kPrivetRead, kPrivetUtf8},
        {"cp1251", true, {65, 98, 192, 193}, "Ab\xC3\x80\xC3\x81"},
        {"cp1251", true, {65, 192, 193}, "A\xD0\x90\xD0\x91"},
        {"cp1251", true, {65, 128, 255}, "A\xD0\x82\xD1\x8F"},
        {"cp1251", true, {127, 65, 128, 255}, "\x7F" "A\xC2\x80\xC3\xBF"},
        {"cp1251", true, {207, 240, 937}, "\xC3\x8F\xC3\xB0\xCE\xA9"},
        {"cp1251", true, {207, 240, 256}, "\xC3\x8F\xC3\xB0\xC4\x80"},
        {"cp1251", true, {207, 240, 232, 226, 229, 242, 937}, "\xC3\x8F\xC3\xB0\xC3\xA8\xC3\xA2\xC3\xA5\xC3\xB2\xCE\xA9"},
        {"cp1251", true, {}, ""},
        // Without -p every value is recoded from the source code page.
        {"utf-16le", false, {72, 105, 33, 33}, "\xE6\xA5\x88\xE2\x84\xA1"},
        {"cp1251", false, {67, 97, 102, 233}, "Caf\xD0\xB9"},
        {"cp1251", false, {65, 98, 192, 193}, "Ab\xD0\x90\xD0\x91"},
        {"cp1251", false, kPrivetRead, kPrivetUtf8},
        {"cp1251", false, {}, ""},
        // Without -p too, a character from U+0100 up marks text that is
        // Unicode already: taken as it is, never cut to bytes.
        {"cp1251", false, kPrivet, kPrivetUtf8},
        {"cp1251", false, {0x7F6A, 0x3068, 0x7F70}, "\xE7\xBD\xAA\xE3\x81\xA8\xE7\xBD\xB0"},
        {"cp1251", false, {207, 240, 256}, "\xC3\x8F\xC3\xB0\xC4\x80"},
        {"koi8-r", false, {0x41F, 0x440, 0x438, 0x432, 0x435, 0x442}, kPrivetUtf8},
        // A "unicode" source takes the characters as they are, -p or not.
        {"unicode", true, kPrivetRead, "\xC3\x8F\xC3\xB0\xC3\xA8\xC3\xA2\xC3\xA5\xC3\xB2"},
        {"unicode", true, kPrivet, kPrivetUtf8},
        {"unicode", false, {65, 192, 937}, "A\xC3\x80\xCE\xA9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.source << (c.preserve ? " -p " : " ")
                                        << testing::PrintToString(c.value));
        // A UTF-8 ID3v2 target shows the UTF-8 text of the field unchanged.
        converter(c.source, "none", "unicode", c.preserve)->convertField(fromCodes(c.value), &TagLib::Tag::setTitle);
        EXPECT_EQ(v2.title().to8Bit(true), c.utf8);
    }
}

TEST_F(ConvertFieldTest, EachTargetGetsItsStringType)
{
    const struct { const char *id3v1, *id3v2; Codes id3v1Title, id3v2Title; } cases[] = {
        // Code page bytes travel one per character; only "unicode" decodes.
        {"koi8-r", "cp1251", codesOf(latin1(kPrivetKoi8r)), kPrivetRead},
        {"utf-8", "utf-8", codesOf(latin1(kPrivetUtf8)), codesOf(latin1(kPrivetUtf8))},
        {"cp1251", "unicode", kPrivetRead, kPrivet},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.id3v1 << " / " << c.id3v2);
        converter("cp1251", c.id3v1, c.id3v2)->convertField(latin1(kPrivetCp1251), &TagLib::Tag::setTitle);
        EXPECT_EQ(codesOf(v1.title()), c.id3v1Title);
        EXPECT_EQ(codesOf(v2.title()), c.id3v2Title);
    }
}

TEST_F(ConvertFieldTest, Id3v1IsSetFirstAndBothStartFromTheUtf8Text)
{
    std::vector<std::string> log;
    RecordingTag<TagLib::ID3v1::Tag> recV1("id3v1", log);
    RecordingTag<TagLib::ID3v2::Tag> recV2("id3v2", log);
    TagConverter convert(SourceEncoding::parse("cp1251"), TargetEncoding::parse("cp1251", true),
                     TargetEncoding::parse("unicode", false), &recV1, &recV2, false);
    convert.convertField(latin1(kPrivetCp1251), &TagLib::Tag::setTitle);
    convert.convertField(TagLib::String(), &TagLib::Tag::setTitle);  // empty values are set too
    EXPECT_EQ(log, (std::vector<std::string>{"id3v1:\xC3\x8F\xC3\xB0\xC3\xA8\xC3\xA2\xC3\xA5\xC3\xB2",
                                             "id3v2:" + kPrivetUtf8, "id3v1:", "id3v2:"}));

    // An ID3v1 code page without Cyrillic transliterates; ID3v2 still gets
    // the letters, so it did not start from the ID3v1 text.
    converter("cp1251", "ascii//translit", "unicode")->convertField(latin1(kPrivetCp1251), &TagLib::Tag::setTitle);
    EXPECT_EQ(codesOf(v2.title()), kPrivet);
    EXPECT_FALSE(v1.title().isEmpty());
    for (const unsigned code : codesOf(v1.title()))
        EXPECT_LT(code, 128u);
}

TEST_F(ConvertFieldTest, WithoutTargetsTheSourceStepStillRuns)
{
    fillWithOld();
    const auto convert = converter("cp1251", "none", "none");
    convert->convertField(latin1(kPrivetCp1251), &TagLib::Tag::setTitle);
    expectEncodingError(*convert, latin1("\x98"));  // a byte cp1251 leaves undefined
    EXPECT_EQ(v1.title(), "old");
    EXPECT_EQ(v2.title(), "old");
}

TEST_F(ConvertFieldTest, FailingId3v2StepLeavesId3v1Set)
{
    fillWithOld();
    expectEncodingError(*converter("cp1251", "cp1251", "ascii"), latin1(kPrivetCp1251));
    EXPECT_EQ(codesOf(v1.title()), kPrivetRead);
    EXPECT_EQ(v2.title(), "old");
}

// A field that is empty and stays empty is not set: setting it would make
// TagLib delete every frame of its id, and the guard refuse the file forever.
TEST(EmptyField, KeepsItsFramesAndTheFileConvertsOnce)
{
    const std::pair<const char*, std::string> cases[] = {
        {"COMM with empty text", describedFrame("COMM", 0, "", "")},
        {"COMM with a description only", describedFrame("COMM", 0, "desc", "")},
        {"UTF-16 COMM of a byte order mark", describedFrame("COMM", 1, "", "\xFF\xFE")},
        {"TCON of ()", textFrame("TCON", "()")},
        // TagLib reads track 0 from it, and deletes it when given 0.
        {"TRCK holding no number", textFrame("TRCK", "A1")},
    };
    // With both tags written, each gets the fields the other has; a field
    // empty in both must not cost the frames above.
    const std::vector<std::string> targets[] = {
        {"-2", "unicode"},
        {"-1", "cp1251", "-2", "unicode"},
        {"-1", "cp1251", "-2", "cp1251", "--id3v2.3"},
    };
    auto ids = [](const std::string& file) {
        std::vector<std::string> out;
        for (const Id3v2Frame& frame : readId3v2(file).value_or(Id3v2Contents{}).frames)
            out.push_back(frame.id);
        std::sort(out.begin(), out.end());
        return out;
    };
    TempDir dir;
    for (const auto& [name, frame] : cases) {
        for (const std::vector<std::string>& target : targets) {
            for (const char* frames : {"-p", "-a"}) {
                SCOPED_TRACE(std::string(name) + " " + frames + " " + target[1]);
                const std::string path = dir.put(
                    "song.mp3", id3v23Tag(frame + textFrame("TIT2", kPrivetCp1251), 64) + mpegFrames(4));
                const std::vector<std::string> before = ids(readFile(path));
                std::vector<std::string> args = {"-q", "-p", frames, "-s", "cp1251"};
                args.insert(args.end(), target.begin(), target.end());
                args.push_back(path);
                const RunResult first = runInProcess(args);
                EXPECT_EQ(first.err, "");
                EXPECT_EQ(first.status, 0);
                const std::string converted = readFile(path);
                EXPECT_EQ(ids(converted), before);
                EXPECT_EQ(runInProcess(args).status, 0);
                EXPECT_TRUE(readFile(path) == converted) << "the second run changed the file";
            }
        }
    }
}

// A field given as its Latin-1 bytes (a large one read from its frame) is
// converted as its TagLib string is, whatever the guess planned for it.
TEST_F(ConvertFieldTest, Latin1BytesConvertAsTheirString)
{
    // U+0080 is no Windows-1252 reading; kept as it is, no cp1251 character.
    for (const char* bytes : {"\xCF\xF0\xE8\xE2\xE5\xF2 \x97\xC7", "\xCF\xF0\xE8 \x80"}) {
        const struct {
            const char* what;
            TagConverter::SourcePlan plan;
        } cases[] = {
            {"no plan", {}},
            {"kept as it is", {false, {"TIT2"}, {}}},
            {"everything kept", {true, {}, {}}},
            {"through Windows-1252, which lacks U+0080", {false, {}, {{"TIT2", Reader::Windows1252}}}},
            {"through Mac OS Roman", {false, {}, {{"TIT2", Reader::MacRoman}}}},
            {"through Latin-1", {false, {}, {{"TIT2", Reader::Latin1}}}},
            {"another field planned", {false, {"TPE1"}, {{"TALB", Reader::MacRoman}}}},
        };
        for (const auto& c : cases) {
            for (bool recording : {false, true}) {
                SCOPED_TRACE(std::string(c.what) + (recording ? ", reported" : ""));
                auto convert = [&](bool fromBytes) {
                    TagLib::ID3v1::Tag one;
                    TagLib::ID3v2::Tag two;
                    TagConverter converter(SourceEncoding::parse("cp1251"), TargetEncoding::parse("cp1251", true),
                                           TargetEncoding::parse("unicode", false), &one, &two, false);
                    converter.setSourcePlan(c.plan);
                    if (recording)
                        converter.recordTextChanges();
                    std::vector<std::string> out;
                    try {
                        if (fromBytes)
                            converter.convertLatin1Field(std::string(bytes), &TagLib::Tag::setTitle);
                        else
                            converter.convertField(latin1(bytes), &TagLib::Tag::setTitle);
                    } catch (const Error& error) {
                        out.push_back(error.what());
                    }
                    out.insert(out.end(), {one.title().to8Bit(true), two.title().to8Bit(true)});
                    for (const TextChange& change : converter.takeTextChanges())
                        out.insert(out.end(), {change.after, change.id3v1.value_or("-"),
                                               change.beforeIsLatin1 ? latin1(change.before).to8Bit(true) : change.before});
                    return out;
                };
                EXPECT_EQ(convert(true), convert(false)) << bytes;
            }
        }
    }
}

}  // namespace
}  // namespace tagshifter::test
