// Every tag layout met in collections, saved for every kind of target: the
// audio between the tags must come out byte for byte, and the tags must be
// the ones asked for, as read back by the byte-level reader (not TagLib).
// Preview and every fatal error leave the file as it was.
#include "support/fixtures.h"
#include "support/id3_reader.h"
#include "support/tag_layouts.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <algorithm>
#include <set>
#include <stdexcept>
#include <tuple>

namespace tagshifter::test {
namespace {

const std::vector<TagLayout>& layouts()
{
    static const std::vector<TagLayout> all = tagLayouts();
    return all;
}

std::string recodeForTest(const std::string& text, const char* from, const char* to)
{
    const iconv_t conversion = iconv_open(to, from);
    if (conversion == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("no conversion");
    std::string input = text;
    std::string output(input.size() * 4 + 16, '\0');
    char* in = input.data();
    size_t inLeft = input.size();
    char* out = output.data();
    size_t outLeft = output.size();
    const size_t result = iconv(conversion, &in, &inLeft, &out, &outLeft);
    iconv_close(conversion);
    if (result == static_cast<size_t>(-1))
        throw std::runtime_error("cannot recode");
    output.resize(output.size() - outLeft);
    return output;
}

struct Target {
    const char* name;
    const char* id3v1;  // "none" or a code page
    const char* id3v2;  // "none", "unicode" or a code page
};

void PrintTo(const Target& target, std::ostream* out)
{
    *out << target.name;
}

const Target kTargets[] = {
    {"Id3v1CodePage", "koi8-r", "none"},
    {"Id3v2Unicode", "none", "unicode"},
    {"Id3v2CodePage", "none", "koi8-r"},
    {"BothTags", "koi8-r", "unicode"},
    {"BothCodePages", "cp1251", "cp1251"},
    {"NoTagsKept", "none", "none"},
};

void expectId3v1(const std::string& file, const SourceFields& fields, const char* encoding)
{
    const auto tag = readId3v1(file);
    ASSERT_TRUE(tag.has_value()) << "no ID3v1 tag written";
    auto field = [&](const std::string& source, size_t room) {
        return recodeForTest(source, "CP1251", encoding).substr(0, room);
    };
    EXPECT_EQ(tag->title, field(fields.title, 30));
    EXPECT_EQ(tag->artist, field(fields.artist, 30));
    EXPECT_EQ(tag->album, field(fields.album, 30));
    EXPECT_EQ(tag->comment, field(fields.comment, 28));
    EXPECT_EQ(tag->genre, fields.genre == "Rock" ? 17 : 255);
}

void expectId3v2(const std::string& file, const SourceFields& fields, const std::string& encoding)
{
    const auto tag = readId3v2(file);
    ASSERT_TRUE(tag.has_value()) << "no ID3v2 tag written";
    EXPECT_EQ(tag->majorVersion, 4);
    const std::pair<const char*, const std::string*> expected[] = {
        {"TIT2", &fields.title}, {"TPE1", &fields.artist}, {"TALB", &fields.album},
        {"COMM", &fields.comment}, {"TCON", &fields.genre},
    };
    for (const auto& [id, source] : expected) {
        SCOPED_TRACE(id);
        const auto text = frameText(*tag, id);
        if (source->empty()) {
            EXPECT_TRUE(!text || text->bytes.empty());
            continue;
        }
        ASSERT_TRUE(text.has_value()) << "frame missing";
        if (encoding == "unicode") {
            EXPECT_EQ(toUtf8(*text), recodeForTest(*source, "CP1251", "UTF-8"));
        } else {
            // Code page bytes travel as Latin-1 text, one per character.
            EXPECT_EQ(text->encoding, 0);
            EXPECT_EQ(text->bytes, recodeForTest(*source, "CP1251", encoding.c_str()));
        }
    }
}

class SavedLayout : public testing::TestWithParam<std::tuple<size_t, Target>> {};

TEST_P(SavedLayout, KeepsAudioAndWritesTheAskedTags)
{
    const TagLayout& layout = layouts()[std::get<0>(GetParam())];
    const Target& target = std::get<1>(GetParam());
    TempDir dir;
    const std::string path = dir.file("song.mp3");
    writeFile(path, layout.bytes);

    const RunResult result =
        runInProcess({"-s", "cp1251", "-1", target.id3v1, "-2", target.id3v2, path});
    const std::string after = readFile(path);

    const std::string skipLine = path + " does not contain any ID3 tags, skipping.\n";
    if (!layout.hasTags || (layout.mayBeSkipped && result.out == skipLine)) {
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, skipLine);
        EXPECT_EQ(after, layout.bytes);
        return;
    }
    if (layout.mayBeRefused && result.out == path + "failed!\n") {
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(after, layout.bytes) << "a refused file must stay as it was";
        return;
    }
    ASSERT_EQ(result.out, path + "...done\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(audioBytes(after), audioBytes(layout.bytes)) << "audio changed";

    const FileParts parts = locateParts(after);
    EXPECT_FALSE(parts.hasApe);
    EXPECT_EQ(parts.hasId3v1, std::string(target.id3v1) != "none");
    EXPECT_EQ(parts.hasId3v2, std::string(target.id3v2) != "none");
    if (parts.hasId3v1)
        expectId3v1(after, layout.fields, target.id3v1);
    if (parts.hasId3v2) {
        expectId3v2(after, layout.fields, target.id3v2);
        // Every frame the tool does not touch is kept byte for byte.
        const auto before = readId3v2(layout.bytes);
        const std::set<std::string> fieldIds = {"TIT2", "TPE1", "TALB", "COMM", "TCON"};
        if (before && before->majorVersion > 2) {
            const auto kept = readId3v2(after);
            ASSERT_TRUE(kept.has_value());
            for (const Id3v2Frame& old : before->frames) {
                const bool found = fieldIds.count(old.id) > 0
                                   || std::any_of(kept->frames.begin(), kept->frames.end(), [&](const Id3v2Frame& f) {
                                          return f.id == old.id && f.body == old.body;
                                      });
                EXPECT_TRUE(found) << "frame " << old.id << " was lost";
            }
        }
    }
    if (!parts.hasId3v1 && !parts.hasId3v2) {
        EXPECT_EQ(after, audioBytes(layout.bytes)) << "a tag or a byte too many is left";
    }
}

std::string layoutName(size_t index)
{
    return layouts()[index].name;
}

std::vector<size_t> layoutIndices()
{
    std::vector<size_t> indices(layouts().size());
    for (size_t i = 0; i < indices.size(); ++i)
        indices[i] = i;
    return indices;
}

INSTANTIATE_TEST_SUITE_P(Layouts, SavedLayout,
                         testing::Combine(testing::ValuesIn(layoutIndices()),
                                          testing::ValuesIn(kTargets)),
                         [](const testing::TestParamInfo<SavedLayout::ParamType>& info) {
                             return layoutName(std::get<0>(info.param)) + "_"
                                    + std::get<1>(info.param).name;
                         });

// Runs that change nothing: the preview, and each kind of fatal error.
struct UntouchedRun {
    const char* name;
    std::vector<std::string> options;
    const char* errorLine;  // nullptr: the run succeeds
};

void PrintTo(const UntouchedRun& run, std::ostream* out)
{
    *out << run.name;
}

const UntouchedRun kUntouchedRuns[] = {
    {"Preview", {"-w", "-s", "cp1251", "-1", "koi8-r", "-2", "unicode"}, nullptr},
    {"PreviewNoTargets", {"-w", "-s", "cp1251"}, nullptr},
    // Constant messages end in a newline of their own, and the report adds one.
    {"Id3v1Unicode", {"-s", "cp1251", "-1", "unicode", "-2", "unicode"},
     "Error: ID3v1 does not support unicode.\n\n"},
    {"UnknownSource", {"-s", "no-such-code-page", "-2", "unicode"},
     "Error: Cannot open source encoding.\n\n"},
    {"UnknownId3v1", {"-s", "cp1251", "-1", "no-such-code-page"},
     "Error: Cannot open id3v1 encoding.\n\n"},
    {"UnknownId3v2", {"-s", "cp1251", "-2", "no-such-code-page"},
     "Error: Cannot open id3v2 encoding.\n\n"},
    // Cyrillic has no place in Latin-1: the conversion itself fails.
    {"TextNotConvertible", {"-s", "cp1251", "-1", "koi8-r", "-2", "iso-8859-1"},
     "Error: Error during encoding.\n\n"},
};

class UntouchedLayout : public testing::TestWithParam<std::tuple<size_t, UntouchedRun>> {};

TEST_P(UntouchedLayout, FileStaysByteIdentical)
{
    const TagLayout& layout = layouts()[std::get<0>(GetParam())];
    const UntouchedRun& run = std::get<1>(GetParam());
    TempDir dir;
    const std::string path = dir.file("song.mp3");
    writeFile(path, layout.bytes);

    std::vector<std::string> args = run.options;
    args.push_back(path);
    const RunResult result = runInProcess(args);

    EXPECT_EQ(readFile(path), layout.bytes);
    const std::string skipLine = path + " does not contain any ID3 tags, skipping.\n";
    if (!layout.hasTags || (layout.mayBeSkipped && result.out == skipLine)) {
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, skipLine);
    } else if (run.errorLine != nullptr) {
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, run.errorLine);
    } else {
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out.rfind(path + "\n", 0), 0u) << result.out;
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, UntouchedLayout,
                         testing::Combine(testing::ValuesIn(layoutIndices()),
                                          testing::ValuesIn(kUntouchedRuns)),
                         [](const testing::TestParamInfo<UntouchedLayout::ParamType>& info) {
                             return layoutName(std::get<0>(info.param)) + "_"
                                    + std::get<1>(info.param).name;
                         });

// The reader must see the fixtures as they were built, or its verdicts on
// the saved files would mean nothing.
TEST(ByteLevelReader, FindsThePartsOfEveryLayout)
{
    for (const TagLayout& layout : layouts()) {
        SCOPED_TRACE(layout.name);
        const FileParts parts = locateParts(layout.bytes);
        EXPECT_LE(parts.audioBegin, parts.audioEnd);
        const auto v2 = readId3v2(layout.bytes);
        if (!v2)
            continue;
        const auto title = frameText(*v2, "TIT2");
        ASSERT_TRUE(title.has_value());
        EXPECT_EQ(title->bytes, layout.fields.title);
        const auto genre = frameText(*v2, "TCON");
        ASSERT_TRUE(genre.has_value());
        EXPECT_EQ(genre->bytes, layout.fields.genre);
    }
    const std::string ape = mpegFrames(2) + apeTag({{"Title", "x"}});
    EXPECT_TRUE(locateParts(ape).hasApe);
    EXPECT_EQ(audioBytes(ape), mpegFrames(2));
    // Garbage before a tag that comes before the first frame: both kept apart.
    const std::string tag = id3v23Tag(textFrame("TIT2", "x"), 4);
    const std::string embedded = std::string(100, 'g') + tag + mpegFrames(3);
    EXPECT_EQ(locateParts(embedded).tagBegin, 100u);
    EXPECT_EQ(audioBytes(embedded), std::string(100, 'g') + mpegFrames(3));
    // "ID3" inside the audio is audio.
    const std::string late = mpegFrames(3) + tag + mpegFrames(3);
    EXPECT_FALSE(locateParts(late).hasId3v2);
    EXPECT_EQ(audioBytes(late), late);
    // A second tag right behind the first belongs to it.
    EXPECT_EQ(audioBytes(tag + tag + mpegFrames(3)), mpegFrames(3));
    // Size bytes that are not sync-safe: a tag of 10 bytes.
    std::string broken = tag + mpegFrames(3);
    broken[8] = '\x80';
    EXPECT_EQ(locateParts(broken).audioBegin, 10u);
    // An APE footer claiming more than there is is no tag.
    std::string greedy = mpegFrames(2) + apeTag({{"Title", "x"}});
    greedy[greedy.size() - 17] = '\x7F';
    EXPECT_FALSE(locateParts(greedy).hasApe);
    EXPECT_EQ(firstMpegFrame(std::string(7, 'z') + mpegFrames(2)), 7u);
    EXPECT_EQ(firstMpegFrame(mpegFrames(1)), std::string::npos);  // no second header to match
    const std::string v1 = mpegFrames(2) + id3v1Block("t", "a", "b");
    EXPECT_EQ(readId3v1(v1)->title, "t");
    EXPECT_EQ(audioBytes(v1), mpegFrames(2));
    const std::string comment("\x01" "eng\xFF\xFE\0\0\x1F\x04", 10);
    const Id3v2Contents withComment{3, {{"COMM", comment}}};
    EXPECT_EQ(toUtf8(*frameText(withComment, "COMM")), "\xD0\x9F");
    EXPECT_EQ(toUtf8({1, std::string("\xFF\xFE\x1F\x04", 4)}), "\xD0\x9F");
    EXPECT_EQ(toUtf8({2, std::string("\x04\x1F", 2)}), "\xD0\x9F");
    EXPECT_EQ(toUtf8({0, "\xE9"}), "\xC3\xA9");
}

}  // namespace
}  // namespace tagshifter::test
