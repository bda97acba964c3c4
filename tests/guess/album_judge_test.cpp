// The per-album decision: what is left alone, what is fixed, and which file
// of an album is judged alone.
#include "guess/album_judge.h"

#include "guess/guess_support.h"

#include <gtest/gtest.h>

namespace tagshifter::test {
namespace {

using guess::AlbumJudge;
using guess::CandidateList;
using guess::FileTexts;
using guess::Reading;
using tagshifter::LabelledText;
using tagshifter::Reader;

std::vector<std::string> labels(const std::vector<Reading>& readings)
{
    std::vector<std::string> result;
    for (const auto& reading : readings)
        result.push_back(reading.label());
    return result;
}

FileTexts file(const char* artist, const char* title, const char* page)
{
    return {storedIn(artist, page), storedIn(title, page)};
}

// A compilation's track: its own artist and title, the album's name in ASCII.
FileTexts track(const char* artist, const char* title, const char* page)
{
    return {storedIn(artist, page), "Euro Hits", storedIn(title, page)};
}

TEST(AlbumJudge, LeavesAsciiWesternAndUnicodeFilesAlone)
{
    for (const char* list : {"auto", "auto:cp1251,koi8-r", "auto:cp1250", "auto:cp1254"}) {
        AlbumJudge judge(CandidateList::parse(list));
        const std::vector<FileTexts> files = {
            {"The Beatles", "Come Together"},
            file("Édith Piaf", "Été", "ISO-8859-1"),
            file("Thomas Müller", "Müller", "ISO-8859-1"),
            file("Motörhead", "Björk", "ISO-8859-1"),
            {},  // every field Unicode already: nothing judged
        };
        EXPECT_EQ(labels(judge.judge(files)),
                  std::vector<std::string>(files.size(), "left as it is"))
            << list;
    }
}

TEST(AlbumJudge, TellsKoi8rFromCp1251ForTheSameAlbum)
{
    AlbumJudge judge(CandidateList::parse("auto:cp1251,koi8-r"));
    for (const char* page : {"cp1251", "koi8-r"}) {
        const std::vector<FileTexts> album = {
            file("Кино", "Группа крови", page),
            file("Кино", "Война", page),
            file("Кино", "Спокойная ночь", page),
        };
        EXPECT_EQ(labels(judge.judge(album)), std::vector<std::string>(3, page));
    }
}

TEST(AlbumJudge, JudgesAFileAloneWhenItsTextDisagreesWithTheAlbum)
{
    AlbumJudge judge(CandidateList::parse("auto"));
    const std::vector<FileTexts> album = {
        file("Сборник", "Всё идёт по плану", "cp1251"),
        file("Сборник", "Перемен", "cp1251"),
        file("Сборник", "Я свободен", "koi8-r"),
        file("Edith Piaf", "Été", "ISO-8859-1"),
        {"Сборник" /* UTF-8 bytes */, "Кукушка"},
    };
    EXPECT_EQ(labels(judge.judge(album)),
              (std::vector<std::string>{"cp1251", "cp1251", "koi8-r", "left as it is", "utf-8"}));
}

// A compilation: each file whose own text reads in a page of the list gets
// it, however few share it; "no page of the list fits" is said of the file
// no page reads, not of its folder; Latin-1 text among them stays.
TEST(AlbumJudge, EachFileOfACompilationGetsThePageItsOwnTextReadsIn)
{
    struct Case {
        const char* list;
        std::vector<std::pair<FileTexts, const char*>> files;  // and the label expected
    };
    const Case cases[] = {
        {"auto:cp1251,cp1253,cp1255",
         {{file("Сборник", "Всё идёт по плану", "cp1251"), "cp1251"},
          {file("Сборник", "Звезда по имени Солнце", "cp1251"), "cp1251"},
          {file("Άννα Βίσση", "Δώδεκα", "cp1253"), "cp1253"},
          {file("עומר אדם", "שני משוגעים", "cp1255"), "cp1255"},
          {file("Björk", "Jóga", "ISO-8859-1"), "left as it is"}}},
        {"auto:cp1251,koi8-r",
         {{file("Сборник", "Всё идёт по плану", "cp1251"), "cp1251"},
          {file("Сборник", "Я свободен", "koi8-r"), "koi8-r"},
          {file("Άννα Βίσση", "Δώδεκα", "cp1253"), "no page of the list fits"},
          {file("Сборник", "Перемен", "cp1251"), "cp1251"}}},
        {"auto",
         {{file("Kayahan", "Aşk", "cp1254"), "cp1254"},
          {file("Kayahan", "Gönül Sabreyle", "cp1254"), "cp1254"},
          {file("Sezen Aksu", "Şarkı Söylemek Lazım", "cp1254"), "cp1254"},
          {file("Lady Pank", "Mniej niż zero", "cp1250"), "cp1250"},
          {file("Кино", "Группа крови", "cp1251"), "cp1251"}}},
        // One track each of three listed pages: no outside page reads them
        // all better than the list, however badly the Polish page reads
        // the Russian track; a one-letter Polish title and "œ" of the
        // French track still read in their own pages.
        {"auto:cp1250,cp1251,cp1252",
         {{track("Golec uOrkiestra", "Ściernisco", "cp1250"), "cp1250"},
          {track("Кино", "Кукушка", "cp1251"), "cp1251"},
          {track("Patricia Kaas", "Mademoiselle chante le blues", "cp1252"), "left as it is"}}},
        // Turkish whose "ş" reads as a Baltic page's "ž" ("Žebnem Ferah",
        // "Ažk", Slovenian and Czech to look at), and a Latvian name whose
        // one letter beyond ASCII reads as no Western word ("Pçrkons").
        {"auto",
         {{file("Şebnem Ferah", "Sil Baştan", "cp1254"), "cp1254"},
          {file("Şebnem Ferah", "Bu Aşk Fazla Sana", "cp1254"), "cp1254"}}},
        {"auto:cp1257", {{file("Pērkons", "Pie baltas lapas", "cp1257"), "cp1257"}}},
        // Plain Windows-1252 French under a list naming its page: the
        // Turkish and Vietnamese pages read it alike, and "ça" and "où"
        // read no better under them than under its own.
        {"auto:cp1252,cp1251",
         {{file("Mistinguett", "Ça c’est Paris", "cp1252"), "cp1252"},
          {file("Serge Gainsbourg", "Je t’aime… moi non plus", "cp1252"), "cp1252"},
          {file("Francis Cabrel", "Là où je t’emmènerai", "cp1252"), "cp1252"}}},
        {"auto:cp1250,cp1251,cp1252",
         {{track("Lady Pank", "Mniej niż zero", "cp1250"), "cp1250"},
          {track("Алла Пугачёва", "Арлекино", "cp1251"), "cp1251"},
          {track("Indochine", "L'aventurier", "cp1252"), "left as it is"}}},
        {"auto:cp1250,cp1251,cp1252",
         {{track("Łzy", "Oczy szeroko zamknięte", "cp1250"), "cp1250"},
          {track("Пикник", "Египтянин", "cp1251"), "cp1251"},
          {track("Œuvre", "Cœur de pirate", "cp1252"), "cp1252"}}},
        // "Żegnaj" is "¯egnaj" as it is and "―egnaj" in cp1253: a sign
        // glued to the front of a word.
        {"auto",
         {{track("Ich Troje", "Żegnaj", "cp1250"), "cp1250"},
          {track("Сектор Газа", "Лирика", "cp1251"), "cp1251"},
          {track("Indochine", "L'aventurier", "cp1252"), "left as it is"}}},
        // Korean bytes read as GBK are common Han ("핑계" as "俏拌"): the
        // Korean files keep their page in a folder of mostly Chinese.
        {"auto:cp932,gbk,big5,cp949",
         {{file("王菲", "红豆", "gbk"), "gbk"},
          {file("김건모", "핑계", "cp949"), "cp949"},
          {file("张学友", "每天爱你多一些", "gbk"), "gbk"},
          {file("周杰倫", "雙截棍", "big5"), "big5"},
          {file("朴树", "白桦林", "gbk"), "gbk"},
          {file("김건모", "잘못된 만남", "cp949"), "cp949"}}},
    };
    for (const auto& c : cases) {
        AlbumJudge judge(CandidateList::parse(c.list));
        std::vector<FileTexts> files;
        std::vector<std::string> expected;
        for (const auto& [texts, label] : c.files)
            files.push_back(texts), expected.push_back(label);
        EXPECT_EQ(labels(judge.judge(files)), expected) << c.list;
    }
}

// A genuine Western comment in a Latin-1 frame of an album in a Central
// European page: the titles are read in their page, the comment stays,
// even when a lone "à" is all it holds beyond ASCII ("ŕ" in cp1250).
TEST(AlbumJudge, AWesternCommentThatReadsWellAsItIsStays)
{
    const char* const titles[] = {"Mniej niż zero", "Wciąż bardziej obcy", "Tańcz głupia, tańcz"};
    for (const char* list : {"auto", "auto:cp1250,iso-8859-2"})
        for (const char* comment : {"L'Hymne à l'amour", "Voilà", "Enregistré à Paris, août 1988"}) {
            AlbumJudge judge(CandidateList::parse(list));
            std::vector<FileTexts> files;
            for (const char* title : titles)
                files.push_back({LabelledText("TPE1", storedIn("Lady Pank", "CP1250"), Reader::Latin1, false),
                                 LabelledText("TIT2", storedIn(title, "CP1250"), Reader::Latin1, false),
                                 LabelledText("COMM", storedIn(comment, "CP1252"), Reader::Latin1, false)});
            for (const Reading& reading : judge.judge(files)) {
                EXPECT_EQ(reading.codePage, "cp1250") << list << " " << comment;
                EXPECT_EQ(reading.keptAsItIs, std::vector<std::string>{"COMM"}) << list << " " << comment;
            }
        }
}

// Korean titles in cp949 beside a Western name in Latin-1 whose accented
// letter starts no cp949 character ("ü" before "r", "é" at the end): the
// titles keep their Korean page, read as GBK they are Han no one wrote, and
// the name stays.
TEST(AlbumJudge, KoreanTitlesBesideAWesternNameCp949CannotDecodeKeepTheirPage)
{
    const std::pair<const char*, const char*> files[] = {
        {"Symbol für dieses Fenster", "현재 브랜치"},
        {"Königreich Saudi-Arabien", "값이 바뀐 걸 알릴 때 쓰입니다"},
        {"Icône secondaire activable", "시스템 충돌 임박"},
        // An accented letter ends the name; a Korean particle ends a Latin word.
        {"Puinavé", "병합이 끝날 때 diffstat을 표시합니다"},
    };
    for (const char* list : {"auto", "auto:gbk,cp949,cp1252"})
        for (const auto& [artist, title] : files) {
            AlbumJudge judge(CandidateList::parse(list));
            std::vector<FileTexts> album;
            for (const char* name : {title, "매우 강력", "포르투갈 공화국"})
                album.push_back({LabelledText("TPE1", storedIn(artist, "ISO-8859-1"), Reader::Latin1, false),
                                 LabelledText("TIT2", storedIn(name, "cp949"), Reader::Latin1, false),
                                 LabelledText("TALB", storedIn("운영 체제", "cp949"), Reader::Latin1, false)});
            for (const Reading& reading : judge.judge(album)) {
                EXPECT_EQ(reading.codePage, "cp949") << list << " " << artist;
                EXPECT_EQ(reading.keptAsItIs, std::vector<std::string>{"TPE1"}) << list << " " << artist;
            }
        }
}

// Italian titles in Latin-1 beside a Russian artist and album in cp1251:
// a lone "è" is no Cyrillic "и" among Italian words, whatever page the
// album takes.
TEST(AlbumJudge, ALoneAccentedWordOfAWesternTitleStaysBesideCyrillicFields)
{
    const std::pair<const char*, const char*> files[] = {
        {"Tor non è in esecuzione", "Марзук"},
        {"Municipalità di Daugavpil", "Портретная"},
        {"voce di menù radio", "количество дисков"},
        {"Modalità a linea singola", "Луар и Шер"},
    };
    for (const char* list : {"auto", "auto:cp1251,cp1252"}) {
        AlbumJudge judge(CandidateList::parse(list));
        std::vector<FileTexts> album;
        for (const auto& [title, name] : files)
            album.push_back({LabelledText("TPE1", storedIn("араванские языки", "cp1251"), Reader::Latin1, false),
                             LabelledText("TIT2", storedIn(title, "ISO-8859-1"), Reader::Latin1, false),
                             LabelledText("TALB", storedIn(name, "cp1251"), Reader::Latin1, false)});
        for (const Reading& reading : judge.judge(album)) {
            EXPECT_EQ(reading.codePage, "cp1251") << list;
            EXPECT_EQ(reading.keptAsItIs, std::vector<std::string>{"TIT2"}) << list;
        }
    }
}

// Albums a real library was seen to get wrong, under plain auto and under
// a list of every page that library held: never another script, and a
// genuine Western name in a Latin-1 frame stays.
TEST(AlbumJudge, ReadsTheAlbumsRealLibrariesWereMisreadIn)
{
    struct Case {
        std::vector<FileTexts> files;
        const char* expected;  // the label of every file
    };
    const Case cases[] = {
        {{file("Maná", "¿Dónde jugarán los niños?", "cp1252"), file("Maná", "Oye mi amor", "cp1252")},
         "left as it is"},
        {{file("Khánh Ly", "Diễm xưa", "cp1258")}, "cp1258"},
        {{file("Khánh Ly", "Ca dao me", "ISO-8859-1")}, "left as it is"},
        {{file("Björk", "Jóga", "ISO-8859-1"), file("Björk", "Hyperballad", "ISO-8859-1")},
         "left as it is"},
        {{file("Édith Piaf", "L'Hymne à l'amour", "cp1252"), file("Édith Piaf", "Padam padam", "cp1252")},
         "left as it is"},
        {{file("김건모", "핑계", "cp949"), file("김건모", "잘못된 만남", "cp949")}, "cp949"},
        {{file("Алла Пугачёва", "Примадонна", "cp1251"), file("Алла Пугачёва", "Арлекино", "cp1251")},
         "cp1251"},
        {{file("Wilki", "Baśka", "cp1250"), file("Wilki", "Nie stało się nic", "cp1250")}, "cp1250"},
        {{file("Tarkan", "Aşk", "cp1254"), file("Tarkan", "Şımarık", "cp1254")}, "cp1254"},
        {{file("那英", "征服", "gbk"), file("那英", "白天不懂夜的黑", "gbk")}, "gbk"},
    };
    for (const char* list : {"auto", "auto:cp1250,cp1251,cp1252,cp1253,cp1254,cp1257,cp1258,koi8-r,"
                                     "iso-8859-2,iso-8859-7,euc-jp,cp932,gbk,big5,cp949"}) {
        AlbumJudge judge(CandidateList::parse(list));
        for (const auto& c : cases)
            EXPECT_EQ(labels(judge.judge(c.files)), std::vector<std::string>(c.files.size(), c.expected))
                << list << ": case " << &c - cases;
    }
}

// Latvian and Lithuanian in ISO-8859-4 put "ļ", "ā", "ž" where no other
// built-in page has them: plain auto reads them only through that page
// itself, as uchardet names it.
TEST(AlbumJudge, PlainAutoReadsTheOlderBalticPage)
{
    AlbumJudge judge(CandidateList::parse("auto"));
    const std::vector<FileTexts> latvian = {file("Jumprava", "Ziemeļmeita", "ISO-8859-4"),
                                            file("Jumprava", "Tālu", "ISO-8859-4")};
    const std::vector<FileTexts> lithuanian = {file("Bix", "Trečias pasaulis", "ISO-8859-4"),
                                               file("Bix", "Žvaigždė", "ISO-8859-4")};
    EXPECT_EQ(labels(judge.judge(latvian)), std::vector<std::string>(2, "iso-8859-4"));
    EXPECT_EQ(labels(judge.judge(lithuanian)), std::vector<std::string>(2, "iso-8859-4"));
}

// A folder whose only legacy text is one word of two letters says too
// little for any page of one byte per character.
TEST(AlbumJudge, LeavesATwoLetterWordAloneInItsFolder)
{
    AlbumJudge judge(CandidateList::parse("auto:cp1251,koi8-r"));
    EXPECT_EQ(labels(judge.judge({file("Band", "Да", "cp1251")})),
              std::vector<std::string>{"left as it is"});
    EXPECT_EQ(labels(judge.judge({file("Band", "Да", "cp1251"), file("Band", "Родина", "cp1251")})),
              (std::vector<std::string>{"cp1251", "cp1251"}));
}

TEST(AlbumJudge, ReadsAShortCjkTitleAloneInItsMultiByteCodePage)
{
    // Two to four bytes, which single-byte pages also read as letters or
    // signs: the reading that makes characters of byte pairs wins the tie.
    AlbumJudge judge(CandidateList::parse("auto"));
    const std::pair<const char*, const char*> cases[] = {
        {"道", "cp932"}, {"红豆", "gbk"}, {"吻別", "big5"}};
    for (const auto& [title, page] : cases)
        EXPECT_EQ(labels(judge.judge({{storedIn(title, page)}})), std::vector<std::string>{page})
            << title;
    // EUC-JP reads short Chinese as well: however the user orders the list,
    // the tie goes to the page the built-in list puts first.
    AlbumJudge named(CandidateList::parse("auto:cp1251,shift_jis,euc-jp,gbk,big5,cp949"));
    const std::pair<const char*, const char*> chinese[] = {
        {"汪峰", "春天里"}, {"林俊杰", "江南"}, {"beyond", "海阔天空"}, {"刀郎", "冲动的惩罚"}};
    for (const auto& [artist, title] : chinese)
        EXPECT_EQ(labels(named.judge({{storedIn(artist, "gbk"), storedIn(title, "gbk")}})),
                  std::vector<std::string>{"gbk"})
            << title;
}

TEST(AlbumJudge, NamesTheListedPageForUchardetsRelative)
{
    // uchardet answers ISO-8859-7 for this; the user's list names cp1253,
    // which alone reads the "Ά" right, whether or not it names iso-8859-7 too.
    for (const char* list : {"auto:cp1253", "auto:iso-8859-7,cp1253", "auto:cp1253,iso-8859-7"}) {
        AlbumJudge judge(CandidateList::parse(list));
        const auto readings = judge.judge({file("Άννα Βίσση", "Δώδεκα", "cp1253")});
        EXPECT_EQ(labels(readings), std::vector<std::string>{"cp1253"}) << list;
    }
}

TEST(AlbumJudge, UnicodeTextOfAFileTellsTheLanguageOfItsLoneLegacyField)
{
    // "Кино" alone reads as two Japanese characters in euc-jp, as well as
    // in cp1251; the file's Cyrillic title in Unicode settles it. "МакSим"
    // mixes two alphabets as its singer writes it, while GBK makes three
    // Han characters of it: beside a Cyrillic title, Han is no reading.
    const struct {
        const char* artist;
        const char* title;
    } cases[] = {{"Кино", "Пачка сигарет"}, {"МакSим", "Знаешь ли ты"}};
    AlbumJudge judge(CandidateList::parse("auto"));
    for (const auto& c : cases) {
        LabelledText title("TIT2", c.title, Reader::Latin1, true);
        title.evidenceOnly = true;
        const LabelledText artist("TPE1", storedIn(c.artist, "cp1251"), Reader::Latin1, false);
        EXPECT_EQ(labels(judge.judge({{artist, title}, {artist, title}})),
                  (std::vector<std::string>{"cp1251", "cp1251"}))
            << c.artist;
    }
}

}  // namespace
}  // namespace tagshifter::test
