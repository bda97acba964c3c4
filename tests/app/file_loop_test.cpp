// The file loop end to end on fixture files: report lines, which tags a saved
// file keeps and in what encoding, and that errors leave files as they were.
#include "support/id3_reader.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include <sys/stat.h>

#include <new>
#include <optional>

namespace tagshifter::test {
namespace {

const std::string kAudio = mpegFrames(20);
const std::string kSkip = " does not contain any ID3 tags, skipping.\n";
const std::string kDone = "...done\n";

// A file as a legacy tagger left it: an ID3v2.3 tag, an APE tag and an ID3v1
// block, all holding `title` as raw code page bytes.
std::string legacyFile(const std::string& title = kPrivetCp1251)
{
    return id3v23Tag(textFrame("TIT2", title) + textFrame("TPE1", "Band") + textFrame("TALB", title)
                         + commentFrame("note") + textFrame("TCON", "Rock"),
                     32)
           + kAudio + apeTag({{"Title", "ape"}}) + id3v1Block(title, "Band", title, "1999", "note", 17);
}

class FileLoop : public testing::Test {
protected:
    std::string put(const std::string& name, const std::string& bytes) { return dir.put(name, bytes); }

    TempDir dir;
};

TEST_F(FileLoop, SkipsFilesWithoutTagsWhateverTheOptions)
{
    const std::vector<std::vector<std::string>> optionSets = {
        {"-s", "cp1251"},
        {"-s", "cp1251", "-q"},
        {"-s", "cp1251", "-w", "-2", "unicode"},
        // Encodings are only opened for a file that has something to convert.
        {"-s", "no-such-code-page", "-1", "unicode", "-2", "no-such-code-page"},
    };
    const std::string first = put("first.mp3", kAudio);
    const std::string second = put("second.mp3", kAudio);
    for (std::vector<std::string> args : optionSets) {
        SCOPED_TRACE(args.back());
        args.insert(args.end(), {first, second});
        const RunResult result = runInProcess(args);
        EXPECT_EQ(result.out, first + kSkip + second + kSkip);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(readFile(first), kAudio);
    }
}

struct TargetCase {
    std::string source, id3v1, id3v2;
    std::string fileTitle;
    std::optional<std::string> id3v1Title;  // nullopt: no ID3v1 block
    int id3v2TextEncoding;                  // -1: no ID3v2 tag
    std::string id3v2Title;
};

TEST_F(FileLoop, SavedFileKeepsOnlyItsTargetTagsInTheirEncodings)
{
    const std::vector<TargetCase> cases = {
        {"cp1251", "none", "none", kPrivetCp1251, std::nullopt, -1, ""},
        {"cp1251", "cp1251", "none", kPrivetCp1251, kPrivetCp1251, -1, ""},
        {"cp1251", "none", "unicode", kPrivetCp1251, std::nullopt, 3, kPrivetUtf8},
        // Right after a Unicode run: code page frames still go out as Latin-1.
        {"cp1251", "none", "cp1251", kPrivetCp1251, std::nullopt, 0, kPrivetCp1251},
        {"cp1251", "cp1251", "unicode", kPrivetCp1251, kPrivetCp1251, 3, kPrivetUtf8},
        {"CP1251", "None", "UNICODE", kPrivetCp1251, std::nullopt, 3, kPrivetUtf8},
        {"koi8-r", "cp1251", "unicode", kPrivetKoi8r, kPrivetCp1251, 3, kPrivetUtf8},
        {"cp1251", "koi8-r", "koi8-r", kPrivetCp1251, kPrivetKoi8r, 0, kPrivetKoi8r},
    };
    for (const TargetCase& c : cases) {
        SCOPED_TRACE(c.source + " -> " + c.id3v1 + " / " + c.id3v2);
        const std::string path = put("song.mp3", legacyFile(c.fileTitle));
        const RunResult result = runInProcess({"-s", c.source, "-1", c.id3v1, "-2", c.id3v2, path});
        EXPECT_EQ(result.out, path + kDone);
        EXPECT_EQ(result.status, 0);

        const std::string bytes = readFile(path);
        EXPECT_FALSE(locateParts(bytes).hasApe);
        EXPECT_EQ(audioBytes(bytes), kAudio);

        const auto id3v1 = readId3v1(bytes);
        ASSERT_EQ(id3v1.has_value(), c.id3v1Title.has_value());
        if (id3v1) {
            EXPECT_EQ(id3v1->title, *c.id3v1Title);
            EXPECT_EQ(id3v1->artist, "Band");
        }

        const auto id3v2 = readId3v2(bytes);
        ASSERT_EQ(id3v2.has_value(), c.id3v2TextEncoding >= 0);
        if (id3v2) {
            EXPECT_EQ(id3v2->majorVersion, 4);
            const auto title = frameText(*id3v2, "TIT2");
            ASSERT_TRUE(title.has_value());
            EXPECT_EQ(static_cast<int>(title->encoding), c.id3v2TextEncoding);
            EXPECT_EQ(title->bytes, c.id3v2Title);
            const auto artist = frameText(*id3v2, "TPE1");
            ASSERT_TRUE(artist.has_value());
            EXPECT_EQ(artist->bytes, "Band");
        }
    }
}

TEST_F(FileLoop, QuietLeavesOutOnlyTheSuccessLines)
{
    int saves = 0;
    const SaveFile failSecond = [&saves](format::TaggedFile& file, const format::TagsWritten& written) {
        return ++saves != 2 && saveTags(file, written);
    };
    for (const bool quiet : {false, true}) {
        SCOPED_TRACE(quiet ? "quiet" : "reporting");
        saves = 0;
        const std::string empty = put("empty.mp3", kAudio);
        const std::string saved = put("saved.mp3", legacyFile());
        const std::string failing = put("failing.mp3", legacyFile());
        const std::string last = put("last.mp3", legacyFile());
        std::vector<std::string> args = {"-s", "cp1251", empty, saved, failing, last};
        if (quiet)
            args.insert(args.begin(), "-q");
        const RunResult result = runInProcess(args, failSecond);
        EXPECT_EQ(result.out, empty + kSkip + (quiet ? "" : saved + kDone) + failing + "failed!\n"
                                  + (quiet ? "" : last + kDone));
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(readFile(saved), kAudio);
        EXPECT_EQ(readFile(failing), legacyFile());
        EXPECT_EQ(readFile(last), kAudio);
    }
}

TEST_F(FileLoop, OperandThatDoesNotOpenEndsTheRun)
{
    const std::string directory = dir.file("folder.mp3");
    ASSERT_EQ(mkdir(directory.c_str(), 0700), 0);
    const std::string fifo = dir.file("pipe.mp3");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);

