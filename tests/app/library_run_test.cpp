// Whole-library runs: Unicode never cut to bytes, every text frame with -a,
// ID3v2.2 frame names, -k, the lines on standard error, and --id3v2.3.
#include "support/fixtures.h"
#include "support/id3_reader.h"
#include "support/tag_layouts.h"

#include <gtest/gtest.h>

#include <map>

namespace tagshifter::test {
namespace {

const std::string kAudio = mpegFrames(12);
const std::string kDone = "...done\n";
const std::string kZaiUtf8 = "\xE7\xBD\xAA\xE3\x81\xA8\xE7\xBD\xB0";  // 罪と罰
const std::string& kWord1251 = kPrivetCp1251;
const std::string& kWordUtf8 = kPrivetUtf8;

// The frames a chapter (CHAP) or its table (CTOC) holds behind its head;
// sizes of small frames read the same in ID3v2.3 and 2.4.
Id3v2Contents embeddedFrames(const Id3v2Frame& frame, int version)
{
    Id3v2Contents inner;
    inner.majorVersion = version;
    size_t at = frame.body.find('\0') + 1;
    if (frame.id == "CHAP") {
        at += 16;  // start and end, as times and as offsets
    } else {
        const size_t count = at + 1 < frame.body.size() ? static_cast<uint8_t>(frame.body[at + 1]) : 0;
        at += 2;
        for (size_t i = 0; i < count; ++i)
            at = frame.body.find('\0', at) + 1;
    }
    while (at + 10 <= frame.body.size() && frame.body[at] != '\0') {
        size_t size = 0;
        for (size_t i = 0; i < 4; ++i)
            size = size << 8 | static_cast<uint8_t>(frame.body[at + 4 + i]);
        inner.frames.push_back({frame.body.substr(at, 4), frame.body.substr(at + 10, size)});
        at += 10 + size;
    }
    return inner;
}

// What each frame of a file holds, keyed by id and description (a second
// frame of both with "#2" after, a chapter's frames with the chapter before).
std::map<std::string, DescribedText> framesOf(const std::string& file)
{
    std::map<std::string, DescribedText> frames;
    const auto tag = readId3v2(file);
    const auto add = [&frames](const Id3v2Contents& contents, const std::string& prefix) {
        for (const DescribedText& text : describedTexts(contents)) {
            const std::string key = prefix + text.id + "/" + text.description;
            frames[frames.count(key) ? key + "#2" : key] = text;
        }
    };
    if (tag) {
        add(*tag, "");
        for (const Id3v2Frame& frame : tag->frames)
            if (frame.id == "CHAP" || frame.id == "CTOC")
                add(embeddedFrames(frame, tag->majorVersion), frame.id + " " + frame.body.substr(0, frame.body.find('\0')) + ":");
    }
    return frames;
}

// A file as a legacy tagger wrote it: cp1251 bytes behind encoding byte 0 in
// the five fields and in every other kind of frame that holds text.
std::string legacyFile(const std::string& suffix = "")
{
    const std::string word = kWord1251 + suffix;
    return id3v23Tag(textFrame("TIT2", word) + textFrame("TPE1", word) + textFrame("TALB", word)
                         + textFrame("TPE2", word + " 2") + textFrame("TCOM", word + " c")
                         + describedFrame("TXXX", 0, kWord1251 + " d", word + " x")
                         + describedFrame("COMM", 0, kWord1251 + " d", word + " m")
                         + describedFrame("USLT", 0, kWord1251 + " d", word + " l")
                         + textFrame("TCON", "Rock") + textFrame("TRCK", "3/12"),
                     64)
           + kAudio + id3v1Block(word, word, word);
}

class LibraryRun : public testing::Test {
protected:
    std::string put(const std::string& name, const std::string& bytes) { return dir.put(name, bytes); }

