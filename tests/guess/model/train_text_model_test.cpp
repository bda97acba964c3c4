// The generator of the text model's tables, run on a tiny tree of dictionaries.
#include "support/fixtures.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace tagshifter::test {
namespace {

void makeFolders(const std::string& root, const std::string& relative)
{
    std::string path = root;
    std::stringstream parts(relative);
    for (std::string part; std::getline(parts, part, '/');)
        ::mkdir((path += "/" + part).c_str(), 0755);
}

// The numbers of the generated array `name`.
std::vector<int> arrayOf(const std::string& source, const std::string& name)
{
    const size_t start = source.find("constexpr unsigned char " + name + "[] = {");
    std::vector<int> values;
    if (start == std::string::npos)
        return values;
    std::stringstream body(source.substr(source.find('{', start) + 1,
                                         source.find("};", start) - source.find('{', start) - 1));
    for (std::string value; std::getline(body, value, ',');)
        if (value.find_first_of("0123456789") != std::string::npos)
            values.push_back(std::stoi(value));
    return values;
}

TEST(TextModelGenerator, LearnsLetterPairsOfEachDictionaryFoundAndLeavesTheOthersOut)
{
    TempDir root;
    makeFolders(root.path(), "usr/share/hunspell");
    // A Russian dictionary in the layout hunspell keeps: a count, then words with affix flags.
    root.put("usr/share/hunspell/ru_RU.aff", "SET UTF-8\n");
    root.put("usr/share/hunspell/ru_RU.dic", "4\nмама/A\nмама\nама\nмам/B\n");
    // A Latin-1 German dictionary: its SET line says how to read it.
    root.put("usr/share/hunspell/de_DE.aff", "SET ISO8859-1\n");
    root.put("usr/share/hunspell/de_DE.dic", std::string("2\nM\xFC") + "ller\nBr\xFC" "cke/S\n");
    const std::string out = root.file("model.inc");
    const std::string command = std::string("python3 ") + TAGSHIFTER_SOURCE_DIR
                                + "/scripts/train_text_model.py --root " + root.path() + " --out " + out
                                + " 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string inc = readFile(out);

    // The alphabets, in lower case, of the languages found, and no other.
    EXPECT_NE(inc.find("{\"ru\", Script::Cyrillic, U\"ам\", kSteps_ru,"), std::string::npos) << inc;
    EXPECT_NE(inc.find("{\"de\", Script::Latin, U\"bceklmrü\", kSteps_de,"), std::string::npos) << inc;
    EXPECT_EQ(inc.find("{\"en\","), std::string::npos);
    EXPECT_EQ(inc.find("kHan_ja"), std::string::npos);
    EXPECT_NE(inc.find("{0x41C, 0x43C}"), std::string::npos) << "М lowers to м";

    // Russian: 3 x 3 steps (the edge, а, м). м is followed by а nearly
    // always, never by м: the seen step costs next to nothing, the one never
    // seen over 6 bits (in half bits here).
    const std::vector<int> steps = arrayOf(inc, "kSteps_ru");
    ASSERT_EQ(steps.size(), 9u);
    const int edge = 0, a = 1, m = 2;
    auto step = [&](int from, int to) { return steps[static_cast<size_t>(from * 3 + to)]; };
    EXPECT_LT(step(m, a), step(m, m));
    EXPECT_LT(step(edge, m), step(a, a));
    EXPECT_GE(step(m, m), 12);
    EXPECT_LE(step(m, a), 1);
    EXPECT_EQ(step(edge, edge), 40) << "no word is empty";
}

// The words as titles write them: what the affix rules make of each stem,
// not the stems alone. Lithuanian writes "namų" and "šakų", never "namas"
// with "ų" in it, and "šakas" is a stem no word is made of by itself.
TEST(TextModelGenerator, LearnsTheFormsTheAffixRulesMake)
{
    TempDir root;
    makeFolders(root.path(), "usr/share/hunspell");
    root.put("usr/share/hunspell/lt_LT.aff",
             "SET UTF-8\nFLAG long\nNEEDAFFIX Zz\nAF 1\nAF AaNe\n"
             "PFX Ne Y 1\nPFX Ne 0 ne .\n"
             "SFX Aa Y 3\nSFX Aa as ų as\nSFX Aa as o/Bb [^k]as\nSFX Aa as e kas\n"
             "SFX Bb Y 1\nSFX Bb 0 ms .\n");
    root.put("usr/share/hunspell/lt_LT.dic", "2\nnamas/1\nšakas/AaZz\n");
    const std::string out = root.file("model.inc");
    const std::string command = std::string("python3 ") + TAGSHIFTER_SOURCE_DIR
                                + "/scripts/train_text_model.py --forms --root " + root.path() + " --out " + out
                                + " 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string inc = readFile(out);

    // "o", "e" and "ų" come only from the endings.
    EXPECT_NE(inc.find("{\"lt\", Script::Latin, U\"aekmnosšų\", kSteps_lt,"), std::string::npos)
        << inc;
    const std::vector<int> steps = arrayOf(inc, "kSteps_lt");
    ASSERT_EQ(steps.size(), 100u);
    const int edge = 0, a = 1, e = 2, k = 3, m = 4, n = 5, o = 6, s = 7, u = 9;
    auto step = [&](int from, int to) { return steps[static_cast<size_t>(from * 10 + to)]; };
    EXPECT_LE(step(u, edge), 1) << "ų ends every word it is in";
    // "-as" becomes "-e" after k, "-o" elsewhere: "šake", never "šako".
    EXPECT_LT(step(k, e), step(k, o));
    EXPECT_GE(step(k, o), step(k, e) + 6);
    // A second ending on the first ("namoms"), a prefix on an ending ("nenamų").
    EXPECT_LT(step(o, m), 12);
    EXPECT_LT(step(edge, n), step(edge, s));
    EXPECT_LT(step(e, n), 12) << "ne + namų";
    // "šakas" alone is no word: "a" never follows "k".
    EXPECT_GE(step(k, a), step(k, e) + 6);
}

// Flag aliases ("AF"): the first line counts them, and an alias may itself
// be a number, one numeric flag or a digit flag; each stem's forms come from
// the alias its number names.
TEST(TextModelGenerator, ReadsEveryFlagAlias)
{
    struct Row {
        const char* what;
        const char* aff;
        const char* dic;
        const char* alphabet;
    };
    const Row rows[] = {
        {"numeric flags, an alias of one flag",
         "SET UTF-8\nFLAG num\nAF 2\nAF 7\nAF 7,8\n"
         "SFX 7 Y 1\nSFX 7 0 e .\nSFX 8 Y 1\nSFX 8 0 \u0173 .\n",
         "1\nnam/2\n", "aemn\u0173"},
        {"letter flags, an alias that is a digit",
         "SET UTF-8\nAF 3\nAF A\nAF 1\nAF AB\n"
         "SFX 1 Y 1\nSFX 1 0 o .\nSFX A Y 1\nSFX A 0 e .\nSFX B Y 1\nSFX B 0 \u0173 .\n",
         "2\nnam/3\nlak/2\n", "aeklmno\u0173"},
    };
    for (const Row& row : rows) {
        TempDir root;
        makeFolders(root.path(), "usr/share/hunspell");
        root.put("usr/share/hunspell/lt_LT.aff", row.aff);
        root.put("usr/share/hunspell/lt_LT.dic", row.dic);
        const std::string out = root.file("model.inc");
        const std::string command = std::string("python3 ") + TAGSHIFTER_SOURCE_DIR
                                    + "/scripts/train_text_model.py --forms --root " + root.path()
                                    + " --out " + out + " 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << row.what;
        const std::string inc = readFile(out);
        EXPECT_NE(inc.find(std::string("{\"lt\", Script::Latin, U\"") + row.alphabet + "\", kSteps_lt,"),
                  std::string::npos)
            << row.what << "\n" << inc;
    }
}

}  // namespace
}  // namespace tagshifter::test
