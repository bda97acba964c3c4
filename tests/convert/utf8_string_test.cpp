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

}  // namespace
}  // namespace tagshifter::test
