// Text misread through a reader of the list and saved in UTF-16, run through
// the real program under -s auto: each field on disk is the text given back,
// or, for genuine text, the text as it was; a second run changes no byte.
#include "guess/guess_support.h"
#include "support/fixtures.h"
#include "support/id3_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tagshifter::test {
namespace {

struct StoredField {
    const char* id;
    std::string frame;   // as stored
    std::string wanted;  // in UTF-8 after the run
};

// `truth` in `page` (or UTF-8), shown through `reader` and saved in UTF-16.
StoredField misread(const char* id, const std::string& truth, const char* page, const char* reader)
{
    const std::string bytes = std::string(page) == "utf-8" ? truth : storedIn(truth, page);
    return {id, textFrame(id, utf16WithBom(shownThrough(bytes, reader)), 1), truth};
}

StoredField genuine(const char* id, const std::string& text, bool unicode)
{
    return {id, unicode ? textFrame(id, utf16WithBom(text), 1) : textFrame(id, storedIn(text, "ISO-8859-1")), text};
}

TEST(ReaderLayersOnDisk, EachFieldComesBackOrStays)
{
    struct Case {
        const char* what;
        std::vector<std::vector<StoredField>> files;  // one album
    };
    const Case cases[] = {
        {"Shift_JIS through Windows-1252",
         {{misread("TPE1", "スピッツ", "cp932", "CP1252"), misread("TIT2", "ハチミツ", "cp932", "CP1252")},
          {misread("TPE1", "スピッツ", "cp932", "CP1252"), misread("TIT2", "ロビンソン", "cp932", "CP1252")}}},
        {"cp1251 through Mac OS Roman as Mac OS shows it",
         {{misread("TPE1", "Сплин", "cp1251", "MACINTOSH"), misread("TIT2", "Орбит без сахара", "cp1251", "MACINTOSH")},
          {misread("TPE1", "Сплин", "cp1251", "MACINTOSH"), misread("TIT2", "Прирожденный убийца", "cp1251", "MACINTOSH")}}},
        {"Big5 through Mac OS Roman",
         {{misread("TPE1", "周杰倫", "big5", "MACINTOSH"), misread("TIT2", "雙截棍", "big5", "MACINTOSH")},
          {misread("TPE1", "周杰倫", "big5", "MACINTOSH"), misread("TIT2", "開不了口", "big5", "MACINTOSH")}}},
        {"UTF-8 through cp1251",
         {{misread("TPE1", "Привет", "utf-8", "CP1251"), misread("TIT2", "Группа крови", "utf-8", "CP1251")},
          {misread("TPE1", "Привет", "utf-8", "CP1251"), misread("TIT2", "Война", "utf-8", "CP1251")}}},
        {"a Western artist in a Latin-1 frame among Cyrillic Unicode",
         {{genuine("TPE1", "Björk", false), genuine("TIT2", "Пачка сигарет", true)},
          {genuine("TPE1", "Björk", false), genuine("TIT2", "Кукушка", true)}}},
        {"Cyrillic Unicode that reads as UTF-8 through cp1251",
         {{genuine("TPE1", "Её", true), genuine("TIT2", "Её песни", true)}}},
    };
    const std::string audio = mpegFrames(2);
    for (const auto& c : cases) {
        TempDir dir;
        std::vector<std::string> paths;
        for (size_t f = 0; f < c.files.size(); ++f) {
            std::string frames;
            for (const auto& field : c.files[f])
                frames += field.frame;
            paths.push_back(dir.put(std::to_string(f) + ".mp3", id3v23Tag(frames) + audio));
        }
        std::vector<std::string> args = {"-q", "-s", "auto", "-1", "none", "-2", "unicode"};
        args.insert(args.end(), paths.begin(), paths.end());
        EXPECT_EQ(runProgram(args).status, 0) << c.what;
        for (size_t f = 0; f < c.files.size(); ++f) {
            const auto tag = readId3v2(readFile(paths[f]));
            ASSERT_TRUE(tag.has_value()) << c.what;
            for (const auto& field : c.files[f]) {
                const auto text = frameText(*tag, field.id);
                EXPECT_EQ(text ? toUtf8(*text) : "(none)", field.wanted) << c.what << ", " << field.id;
            }
        }
        std::vector<std::string> first;
        for (const auto& path : paths)
            first.push_back(readFile(path));
        EXPECT_EQ(runProgram(args).status, 0) << c.what;
        for (size_t f = 0; f < paths.size(); ++f)
            EXPECT_EQ(readFile(paths[f]), first[f]) << c.what << ": the second run changed file " << f;
    }
}

}  // namespace
}  // namespace tagshifter::test
