// -1 auto is lossless: an ID3v1 tag that already holds, in a page of the
// list or the built-in one, what would be written keeps its bytes, whatever
// page the text was read in or whether it was left as it is; a second run
// over the tool's own output changes no byte.
#include "guess/guess_support.h"
#include "support/fixtures.h"
#include "support/id3_reader.h"

#include <gtest/gtest.h>

namespace tagshifter::test {
namespace {

const std::string kAudio = mpegFrames(2);

std::string legacyFrames(const std::string& artist, const std::string& title, const char* page)
{
    return textFrame("TPE1", storedIn(artist, page)) + textFrame("TIT2", storedIn(title, page));
}

std::string unicodeFrames(const std::string& artist, const std::string& title)
{
    return textFrame("TPE1", utf16WithBom(artist), 1) + textFrame("TIT2", utf16WithBom(title), 1);
}

std::string lastBlock(const std::string& file)
{
    return file.size() >= 128 ? file.substr(file.size() - 128) : std::string();
}

TEST(Id3v1Kept, HeldTextKeepsItsBytesAndASecondRunChangesNothing)
{
    const std::string dzem = "\xC4\x8C" "erní andělé";  // "Černí andělé"
    const std::string fuji = "富士山の見える街で雨が降っている";  // longer than the field: cut
    struct Case {
        const char* name;
        std::string frames;       // the ID3v2 frames, or none
        std::string id3v1Title;   // the ID3v1 title's bytes before the run
        std::string id3v1Artist;
        const char* list;
        std::string wantedTitle;  // its bytes after the run
    };
    const std::vector<Case> cases = {
        // Left as it is under a list that misses the page: the legacy ID3v1 stays.
        {"ID3v1 only, Shift_JIS", "", storedIn("ハチの巣", "SHIFT_JIS"), "Band", "auto:cp1251,koi8-r",
         storedIn("ハチの巣", "SHIFT_JIS")},
        {"cp1250 frames and ID3v1", legacyFrames("Lucie", dzem, "CP1250"), storedIn(dzem, "CP1250"), "Lucie",
         "auto:cp1251,koi8-r", storedIn(dzem, "CP1250")},
        // Read in its page: an ID3v1 in another page of the list that holds the same text stays.
        {"koi8-r read, ID3v1 koi8-r", legacyFrames("Дельфин", "Весна", "KOI8-R"), storedIn("Весна", "KOI8-R"),
         storedIn("Дельфин", "KOI8-R"), "auto", storedIn("Весна", "KOI8-R")},
        {"Unicode, ID3v1 big5", unicodeFrames("齊豫", "橄欖樹"), storedIn("橄欖樹", "BIG5"), storedIn("齊豫", "BIG5"),
         "auto", storedIn("橄欖樹", "BIG5")},
        {"Unicode, ID3v1 euc-jp cut at 30", unicodeFrames("ゆず", fuji), storedIn(fuji, "EUC-JP").substr(0, 30),
         storedIn("ゆず", "EUC-JP"), "auto", storedIn(fuji, "EUC-JP").substr(0, 30)},
        {"Unicode Greek, ID3v1 iso-8859-7", unicodeFrames("Ντομίνικα", "Αποσπώμενος Τίτλος"),
         storedIn("Αποσπώμενος Τίτλος", "ISO-8859-7"), storedIn("Ντομίνικα", "ISO-8859-7"), "auto",
         storedIn("Αποσπώμενος Τίτλος", "ISO-8859-7")},
        // An ID3v1 that does not hold the text is written anew, in the first page of the
        // text's script that does: EUC-JP holds Greek, and GBK Cyrillic with a French
        // comment's accents, but no player would read them there.
        {"Unicode Greek, euc-jp listed first", unicodeFrames("Ντομίνικα", "Αποσπώμενος Τίτλος"), "", "",
         "auto:euc-jp,cp1253", storedIn("Αποσπώμενος Τίτλος", "CP1253")},
        {"Unicode Cyrillic beside a French comment",
         unicodeFrames("Список языков", "не предупреждать о конфликтах")
             + commentFrame(utf16WithBom("République du Guatemala"), 1),
         "", "", "auto", storedIn("не предупреждать о конфликтах", "CP1251")},
        {"stale ID3v1", unicodeFrames("Дельфин", "Весна"), "Old title", "Old artist", "auto",
         storedIn("Весна", "CP1251")},
        {"no ID3v1", unicodeFrames("Дельфин", "Весна"), "", "", "auto", storedIn("Весна", "CP1251")},
        // Cut at a space: written as TagLib reads it back, without the space.
        {"title cut at a space", unicodeFrames("Дельфин", "Весна пришла и снег растаял у нас"), "", "", "auto",
         storedIn("Весна пришла и снег растаял у", "CP1251")},
    };
    TempDir dir;
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        const std::string id3v1 = c.id3v1Title.empty() ? "" : id3v1Block(c.id3v1Title, c.id3v1Artist, "");
        const std::string file = dir.put(std::to_string(i) + ".mp3",
                                         (c.frames.empty() ? "" : id3v23Tag(c.frames)) + kAudio + id3v1);
        const std::vector<std::string> args = {"-q", "--no-journal", "-s", c.list, "-1", "auto", "-2", "unicode", file};
        ASSERT_EQ(runProgram(args).status, 0);
        const std::string once = readFile(file);
        const auto tag = readId3v1(once);
        ASSERT_TRUE(tag.has_value());
        EXPECT_EQ(tag->title, c.wantedTitle);
        if (!c.id3v1Title.empty() && c.wantedTitle == c.id3v1Title) {
            EXPECT_EQ(lastBlock(once), id3v1);  // byte for byte
        }
        ASSERT_EQ(runProgram(args).status, 0);
        EXPECT_TRUE(readFile(file) == once) << "the second run changed the file";
    }
}

// A Western field the file's page cannot hold is transliterated into it;
// the second run finds the same bytes and keeps them.
TEST(Id3v1Kept, TransliteratedFieldIsKeptOnTheSecondRun)
{
    const struct {
        std::string frames;
        const char* list;   // tried, and plain auto
        std::string title;  // the ID3v1 title after the first run
    } cases[] = {
        {legacyFrames("Кино", "Пачка сигарет", "CP1251") + commentFrame(storedIn("Enregistré à Paris", "ISO-8859-1")),
         "auto:cp1251,koi8-r", storedIn("Пачка сигарет", "CP1251")},
        // Korean titles beside a Western name in Latin-1 that cp949 cannot decode.
        {textFrame("TPE1", storedIn("Symbol für dieses Fenster", "ISO-8859-1"))
             + textFrame("TIT2", storedIn("시스템 충돌 임박", "CP949")),
         "auto:cp1252,cp949", storedIn("시스템 충돌 임박", "CP949")},
    };
    TempDir dir;
    for (size_t i = 0; i < std::size(cases); ++i) {
        const std::string file = dir.put(std::to_string(i) + ".mp3", id3v23Tag(cases[i].frames) + kAudio);
        for (const char* list : {cases[i].list, "auto"}) {
            const std::vector<std::string> args = {"-q", "--no-journal", "-s", list, "-1", "auto", "-2", "unicode", file};
            ASSERT_EQ(runProgram(args).status, 0);
            const std::string once = readFile(file);
            const auto tag = readId3v1(once);
            ASSERT_TRUE(tag.has_value());
            EXPECT_EQ(tag->title, cases[i].title) << list;
            ASSERT_EQ(runProgram(args).status, 0);
            EXPECT_TRUE(readFile(file) == once) << "the second run changed the file under " << list;
        }
    }
}

}  // namespace
}  // namespace tagshifter::test
