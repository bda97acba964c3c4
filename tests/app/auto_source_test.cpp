// -s auto end to end: the real program over per-album folders of MP3 files
// made from the evaluation set, every field checked on disk; the preview's
// label; albums of two code pages given interleaved in one run.
#include "guess/evaluation_set.h"
#include "guess/guess_support.h"
#include "guess/held_out_set.h"
#include "support/fixtures.h"
#include "support/id3_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <map>
#include <set>

namespace tagshifter::test {
namespace {

const std::string kAudio = mpegFrames(2);

bool keptAsItIs(const std::string& page)
{
    return page == "latin1" || page == "ascii" || page == "unicode";
}

// One ID3v2.3 text frame of `utf8` stored the way `page` says: UTF-16 for
// "unicode", the UTF-8 bytes behind encoding byte 0 for "utf-8", else the
// code page's bytes behind encoding byte 0.
std::string storedFrame(const std::string& id, const std::string& utf8, const std::string& page)
{
    if (page == "unicode")
        return textFrame(id, utf16WithBom(utf8), 1);
    if (page == "utf-8" || page == "ascii")
        return textFrame(id, utf8);
    return textFrame(id, storedIn(utf8, page == "latin1" ? "ISO-8859-1" : page.c_str()));
}

struct MadeFile {
    std::string path, page;
    std::string artist, album, title;  // what each field must hold after the run, in UTF-8
};

// Writes each album into a folder of its own under `root`, and gives the
// files interleaved across the albums (first tracks first), so that no
// album's files stand together on the command line.
std::vector<MadeFile> makeLibrary(const std::string& root, const std::vector<const Album*>& albums)
{
    std::vector<std::vector<MadeFile>> perAlbum;
    for (size_t a = 0; a < albums.size(); ++a) {
        const Album& album = *albums[a];
        const std::string folder = root + "/" + std::to_string(a);
        mkdir(folder.c_str(), 0755);
        perAlbum.emplace_back();
        for (size_t t = 0; t < album.tracks.size(); ++t) {
            const std::string page = album.tracks[t].page ? album.tracks[t].page : album.page;
            MadeFile made{folder + "/" + std::to_string(t) + ".mp3", page, album.artist, album.album,
                          album.tracks[t].title};
            writeFile(made.path, id3v23Tag(storedFrame("TPE1", made.artist, page)
                                           + storedFrame("TALB", made.album, page)
                                           + storedFrame("TIT2", made.title, page))
                                     + kAudio);
            perAlbum.back().push_back(made);
        }
    }
    size_t total = 0;
    for (const auto& files : perAlbum)
        total += files.size();
    std::vector<MadeFile> interleaved;
    for (size_t t = 0; interleaved.size() < total; ++t)
        for (const auto& files : perAlbum)
            if (t < files.size())
                interleaved.push_back(files[t]);
    return interleaved;
}

struct Tally {
    int right = 0, files = 0;
    double share() const { return files ? 100.0 * right / files : 100.0; }
};

struct Figures {
    std::map<std::string, Tally> perPage;
    Tally overall;  // the legacy pages and UTF-8
    int falseFixes = 0;
};

// Runs the program with `list` over the albums and scores every file by
// what its three fields hold on disk.
void runAndScore(const std::vector<const Album*>& albums, const std::string& list, Figures& figures)
{
    TempDir dir;
    const std::vector<MadeFile> files = makeLibrary(dir.path(), albums);
    std::vector<std::string> args = {"-q", "-s", list, "-2", "unicode"};
    for (const auto& file : files)
        args.push_back(file.path);
    const RunResult run = runProgram(args);
    EXPECT_EQ(run.status, 0) << list << "\n" << run.out;

    for (const auto& file : files) {
        const auto tag = readId3v2(readFile(file.path));
        bool right = tag.has_value();
        std::string found;
        for (const auto& [id, wanted] : {std::pair<const char*, const std::string&>{"TPE1", file.artist},
                                         {"TALB", file.album}, {"TIT2", file.title}}) {
            const auto text = tag ? frameText(*tag, id) : std::nullopt;
            const std::string value = text ? toUtf8(*text) : "(none)";
            right = right && value == wanted;
            found += " / " + value;
        }
        Tally& page = figures.perPage[file.page];
        ++page.files, page.right += right;
        if (keptAsItIs(file.page))
            figures.falseFixes += !right;
        else
            ++figures.overall.files, figures.overall.right += right;
        if (!right)
            std::printf("  wrong under %s: %s [%s] came out as%s\n", list.c_str(), file.path.c_str(),
                        file.page.c_str(), found.c_str());
    }
}

void printFigures(const char* title, const Figures& natural, const Figures& automatic)
{
    std::printf("%s, files wholly right on disk\n %-12s %18s %18s\n", title, "stored as",
                "natural list", "auto");
    for (const auto& [page, tally] : natural.perPage) {
        const auto found = automatic.perPage.find(page);
        const Tally none;
        const Tally& a = found == automatic.perPage.end() ? none : found->second;
        std::printf(" %-12s %5.1f %% (%3d/%3d) %5.1f %% (%3d/%3d)\n", page.c_str(), tally.share(),
                    tally.right, tally.files, a.share(), a.right, a.files);
    }
    std::printf(" %-12s %5.1f %% (%3d/%3d) %5.1f %% (%3d/%3d)\n false fixes: %d natural, %d auto\n",
                "overall", natural.overall.share(), natural.overall.right, natural.overall.files,
                automatic.overall.share(), automatic.overall.right, automatic.overall.files,
                natural.falseFixes, automatic.falseFixes);
}

// Each natural list in one run over its own albums and every control album
// (ASCII, genuine Western, already Unicode, and UTF-8 ones with no list);
// then plain auto in one run over all of them.
void evaluate(const char* title, const std::vector<Album>& set)
{
    std::map<std::string, std::vector<const Album*>> byList;
    std::vector<const Album*> controls, all;
    for (const auto& album : set) {
        all.push_back(&album);
        if (*album.list)
            byList[album.list].push_back(&album);
        else
            controls.push_back(&album);
    }
    Figures natural, automatic;
    for (auto& [list, albums] : byList) {
        albums.insert(albums.end(), controls.begin(), controls.end());
        runAndScore(albums, std::string("auto:") + list, natural);
    }
    runAndScore(all, "auto", automatic);
    printFigures(title, natural, automatic);

    EXPECT_GE(natural.overall.share(), 97.0);
    for (const auto& [page, tally] : natural.perPage)
        EXPECT_GE(tally.share(), perPageFloor(page)) << page;
    EXPECT_GE(automatic.overall.share(), 85.0);
    EXPECT_EQ(natural.falseFixes, 0);
    EXPECT_EQ(automatic.falseFixes, 0);
    for (const char* control : {"ascii", "latin1", "unicode"})
        EXPECT_GT(natural.perPage[control].files, 0) << control;  // the controls did run
}

TEST(AutoSourceEvaluation, TuningSetOnDisk)
{
    evaluate("tuning set", tuningAlbums());
}

TEST(AutoSourceEvaluation, HeldOutSetsOnDisk)
{
    std::vector<Album> albums = heldOutAlbums();
    albums.insert(albums.end(), freshAlbums().begin(), freshAlbums().end());
    evaluate("held-out sets", albums);
}

class AutoSource : public testing::Test {
protected:
    std::string put(const std::string& name, const std::string& page, const std::string& artist,
                    const std::string& title)
    {
        const std::string path = dir.file(name);
        mkdir(path.substr(0, path.rfind('/')).c_str(), 0755);
        writeFile(path, id3v23Tag(storedFrame("TPE1", artist, page) + storedFrame("TIT2", title, page))
                            + kAudio);
        return path;
    }