    TempDir dir;
};

// The README's recipe over files by different writers: every frame is
// readable after one run, and a second run changes no byte.
TEST_F(LibraryRun, RecipeMakesEveryFrameReadableAndASecondRunChangesNothing)
{
    const std::vector<std::string> files = {
        put("legacy.mp3", legacyFile()),
        // Already Unicode, from another tool: UTF-16 and UTF-8 frames.
        put("utf16.mp3", id3v23Tag(textFrame("TIT2", utf16WithBom(kPrivetUtf8), 1)
                                   + textFrame("TPE1", utf16WithBom(kZaiUtf8), 1)
                                   + describedFrame("COMM", 1, utf16WithBom("note"), utf16WithBom(kZaiUtf8))
                                   + describedFrame("TXXX", 1, utf16WithBom(kZaiUtf8), utf16WithBom(kPrivetUtf8)))
                             + kAudio),
        put("utf8.mp3", id3v2Tag(4, 0, id3v24Frame("TIT2", "\x03" + kZaiUtf8) + std::string(32, '\0'))
                            + kAudio),
        put("v22.mp3", id3v2Tag(2, 0, id3v22Frame("TT2", std::string(1, '\0') + kWord1251)
                                          + id3v22Frame("TOA", std::string(1, '\0') + kWord1251 + " oa")
                                          + std::string(16, '\0'))
                           + kAudio),
        put("v1only.mp3", kAudio + id3v1Block(kWord1251, "Band", kWord1251)),
    };
    std::vector<std::string> args = {"-s", "cp1251", "-1", "cp1251//translit", "-2", "unicode", "-a", "-k"};
    args.insert(args.end(), files.begin(), files.end());

    const RunResult first = runInProcess(args);
    EXPECT_EQ(first.status, 0) << first.out;
    std::vector<std::string> afterFirst;
    for (const std::string& file : files)
        afterFirst.push_back(readFile(file));

    const std::map<std::string, std::string> legacy = {
        {"TIT2/", kWordUtf8},           {"TPE1/", kWordUtf8},
        {"TALB/", kWordUtf8},           {"TPE2/", kWordUtf8 + " 2"},
        {"TCOM/", kWordUtf8 + " c"},    {"TXXX/" + kWordUtf8 + " d", kWordUtf8 + " x"},
        {"COMM/" + kWordUtf8 + " d", kWordUtf8 + " m"},
        {"USLT/" + kWordUtf8 + " d", kWordUtf8 + " l"},
        {"TCON/", "Rock"},              {"TRCK/", "3/12"},
    };
    const std::map<std::string, std::string> unicode = {
        {"TIT2/", kPrivetUtf8},
        {"TPE1/", kZaiUtf8},
        {"COMM/note", kZaiUtf8},
        {"TXXX/" + kZaiUtf8, kPrivetUtf8},
    };
    const std::vector<std::map<std::string, std::string>> expected = {
        legacy, unicode, {{"TIT2/", kZaiUtf8}}, {{"TIT2/", kWordUtf8}, {"TOPE/", kWordUtf8 + " oa"}},
        {{"TIT2/", kWordUtf8}, {"TPE1/", "Band"}, {"TALB/", kWordUtf8}}};
    for (size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i]);
        std::map<std::string, std::string> found;
        for (const auto& [key, text] : framesOf(afterFirst[i])) {
            EXPECT_EQ(text.encoding, 3) << key;
            found[key] = text.text;
        }
        EXPECT_EQ(found, expected[i]);
        const auto id3v1 = readId3v1(afterFirst[i]);
        ASSERT_TRUE(id3v1);
        EXPECT_EQ(id3v1->title.substr(0, 3), i == 1 ? "\xCF\xF0\xE8" : i == 2 ? "???" : kWord1251.substr(0, 3));
    }

    const RunResult second = runInProcess(args);
    EXPECT_EQ(second.out, first.out);
    for (size_t i = 0; i < files.size(); ++i)
        EXPECT_EQ(readFile(files[i]), afterFirst[i]) << files[i];
}

struct FrameCase {
    std::string name;
    std::vector<std::string> options;
    std::string frames;       // the ID3v2.3 frames of the file
    uint8_t encoding;         // every frame's encoding byte after the run
    std::map<std::string, std::string> texts;  // id/description -> text after the run, in UTF-8
};