    for (const std::string& bad : {dir.file("missing.mp3"), directory, fifo}) {
        SCOPED_TRACE(bad);
        const std::string first = put("first.mp3", legacyFile());
        const std::string third = put("third.mp3", legacyFile());
        const RunResult result = runInProcess({"-s", "cp1251", "-2", "unicode", first, bad, third});
        EXPECT_EQ(result.out, first + kDone + "Error: Cannot open file: " + bad + ".\n");
        EXPECT_EQ(result.status, 1);
        const auto saved = readId3v2(readFile(first));
        ASSERT_TRUE(saved);
        EXPECT_EQ(saved->majorVersion, 4);
        EXPECT_EQ(readFile(third), legacyFile());
    }
}

TEST_F(FileLoop, FatalErrorLeavesTheFileAsItWas)
{
    struct Case {
        std::vector<std::string> options;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"-s", "no-such-code-page"}, "Cannot open source encoding.\n"},
        {{"-s", "cp1251", "-1", "unicode"}, "ID3v1 does not support unicode.\n"},
        {{"-s", "cp1251", "-1", "no-such-code-page"}, "Cannot open id3v1 encoding.\n"},
        {{"-s", "cp1251", "-2", "no-such-code-page"}, "Cannot open id3v2 encoding.\n"},
        // The cp1251 bytes are not valid UTF-8.
        {{"-s", "utf-8", "-2", "unicode"}, "Error during encoding.\n"},
        // Cyrillic has no place in ASCII.
        {{"-s", "cp1251", "-1", "ascii"}, "Error during encoding.\n"},
    };
    const std::string empty = put("empty.mp3", kAudio);
    const std::string tagged = put("tagged.mp3", legacyFile());
    const std::string after = put("after.mp3", legacyFile());
    for (const Case& c : cases) {
        for (const bool preview : {false, true}) {
            SCOPED_TRACE(c.message + (preview ? " in preview" : ""));
            std::vector<std::string> args = c.options;
            if (preview)
                args.push_back("-w");
            args.insert(args.end(), {empty, tagged, after});
            const RunResult result = runInProcess(args);
            EXPECT_EQ(result.out, empty + kSkip + "Error: " + c.message + "\n");
            EXPECT_EQ(result.status, 1);
            EXPECT_EQ(readFile(tagged), legacyFile());
            EXPECT_EQ(readFile(after), legacyFile());
        }
    }
}

