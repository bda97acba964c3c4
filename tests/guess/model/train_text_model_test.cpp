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

}  // namespace
}  // namespace tagshifter::test