TEST_F(LibraryRun, AllFramesRecodesEveryTextFrameWithItsDescription)
{
    const std::string others = textFrame("TIT2", "Song") + textFrame("TPE2", kWord1251)
                               + describedFrame("TXXX", 0, kWord1251 + " d", kWord1251 + " x")
                               + describedFrame("COMM", 0, kWord1251 + " d", kWord1251 + " m")
                               + describedFrame("USLT", 0, kWord1251 + " d", kWord1251 + " l");
    const std::string koi8 = "\xF0\xD2\xC9\xD7\xC5\xD4";  // the same word, read back as Latin-1 below
    const auto latin1 = [](const std::string& bytes) {
        std::string utf8;
        for (const char c : bytes) {
            const auto byte = static_cast<uint8_t>(c);
            if (byte < 0x80) {
                utf8 += c;
            } else {
                utf8 += static_cast<char>(0xC0 | (byte >> 6));
                utf8 += static_cast<char>(0x80 | (byte & 0x3F));
            }
        }
        return utf8;
    };
    const std::vector<FrameCase> cases = {
        {"unicode target", {"-a", "-2", "unicode"}, others, 3,
         {{"TIT2/", "Song"}, {"TPE2/", kWordUtf8}, {"TXXX/" + kWordUtf8 + " d", kWordUtf8 + " x"},
          {"COMM/" + kWordUtf8 + " d", kWordUtf8 + " m"}, {"USLT/" + kWordUtf8 + " d", kWordUtf8 + " l"}}},
        // A code page target: its bytes behind encoding byte 0, as for the five fields.
        {"code page target", {"-a", "-2", "koi8-r"}, others, 0,
         {{"TIT2/", "Song"}, {"TPE2/", latin1(koi8)}, {"TXXX/" + latin1(koi8 + " d"), latin1(koi8 + " x")},
          {"COMM/" + latin1(koi8 + " d"), latin1(koi8 + " m")}, {"USLT/" + latin1(koi8 + " d"), latin1(koi8 + " l")}}},
        // Without -a only the five fields are recoded (the comment field is
        // the text of the first COMM frame); the others keep their characters.
        {"without -a", {"-2", "unicode"}, others, 3,
         {{"TIT2/", "Song"}, {"TPE2/", latin1(kWord1251)}, {"TXXX/" + latin1(kWord1251 + " d"), latin1(kWord1251 + " x")},
          {"COMM/" + latin1(kWord1251 + " d"), kWordUtf8 + " m"}, {"USLT/" + latin1(kWord1251 + " d"), latin1(kWord1251 + " l")}}},
        // A second frame of a field is the field's too, with or without -a.
        {"duplicate fields without -a", {"-2", "unicode"},
         textFrame("TIT2", kWord1251) + textFrame("TIT2", kWord1251 + " 2")
             + describedFrame("COMM", 0, "", kWord1251 + " m") + describedFrame("COMM", 0, "", kWord1251 + " m2"),
         3,
         {{"TIT2/", kWordUtf8}, {"TIT2/#2", kWordUtf8 + " 2"}, {"COMM/", kWordUtf8 + " m"},
          {"COMM/#2", kWordUtf8 + " m2"}}},
        // A chapter's title and description, and its table's, are frames too.
        {"chapters with -a", {"-a", "-2", "unicode"},
         textFrame("TIT2", "Song")
             + id3v23Frame("CTOC", std::string("toc\0\x03\x01" "ch1\0", 10) + textFrame("TIT2", kWord1251 + " t"))
             + id3v23Frame("CHAP", std::string("ch1\0", 4) + std::string("\0\0\0\0\0\0\x03\xE8", 8)
                                       + std::string(8, '\xFF') + textFrame("TIT2", kWord1251)
                                       + textFrame("TIT3", kWord1251 + " d")),
         3,
         {{"TIT2/", "Song"}, {"CTOC toc:TIT2/", kWordUtf8 + " t"}, {"CHAP ch1:TIT2/", kWordUtf8},
          {"CHAP ch1:TIT3/", kWordUtf8 + " d"}}},
        // -p keeps what is Unicode already and real Latin-1 text.
        {"-a -p", {"-a", "-p", "-2", "unicode"},
         textFrame("TIT2", "Song") + textFrame("TPE2", utf16WithBom(kPrivetUtf8), 1) + textFrame("TCOM", "Caf\xE9")
             + describedFrame("USLT", 1, utf16WithBom(kZaiUtf8), utf16WithBom(kPrivetUtf8)),
         3, {{"TIT2/", "Song"}, {"TPE2/", kPrivetUtf8}, {"TCOM/", "Caf\xC3\xA9"}, {"USLT/" + kZaiUtf8, kPrivetUtf8}}},
    };
    for (const FrameCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = put("song.mp3", id3v23Tag(c.frames) + kAudio);
        std::vector<std::string> args = {"-s", "cp1251"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back(path);
        const RunResult result = runInProcess(args);
        EXPECT_EQ(result.out, path + kDone);
        std::map<std::string, std::string> found;
        for (const auto& [key, text] : framesOf(readFile(path))) {
            EXPECT_EQ(text.encoding, c.encoding) << key;
            found[key] = text.text;
        }
        EXPECT_EQ(found, c.texts);
    }
}

TEST_F(LibraryRun, PreviewListsTheOtherFramesAfterTheFiveFields)
{
    const std::string path = put("song.mp3", legacyFile());
    const RunResult result = runInProcess({"-w", "-a", "-s", "cp1251", "-2", "unicode", path});
    const std::string others = "\t\tTPE2:\t\t" + kWordUtf8 + " 2\n" + "\t\tTCOM:\t\t" + kWordUtf8 + " c\n"
                               + "\t\tTXXX \"" + kWordUtf8 + " d\":\t" + kWordUtf8 + " x\n"
                               + "\t\tCOMM \"" + kWordUtf8 + " d\":\t" + kWordUtf8 + " m\n"
                               + "\t\tUSLT \"" + kWordUtf8 + " d\":\t" + kWordUtf8 + " l\n"
                               + "\t\tTRCK:\t\t3/12\n";
    const std::string genre = "\t\tGenre:\t\tRock\n";
    EXPECT_EQ(result.out.substr(result.out.find(genre) + genre.size()), others);
    EXPECT_EQ(readFile(path), legacyFile());

    // Control characters are escaped: each frame keeps its one line.
    const std::string lyrics =
        put("lyrics.mp3", id3v23Tag(describedFrame("USLT", 0, "d\x01", "one\ntwo\r\tend")) + kAudio);
    const RunResult listed = runInProcess({"-w", "-a", "-s", "cp1251", "-2", "unicode", lyrics});
    EXPECT_EQ(listed.out.substr(listed.out.find("\t\tGenre:\t\t\n") + 11),
              "\t\tUSLT \"d\\x01\":\tone\\ntwo\\r\\tend\n");
}

TEST_F(LibraryRun, Id3v22FramesKeepTheirMeaning)
{
    const auto frame = [](const std::string& id, const std::string& text) {
        return id3v22Frame(id, std::string(1, '\0') + text);
    };
    const std::string path = put("old.mp3", id3v2Tag(2, 0, frame("TT2", "Song") + frame("TOA", "Original artist")
                                                               + frame("TXT", "Lyricist") + frame("TOT", "Original album")
                                                               + frame("TOL", "Original lyricist"))
                                                + kAudio);
    // The names are right with or without -a.
    for (const char* all : {"-q", "-a"}) {
        SCOPED_TRACE(all);
        ASSERT_EQ(runInProcess({all, "-s", "cp1251", "-2", "unicode", path}).status, 0);
        std::map<std::string, std::string> found;
        for (const auto& [key, text] : framesOf(readFile(path)))
            found[key] = text.text;
        EXPECT_EQ(found, (std::map<std::string, std::string>{{"TIT2/", "Song"},
                                                              {"TOPE/", "Original artist"},
                                                              {"TEXT/", "Lyricist"},
                                                              {"TOAL/", "Original album"},
                                                              {"TOLY/", "Original lyricist"}}));
    }
}

TEST_F(LibraryRun, KeepGoingLeavesFailingFilesByteIdentical)
{
    // 0x98 has no character in cp1251.
    const std::string badTitle = id3v23Tag(textFrame("TIT2", "Bad \x98")) + kAudio;
    const std::string badFrame = legacyFile() + "";
    const std::string badLyrics =
        id3v23Tag(textFrame("TIT2", kWord1251) + describedFrame("USLT", 0, "", "la \x98")) + kAudio;
    const std::string missing = dir.file("missing.mp3");
    const std::string first = put("first.mp3", legacyFile());
    const std::string title = put("title.mp3", badTitle);
    const std::string lyrics = put("lyrics.mp3", badLyrics);
    const std::string last = put("last.mp3", legacyFile());

    const RunResult result =
        runInProcess({"-k", "-a", "-s", "cp1251", "-2", "unicode", first, missing, title, lyrics, last});
    EXPECT_EQ(result.out, first + kDone + "Error: Cannot open file: " + missing + ".\n"
                              + "Error: Error during encoding.\n\n" + "Error: Error during encoding.\n\n" + last + kDone);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(readFile(title), badTitle);
    // Its title converts: the frame that fails keeps the whole file as it was.
    EXPECT_EQ(readFile(lyrics), badLyrics);
    EXPECT_EQ(framesOf(readFile(last))["TIT2/"].text, kWordUtf8);
    // Standard error says which file, where and what.
    EXPECT_EQ(result.err, "tagshifter: " + missing + ": cannot open the file: No such file or directory\n"
                              "tagshifter: " + title + ": TIT2 frame: cannot convert from 'cp1251' (-s) to UTF-8\n"
                              "tagshifter: " + lyrics + ": USLT frame: cannot convert from 'cp1251' (-s) to UTF-8\n"
                              "tagshifter: -1 none removed the ID3v1 tag of 2 files; 'tagshifter --undo' puts them back\n"
                              "tagshifter: 5 files: 2 converted (0 unchanged), 0 previewed, 0 skipped, 3 failed, 0 refused\n");

    // An encoding name that cannot be opened would fail every file: it
    // still ends the run, -k or not.
    const RunResult fatal = runInProcess({"-k", "-s", "cp1251", "-2", "no-such-code-page", last, first});
    EXPECT_EQ(fatal.out, "Error: Cannot open id3v2 encoding.\n\n");
    EXPECT_EQ(fatal.status, 1);
    EXPECT_EQ(fatal.err, "tagshifter: cannot open the encoding 'no-such-code-page' given to -2;"
                         " 'iconv --list' shows the names known here\n"
                         "tagshifter: 2 files: 0 converted (0 unchanged), 0 previewed, 0 skipped, 0 failed, 0 refused, "
                         "2 not reached\n");
}

TEST_F(LibraryRun, WithoutKeepGoingTheFirstFailureStillEndsTheRun)
{
    const std::string bad = id3v23Tag(textFrame("TIT2", kWord1251) + textFrame("TPE1", "\x98")) + kAudio;
    const std::string path = put("bad.mp3", bad);
    const std::string after = put("after.mp3", legacyFile());
    const RunResult result = runInProcess({"-q", "-s", "cp1251", "-1", "cp1251", path, after});
    EXPECT_EQ(result.out, "Error: Error during encoding.\n\n");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(readFile(path), bad);
    EXPECT_EQ(readFile(after), legacyFile());
    // Even under -q, standard error names the file and the field.
    EXPECT_EQ(result.err.substr(0, result.err.find('\n') + 1),
              "tagshifter: " + path + ": artist: cannot convert from 'cp1251' (-s) to UTF-8\n");
    // The count has the file the run never reached.
    EXPECT_EQ(result.err.substr(result.err.find('\n') + 1),
              "tagshifter: 2 files: 0 converted (0 unchanged), 0 previewed, 0 skipped, 1 failed, 0 refused, "
              "1 not reached\n");
}

TEST_F(LibraryRun, Id3v23IsWrittenForOldPlayers)
{
    const struct {
        std::string target;
        uint8_t encoding;
        std::string titleBytes;
    } cases[] = {
        {"unicode", 1, utf16WithBom(kWordUtf8)},
        {"cp1251", 0, kWord1251},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        const std::string path = put("song.mp3", legacyFile());
        ASSERT_EQ(runInProcess({"--id3v2.3", "-a", "-s", "cp1251", "-2", c.target, path}).status, 0);
        const std::string bytes = readFile(path);
        ASSERT_EQ(bytes.substr(0, 4), "ID3\x03");
        const auto tag = readId3v2(bytes);
        ASSERT_TRUE(tag);
        const auto title = frameText(*tag, "TIT2");
        ASSERT_TRUE(title);
        EXPECT_EQ(title->encoding, c.encoding);
        // TagLib may put the byte order mark either way round.
        EXPECT_EQ(toUtf8(*title), toUtf8({c.encoding, c.titleBytes}));
        // TagLib writes a frame of plain ASCII (the genre "Rock") as Latin-1.
        for (const DescribedText& text : describedTexts(*tag)) {
            if (text.id != "TCON") {
                EXPECT_EQ(text.encoding, c.encoding) << text.id;
            }
        }
        EXPECT_EQ(audioBytes(bytes), kAudio);
    }
}

// -2 utf-8 stays a code page (UTF-8 bytes behind encoding byte 0), and the
// run says so once, whatever the case of the name and however many files.
TEST_F(LibraryRun, UnicodeNamedAsCodePageIsWrittenAsOneAndSaidOnce)
{
    const std::string note = "tagshifter: -2 %s writes that encoding's bytes as a code page, in frames marked "
                             "Latin-1, which most players show garbled; Unicode frames are -2 unicode\n";
    for (const std::string name : {"UTF-8", "utf8", "ucs-2", "cp1251"}) {
        SCOPED_TRACE(name);
        const std::string first = put("1.mp3", legacyFile());
        const std::string second = put("2.mp3", legacyFile());
        const RunResult run = runInProcess({"-q", "-s", "cp1251", "-2", name, first, second});
        EXPECT_EQ(run.status, 0);
        std::string lowered = name;
        for (char& c : lowered)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const size_t at = note.find("%s");
        const std::string said = note.substr(0, at) + lowered + note.substr(at + 2);
        // -q, every file well: no count; the ID3v1 tags -1 none removed are named.
        EXPECT_EQ(run.err, (name == "cp1251" ? "" : said)
                               + "tagshifter: -1 none removed the ID3v1 tag of 2 files; 'tagshifter --undo' puts them "
                                 "back\n");
    }
    const auto title = frameText(*readId3v2(readFile(dir.file("1.mp3"))), "TIT2");
    ASSERT_TRUE(title);
    EXPECT_EQ(title->encoding, 0);
}

}  // namespace
}  // namespace tagshifter::test
