// The penalty on the readings it must never get wrong: genuine Western text
// beats its code-page readings, and the right Cyrillic page beats the wrong one.
#include "guess/plausibility.h"

#include "guess/guess_support.h"
#include "text/code_page.h"

#include <gtest/gtest.h>

namespace tagshifter::test {
namespace {

using guess::implausibility;

// The penalty of `bytes` read through `page`, judged in the languages that
// page writes, as the guess judges each reading.
double underPage(const std::string& bytes, const char* page)
{
    const auto points = CodePageDecoder(page).decode(bytes);
    EXPECT_TRUE(points.has_value()) << page;
    return points ? implausibility(*points, guess::hanReadingOf(page), guess::latinReadingOf(page)) : 1e9;
}

TEST(Implausibility, GenuineWesternTextIsNoWorseThanAnyCodePageReading)
{
    for (const char* text : {"Été", "Müller", "Björk", "Motörhead", "Ça plane pour moi",
                             "Sigur Rós: Með suð í eyrum", "Señorita", "Coração vagabundo",
                             "L'Hymne à l'amour", "Kärleken väntar", "¿Qué pasa?", "«Ça ira»",
                             "´Round Midnight"}) {
        const std::string bytes = storedIn(text, "ISO-8859-1");
        const double asItIs = implausibility(decodeLatin1(bytes));
        EXPECT_EQ(asItIs, implausibility(decodeLatin1(bytes))) << "stable";
        for (const char* page : {"cp1251", "koi8-r", "cp1250", "cp1253", "cp1254", "cp1257"})
            EXPECT_LE(asItIs, underPage(bytes, page)) << text << " under " << page;
    }
}

// Words are scored once and remembered, and forgotten wholesale when an
// album brings too many: a text scores alike whether its words were met
// before, forgotten, or met again, under a reading of any Han languages.
TEST(Implausibility, RememberedWordsScoreAsWhenFirstMet)
{
    const struct {
        std::u32string text;
        guess::HanReading han;
    } texts[] = {
        {U"Ночь улица фонарь аптека", guess::HanReading::Any},
        {U"Íî÷ü óëèöà ôîíàðü", guess::HanReading::Any},
        {U"Sigur Rós: Með suð í eyrum", guess::HanReading::Any},
        {U"千と千尋の神隠し", guess::HanReading::Japanese},
        {U"千と千尋の神隠し", guess::HanReading::Chinese},
        {U"尢捲 媼", guess::HanReading::TraditionalChinese},
    };
    std::vector<double> first;
    for (const auto& t : texts)
        first.push_back(implausibility(t.text, t.han));
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(implausibility(texts[i].text, texts[i].han), first[i]) << "remembered";
    // More distinct words than are kept: all are forgotten on the way.
    std::u32string word = U"аааа";
    for (int n = 0; n < 10000; ++n) {
        for (size_t at = 0, rest = static_cast<size_t>(n); at < word.size(); ++at, rest /= 32)
            word[at] = U'а' + static_cast<char32_t>(rest % 32);
        implausibility(word);
    }
    for (size_t i = 0; i < std::size(texts); ++i)
        EXPECT_EQ(implausibility(texts[i].text, texts[i].han), first[i]) << "after forgetting, text " << i;
}

TEST(Implausibility, PureAsciiCostsTheSameUnderEveryReading)
{
    const std::string bytes = "Come Together (Remastered 2009) - The Beatles";
    const double asItIs = implausibility(decodeLatin1(bytes));
    for (const char* page : {"cp1251", "koi8-r", "cp1253", "cp932", "gbk"})
        EXPECT_EQ(asItIs, underPage(bytes, page)) << page;
}

TEST(Implausibility, TheRightCyrillicPageBeatsTheWrongOneAndLatin1)
{
    struct Case {
        const char* text;
        const char* stored;
        const char* wrong;
    };
    // Mixed case, capitals only (where case gives no sign), and both ways round.
    const Case cases[] = {
        {"Кино - Звезда по имени Солнце", "cp1251", "koi8-r"},
        {"Кино - Звезда по имени Солнце", "koi8-r", "cp1251"},
        {"ЛЮБЭ - ПО ВЫСОКОЙ ТРАВЕ", "cp1251", "koi8-r"},
        {"АЛИСА - НЕБО СЛАВЯН", "koi8-r", "cp1251"},
        {"Океан Ельзи - Відпусти", "cp1251", "koi8-u"},
    };
    for (const auto& c : cases) {
        const std::string bytes = storedIn(c.text, c.stored);
        const double right = underPage(bytes, c.stored);
        EXPECT_LT(right, underPage(bytes, c.wrong)) << c.text << " in " << c.stored;
        EXPECT_LT(right + 4, implausibility(decodeLatin1(bytes))) << c.text << " in " << c.stored;
    }
}

// Readings a real library was seen to get wrong: the right page must read
// the bytes as more plausible than the wrong one, by a clear margin where
// the wrong one turns the text into another script.
TEST(Implausibility, TheRightPageBeatsTheOnesRealLibrariesWereMisreadIn)
{
    struct Case {
        const char* text;
        const char* stored;
        const char* wrong;
        double margin;
    };
    const Case cases[] = {
        {"¿Dónde jugarán los niños?", "cp1252", "gbk", 4},  // not "驴D贸nde jugar谩n"
        {"Baśka", "cp1250", "gbk", 4},                      // not "Ba很a"
        {"Khánh Ly", "cp1252", "gbk", 4},                   // not "Kh醤h Ly"
        {"Примадонна", "cp1251", "cp1253", 4},              // not "Οπθμΰδξννΰ"
        {"Těšínská", "cp1250", "cp1252", 2},                // not "Tìšínská"
        {"Aşk", "cp1254", "cp1252", 1},                     // not "Aþk"
        {"Björk", "ISO-8859-1", "gbk", 4},                  // not "Bj鰎k"
        {"Björk", "ISO-8859-1", "cp1251", 4},               // not "Bjцrk"
        {"MFÖ - Ele Güne Karşı", "cp1254", "ISO-8859-1", 1},  // not "Karþý"
        {"Mniej niż zero", "cp1250", "ISO-8859-1", 1.5},     // not "ni¿"
        {"Żywię", "cp1250", "cp1257", 1},
        {"Ελλάδα", "cp1253", "cp1251", 4},
        {"Άξιον Εστί", "cp1253", "ISO-8859-7", 1},          // not "’ξιον Εστί"
        {"Їжак і ґава", "koi8-u", "koi8-r", 2},
        {"L'Hymne à l'amour", "cp1252", "cp1251", 2},       // not "L'Hymne а l'amour"
        {"Ça plane pour moi", "cp1252", "cp1251", 2},       // not "Са plane pour moi"
        {"Łowcy gwiazd", "cp1250", "ISO-8859-1", 4},        // not "£owcy gwiazd"
        {"Άρνηση", "ISO-8859-7", "cp1253", 4},              // not "¶ρνηση"
        {"Tinereţe", "cp1250", "ISO-8859-1", 4},            // not "Tinereþe"
        {"Dítě", "cp1250", "cp1252", 4},                    // not "Dítì", no Vietnamese syllable
        {"Kdo měl víc", "cp1250", "cp1252", 4},             // not "mìl", nor this one
        {"Rock’n’roll", "cp1252", "cp932", 2},              // not "Rock地池oll"
        {"Bu Aşk Fazla Sana", "cp1254", "cp1257", 1.5},      // not "Ažk", Czech to no Baltic page
        {"Žiema", "cp1257", "cp1254", 4},                   // not "Şiema", Romanian to no Turkish page
        {"Pērkons", "cp1257", "ISO-8859-1", 4},             // not "Pçrkons", no Western word
        {"übergeben", "ISO-8859-1", "cp866", 2},             // not "№bergeben"
    };
    for (const auto& c : cases) {
        const std::string bytes = storedIn(c.text, c.stored);
        EXPECT_LE(underPage(bytes, c.stored) + c.margin, underPage(bytes, c.wrong))
            << c.text << " in " << c.stored << " against " << c.wrong;
    }
}

TEST(Implausibility, SignsOfAWrongReadingCost)
{
    // Each pair: a plausible text and the same letters broken in one way.
    const std::pair<const char*, const char*> pairs[] = {
        {"Привет", "пРиВЕТ"},         // case changes inside a word
        {"Привет мир", "Привeт мир"},  // a Latin e among Cyrillic letters
        {"Café", "Caf\u00C3\u00A9"},   // UTF-8 read as Latin-1: a sign inside a word
        {"Διάλογος", "Διάλογοςα"},      // final sigma inside a word
        {"Tom", "To\u0085m"},          // a C1 control
        {"Tình ca", "T\u0301nh ca"},     // a tone mark after a consonant
        {"Café del Mar", "Cafй del Mar"},  // two alphabets inside a word
        {"Дом № 5", "Дом№ 5"},           // "№" touching a letter
    };
    for (const auto& [good, bad] : pairs)
        EXPECT_LT(implausibility(*decodeUtf8(good)), implausibility(*decodeUtf8(bad)))
            << good << " / " << bad;
}

}  // namespace
}  // namespace tagshifter::test