    static std::string fieldOnDisk(const std::string& path, const char* id)
    {
        const auto tag = readId3v2(readFile(path));
        const auto text = tag ? frameText(*tag, id) : std::nullopt;
        return text ? toUtf8(*text) : "(none)";
    }

    TempDir dir;
};

// The first line of each listing names the reading; with a named source it
// is the file name alone.
TEST_F(AutoSource, PreviewNamesTheReadingOfEachFile)
{
    const std::vector<std::string> files = {
        put("ru/1.mp3", "cp1251", "Кино", "Группа крови"),
        put("fr/1.mp3", "latin1", "Édith Piaf", "Été"),
        put("u8/1.mp3", "utf-8", "Кино", "Кукушка"),
        put("en/1.mp3", "ascii", "The Beatles", "Something"),
    };
    const std::vector<std::string> labels = {"cp1251", "left as it is", "utf-8", "left as it is"};
    for (const std::string list : {"auto:cp1251,koi8-r", "auto"}) {
        SCOPED_TRACE(list);
        std::vector<std::string> args = {"-w", "-s", list, "-2", "unicode"};
        args.insert(args.end(), files.begin(), files.end());
        const RunResult run = runProgram(args);
        EXPECT_EQ(run.status, 0);
        for (size_t i = 0; i < files.size(); ++i)
            EXPECT_NE(run.out.find(files[i] + " [" + labels[i] + "]\n\tid3v1:\n"), std::string::npos)
                << run.out;
        EXPECT_NE(run.out.find("\t\tTitle:\t\tГруппа крови\n"), std::string::npos);
        EXPECT_NE(run.out.find("\t\tTitle:\t\tКукушка\n"), std::string::npos);
        EXPECT_NE(run.out.find("\t\tTitle:\t\tÉté\n"), std::string::npos);
    }
    const RunResult named = runProgram({"-w", "-s", "cp1251", "-2", "unicode", files[0]});
    EXPECT_EQ(named.out.substr(0, files[0].size() + 9), files[0] + "\n\tid3v1:\n");
}

// A koi8-r album and a cp1251 album, given interleaved, each with a short
// title that read alone is left as it is: each folder is judged as one
// album, and the same title alone in a folder of its own stays as it is.
// The files are done in command-line order; a missing file among them is
// reported under -k and the rest done.
TEST_F(AutoSource, FoldersGivenInterleavedAreJudgedAsAlbums)
{
    const std::vector<std::string> koi8 = {"Снег", "ДДТ", "Ромашки"};
    const std::vector<std::string> cp1251 = {"Родина", "Да", "Дождь"};
    std::vector<std::string> files, expected;
    for (size_t i = 0; i < 3; ++i) {
        files.push_back(put("koi8/" + std::to_string(i) + ".mp3", "koi8-r", "Band", koi8[i]));
        expected.push_back(koi8[i]);
        files.push_back(put("cp1251/" + std::to_string(i) + ".mp3", "cp1251", "Band", cp1251[i]));
        expected.push_back(cp1251[i]);
    }
    files.push_back(put("single/0.mp3", "cp1251", "Band", "Да"));
    expected.push_back("\xC3\x84\xC3\xA0");  // "Äà": the cp1251 bytes as Latin-1
    const std::string missing = dir.file("cp1251/missing.mp3");
    files.insert(files.begin() + 3, missing);

    std::vector<std::string> args = {"-k", "-s", "auto:cp1251,koi8-r", "-2", "unicode"};
    args.insert(args.end(), files.begin(), files.end());
    const RunResult run = runProgram(args);
    EXPECT_EQ(run.status, 1);
    std::string lines;
    for (const auto& file : files)
        lines += file == missing ? "Error: Cannot open file: " + missing + ".\n" : file + "...done\n";
    EXPECT_EQ(run.out, lines);

    files.erase(files.begin() + 3);
    for (size_t i = 0; i < files.size(); ++i)
        EXPECT_EQ(fieldOnDisk(files[i], "TIT2"), expected[i]) << files[i];
}

// What the judge is shown follows -p and -a: with -p only the fields the -p
// rule would recode (genuine "Café" beside a cp1251 title stays; without -p
// it stays too, as a field that reads better as it is), with -a
// the other frames too (koi8-r text only in TPE2 and TXXX still decides).
TEST_F(AutoSource, PreserveUnicodeAndAllFramesChooseWhatIsJudged)
{
    struct Case {
        std::vector<std::string> options;
        std::string frames;
        std::map<std::string, std::string> expected;  // id -> text on disk
    };
    const auto asLatin1 = [](const std::string& bytes) {
        std::string utf8;
        for (unsigned char c : bytes)
            utf8 += c < 0x80 ? std::string(1, char(c))
                             : std::string{char(0xC0 | c >> 6), char(0x80 | (c & 0x3F))};
        return utf8;
    };
    const std::string title = storedIn("Группа крови", "cp1251");
    const std::string cafe = storedIn("Café", "ISO-8859-1");
    const std::string koi8 = storedIn("Земфира", "koi8-r");
    const std::string otherFrames = textFrame("TIT2", "Song") + textFrame("TPE2", koi8)
                                    + describedFrame("TXXX", 0, "note", storedIn("Снег идёт", "koi8-r"));
    const std::vector<Case> cases = {
        {{"-p"}, textFrame("TIT2", title) + textFrame("TPE1", cafe),
         {{"TIT2", "Группа крови"}, {"TPE1", "Café"}}},
        {{}, textFrame("TIT2", title) + textFrame("TPE1", cafe),  // judged, and kept field by field
         {{"TIT2", "Группа крови"}, {"TPE1", "Café"}}},
        {{"-a"}, otherFrames, {{"TIT2", "Song"}, {"TPE2", "Земфира"}}},
        {{}, otherFrames, {{"TIT2", "Song"}, {"TPE2", asLatin1(koi8)}}},  // not walked, not recoded
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        const std::string file = dir.put(std::to_string(i) + ".mp3", id3v23Tag(cases[i].frames) + kAudio);
        std::vector<std::string> args = cases[i].options;
        args.insert(args.end(), {"-q", "-s", "auto:cp1251,koi8-r", "-2", "unicode", file});
        EXPECT_EQ(runProgram(args).status, 0);
        for (const auto& [id, text] : cases[i].expected)
            EXPECT_EQ(fieldOnDisk(file, id.c_str()), text) << id;
    }
}

// An unusable list ends the run before any file changes, with the line on
// standard error naming the name of the list it does not know.
TEST_F(AutoSource, UnknownCodePageInTheListIsFatal)
{
    const std::string file = put("ru/1.mp3", "cp1251", "Кино", "Война");
    const std::string before = readFile(file);
    const RunResult run = runInProcess({"-k", "-s", "auto:cp1251,no-such-page", "-2", "unicode", file, file});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "Error: Cannot open source encoding.\n\n");  // as with a named page
    EXPECT_NE(run.err.find("cannot open the encoding 'no-such-page' given to -s"), std::string::npos)
        << run.err;
    EXPECT_EQ(readFile(file), before);
}

}  // namespace
}  // namespace tagshifter::test

