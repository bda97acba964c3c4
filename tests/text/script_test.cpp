// The script a page was made for, found from its bytes, and the main script
// of a file's texts: -1 auto writes ID3v1 in a page of the text's own script.
#include "text/script.h"

#include <gtest/gtest.h>

namespace tagshifter::test {
namespace {

TEST(Script, PagesAreKnownByTheirLetters)
{
    const struct {
        const char* page;
        Script script;
    } cases[] = {
        {"CP1253", Script::Greek},   {"ISO-8859-7", Script::Greek}, {"KOI8-R", Script::Cyrillic},
        {"CP866", Script::Cyrillic}, {"CP1252", Script::Latin},     {"CP1257", Script::Latin},
        {"CP1255", Script::Hebrew},  {"CP1256", Script::Arabic},    {"CP874", Script::Thai},
        {"EUC-JP", Script::Cjk},     {"GBK", Script::Cjk},          {"no-such-page", Script::None},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pageScript(c.page), c.script) << c.page;
}

TEST(Script, TextsAreOfTheScriptOfMostOfTheirLetters)
{
    const struct {
        std::vector<std::string> texts;
        Script script;
    } cases[] = {
        {{"Список языков", "République du Guatemala"}, Script::Cyrillic},  // a French comment beside
        {{"Καφέ — Café"}, Script::Greek},
        {{"Černí andělé"}, Script::Latin},
        {{"右 Shift"}, Script::Cjk},
        {{"Live 2001 — \u20AC5"}, Script::None},  // no letter beyond ASCII
    };
    for (const auto& c : cases)
        EXPECT_EQ(mainScript(c.texts), c.script) << c.texts.front();
}

}  // namespace
}  // namespace tagshifter::test