TEST_F(FileLoop, PreviewListsButDoesNotSave)
{
    const std::string path = put("song.mp3", legacyFile());
    const RunResult result = runInProcess({"-w", "-s", "cp1251", "-1", "cp1251", "-2", "unicode", path});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out.rfind(path + "\n", 0), 0u);
    EXPECT_EQ(result.out.find(kDone), std::string::npos);
    EXPECT_EQ(readFile(path), legacyFile());
}

TEST_F(FileLoop, SameFileTwiceIsConvertedTwice)
{
    const std::string path = put("twice.mp3", legacyFile());
    const RunResult result = runInProcess({"-s", "cp1251", "-1", "koi8-r", path, path});
    EXPECT_EQ(result.out, path + kDone + path + kDone);
    EXPECT_EQ(result.status, 0);
    // The first pass leaves koi8-r bytes in ID3v1; the second reads them as
    // cp1251 ("рТЙЧЕФ") and writes those in koi8-r.
    const auto id3v1 = readId3v1(readFile(path));
    ASSERT_TRUE(id3v1);
    EXPECT_EQ(id3v1->title, "\xD2\xF4\xEA\xFE\xE5\xE6");
}

TEST_F(FileLoop, SyncWritesTheSameFilesAsWithout)
{
    // One tag that fits its padding (changed bytes only), one that outgrows
    // it (a new file renamed over the old one).
    const std::string grown = legacyFile(kPrivetCp1251 + std::string(100, '\xE0'));
    const std::string plain[] = {put("fits.mp3", legacyFile()), put("grows.mp3", grown)};
    const std::string synced[] = {put("fits-sync.mp3", legacyFile()), put("grows-sync.mp3", grown)};
    const std::vector<std::string> options = {"-q", "-s", "cp1251", "-1", "koi8-r", "-2", "unicode"};
    std::vector<std::string> args = options;
    args.insert(args.end(), {plain[0], plain[1]});
    ASSERT_EQ(runInProcess(args).status, 0);
    args = options;
    args.insert(args.end(), {"--sync", synced[0], synced[1]});
    const RunResult result = runInProcess(args);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "");
    const std::string originals[] = {legacyFile(), grown};
    for (int i = 0; i < 2; ++i) {
        EXPECT_FALSE(readFile(synced[i]) == originals[i]) << "not converted";
        EXPECT_TRUE(readFile(synced[i]) == readFile(plain[i]));
    }
}

TEST_F(FileLoop, NamesWithPercentSignsArePrintedVerbatim)
{
    const std::string tagged = put("100%s%n%d.mp3", legacyFile());
    const std::string empty = put("%x%%.mp3", kAudio);
    const RunResult result = runProgram({"-s", "cp1251", tagged, empty});
    EXPECT_EQ(result.out, tagged + kDone + empty + kSkip);
    EXPECT_EQ(result.status, 0);
}

TEST_F(FileLoop, ExceptionFromTheSaveIsReported)
{
    const std::string first = put("first.mp3", legacyFile());
    const std::string second = put("second.mp3", legacyFile());
    const std::string third = put("third.mp3", legacyFile());
    int saves = 0;
    const RunResult result = runInProcess(
        {"-s", "cp1251", first, second, third}, [&saves](format::TaggedFile& file, const format::TagsWritten& written) {
            // (Memory that runs out fails only its file: tests/safety/huge_tag_test.cpp.)
            if (++saves == 2)
                throw std::length_error("basic_string::_M_create");
            return saveTags(file, written);
        });
    EXPECT_EQ(result.out, first + kDone + "Error: basic_string::_M_create\n");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(saves, 2);
    EXPECT_EQ(readFile(first), kAudio);
    EXPECT_EQ(readFile(second), legacyFile());
    EXPECT_EQ(readFile(third), legacyFile());
}

}  // namespace
}  // namespace tagshifter::test