namespace tagshifter::test {
namespace {

// The survey's words per file: a field kept as it is beside the file's page,
// and an album that no page of the list reads as real text.
TEST_F(AutoSource, SurveyNamesFieldsKeptAndListsThatMissThePage)
{
    const std::string mixed = dir.put("ru.mp3", id3v23Tag(storedFrame("TPE1", "Кино", "cp1251")
                                                          + storedFrame("TIT2", "Группа крови", "cp1251")
                                                          + commentFrame(storedIn("Café del Mar", "ISO-8859-1")))
                                                    + kAudio);
    const std::string greek = put("gr/1.mp3", "cp1253", "Μίκης Θεοδωράκης", "Το γελαστό παιδί");
    const RunResult run = runProgram({"-w", "-s", "auto:cp1251,koi8-r", "-2", "unicode", mixed, greek});
    EXPECT_NE(run.out.find(mixed + " [cp1251; comment as it is]\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\t\tComment:\tCafé del Mar\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(greek + " [no page of the list fits]\n"), std::string::npos) << run.out;
}

// Text a Western tool misread as Windows-1252 and saved as UTF-16 is
// recovered with a named page too, -p counting its "—" as a high character;
// a "€" among ASCII is not.
TEST_F(AutoSource, NamedPageRecoversTextMisreadAsWindows1252)
{
    const std::string shown = "\xC3\x82\xC3\xB1\xC2\xB8 \xE2\x80\x94 \xC3\xA8\xC3\xA4\xC2\xB8\xC3\xB2";  // "Âñ¸ — èä¸ò"
    for (const bool preserve : {false, true}) {
        const std::string file = dir.put(preserve ? "p.mp3" : "n.mp3",
                                         id3v23Tag(textFrame("TIT2", utf16WithBom(shown), 1)) + kAudio);
        std::vector<std::string> args = {"-q", "-s", "cp1251", "-2", "unicode", file};
        if (preserve)
            args.insert(args.begin(), "-p");
        EXPECT_EQ(runProgram(args).status, 0);
        EXPECT_EQ(fieldOnDisk(file, "TIT2"), "Всё — идёт") << preserve;
    }
    // Without a letter of the page, "€" is genuine: a second run changes nothing.
    const std::string euro = dir.put("euro.mp3", id3v23Tag(textFrame("TIT2", utf16WithBom("Price €5"), 1)) + kAudio);
    EXPECT_EQ(runProgram({"-q", "-s", "cp1251", "-2", "unicode", euro}).status, 0);
    EXPECT_EQ(fieldOnDisk(euro, "TIT2"), "Price €5");
}

// -1 auto: each file's ID3v1 in the page its text was read in; text left as
// it is or Unicode already in the first page that holds it whole.
TEST_F(AutoSource, Id3v1AutoWritesEachFileInItsOwnPage)
{
    struct Case {
        std::string page, title, id3v1Page;
    };
    const std::vector<Case> cases = {
        {"cp1251", "Война", "cp1251"},
        {"latin1", "Été", "cp1250"},  // the built-in list's first page that holds it
        {"unicode", "Δώδεκα", "cp1253"},
        {"unicode", "ロビンソン", "cp932"},
    };
    std::vector<std::string> args = {"-q", "-s", "auto:cp1251,koi8-r", "-1", "auto", "-2", "unicode"};
    for (size_t i = 0; i < cases.size(); ++i)
        args.push_back(put(std::to_string(i) + "/1.mp3", cases[i].page, "Band", cases[i].title));
    EXPECT_EQ(runProgram(args).status, 0);
    for (size_t i = 0; i < cases.size(); ++i) {
        const auto id3v1 = readId3v1(readFile(args[7 + i]));
        ASSERT_TRUE(id3v1.has_value()) << i;
        EXPECT_EQ(id3v1->title, storedIn(cases[i].title, cases[i].id3v1Page.c_str())) << cases[i].title;
    }
}

}  // namespace
}  // namespace tagshifter::test
