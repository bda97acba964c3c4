// A TagLib string made from UTF-8 at its own size is the string TagLib
// makes from the same bytes.
#include "convert/utf8_string.h"

#include <gtest/gtest.h>

#include <string>

namespace tagshifter::test {
namespace {

TEST(StringFromUtf8, IsTheStringTagLibMakes)
{
    const std::string large = std::string(3000, 'x') + "Ночь улица фонарь";
    const struct {
        const char* what;
        std::string utf8;
    } cases[] = {
        {"empty", ""},
        {"ASCII", "Night street"},
        {"two-byte letters", "Ночь, улица, фонарь, аптека"},
        {"three-byte signs", "€ — “quoted” ‰"},
        {"beyond the BMP, a surrogate pair", "tune \xF0\x9F\x8E\xB5 and \xF0\x9D\x84\x9E"},
        {"mixed and long", large},
        {"cut short inside a letter", "Ночь\xD0"},
        {"a lone continuation byte", "a\x80z \xD0\x9D"},
        {"an overlong letter", "\xC0\xAF \xD0\x9D"},
        {"an encoded surrogate", "\xED\xA0\x80 \xD0\x9D"},
    };
    for (const auto& c : cases) {
        const TagLib::String expected(c.utf8, TagLib::String::UTF8);
        const TagLib::String made = stringFromUtf8(c.utf8);
        EXPECT_EQ(made, expected) << c.what;
        EXPECT_EQ(made.size(), expected.size()) << c.what;
        EXPECT_EQ(made.to8Bit(true), expected.to8Bit(true)) << c.what;
    }
}

TEST(Utf8OfLatin1, IsWhatTagLibGivesForTheLatin1String)
{
    std::string every;
    for (int value = 0; value < 256; ++value)
        every += static_cast<char>(value);
    for (const std::string& latin1 : {every, std::string("\xCF\xF0\xE8 plain"), std::string()})
        EXPECT_EQ(utf8OfLatin1(latin1), TagLib::String(latin1, TagLib::String::Latin1).to8Bit(true));
}

// A long text is made a piece at a time: a surrogate pair across the
// pieces' bounds (every 16 Ki characters) stays one character, and text
// TagLib will not convert comes out as TagLib gives it.
TEST(Utf8Of, IsWhatTagLibGivesAcrossThePiecesOfALongText)
{
    const std::wstring letters(40000, L'\x0416');  // Ж
    std::wstring pairAtBound = letters;
    pairAtBound[16383] = 0xD834, pairAtBound[16384] = 0xDD1E;  // U+1D11E
    std::wstring pairAtSecondBound = letters;
    pairAtSecondBound[32768] = 0xD834, pairAtSecondBound[32769] = 0xDD1E;
    std::wstring loneHigh = letters;
    loneHigh[16383] = 0xD834;
    std::wstring loneLow = letters;
    loneLow[30000] = 0xDD1E;
    const struct {
        const char* what;
        std::wstring text;
    } cases[] = {
        {"short", L"Ночь"},
        {"two-byte letters", letters},
        {"ASCII and letters", std::wstring(20000, L'a') + letters},
        {"a pair across the first bound", pairAtBound},
        {"a pair across a later bound", pairAtSecondBound},
        {"a lone high surrogate at a bound", loneHigh},
        {"a lone low surrogate", loneLow},
    };
    for (const auto& c : cases) {
        const TagLib::String value(c.text);
        EXPECT_EQ(utf8Of(value), value.to8Bit(true)) << c.what;
    }
}

}  // namespace
}  // namespace tagshifter::test
