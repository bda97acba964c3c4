// The readers that tag writers misread bytes through: each is one to one
// over all 256 bytes, and the bytes behind a text come back only through a
// reader whose image holds the whole text.
#include "text/misreading.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace tagshifter::test {
namespace {

TEST(Misreading, EveryByteComesBackThroughItsReader)
{
    for (Reader reader : readers()) {
        for (int value = 0; value < 256; ++value) {
            const char32_t point = readerPoint(reader, static_cast<unsigned char>(value));
            // Only a reader of UTF-8 may leave a byte past 0xA0 undefined.
            if (point > 0x10FFFF && readsUtf8Only(reader) && value >= 0xA0)
                continue;
            TagLib::String shown;
            shown += static_cast<wchar_t>(point);
            EXPECT_EQ(bytesThrough(shown, reader), std::string(1, static_cast<char>(value)))
                << readerName(reader) << " byte " << value;
        }
    }
}

// A large Latin-1 field is read through its planned reader from its bytes,
// in place: what bytesThrough gives for its TagLib string, or nothing done.
TEST(Misreading, Latin1BytesReadInPlaceAsTheirStringIs)
{
    std::string every;
    for (int value = 0; value < 256; ++value)
        every += static_cast<char>(value);
    const std::string texts[] = {every, "\xCA\xE8\xED\xEE \x80\x9D", "\x81\x8D\x8F\x90\x9D", "plain", ""};
    for (Reader reader : readers()) {
        for (const std::string& text : texts) {
            const std::optional<std::string> expected = bytesThrough(TagLib::String(text, TagLib::String::Latin1), reader);
            std::string read = text;
            EXPECT_EQ(readLatin1Through(read, reader), expected.has_value()) << readerName(reader);
            EXPECT_EQ(read, expected.value_or(text)) << readerName(reader);
        }
    }
}

TEST(Misreading, TextComesBackOnlyThroughAReaderThatHoldsIt)
{
    struct Case {
        const char* text;  // UTF-8
        Reader reader;
        const char* bytes;  // nullptr: not in the reader's image
    };
    const Case cases[] = {
        {"Êèíî", Reader::Latin1, "\xCA\xE8\xED\xEE"},
        {"live \u2014 \u2026", Reader::Latin1, nullptr},
        {"live \u2014 \u2026", Reader::Windows1252, "live \x97 \x85"},
        {"\u0160\u009D", Reader::Windows1252, "\x8A\x9D"},  // a hole kept as its C1 control
        {"\u00C7\u221A", Reader::Windows1252, nullptr},     // √: Mac OS Roman only
        {"\u00C7\u221A", Reader::MacRoman, "\x82\xC3"},
        {"Кино", Reader::MacRoman, nullptr},
    };
    for (const auto& c : cases) {
        const auto bytes = bytesThrough(TagLib::String(c.text, TagLib::String::UTF8), c.reader);
        if (c.bytes)
            EXPECT_EQ(bytes, std::string(c.bytes)) << readerName(c.reader);
        else
            EXPECT_FALSE(bytes.has_value()) << readerName(c.reader);
    }
}

// Mac OS Roman as Mac OS shows it, the C library's private point for the
// same byte read back too; a legacy page as a reader of UTF-8 only: its
// bytes are worth a guess only when they are whole UTF-8.
TEST(Misreading, MacOsRomanAsMacOsShowsItAndReadersOfUtf8)
{
    EXPECT_EQ(readerPoint(Reader::MacRoman, 0xF0), 0xF8FFu);
    EXPECT_EQ(readerPoint(Reader::MacRoman, 0xDB), 0x20ACu);
    EXPECT_EQ(readerPoint(Reader::MacRoman, 0xC6), 0x2206u);
    std::optional<Reader> cp1251;
    for (Reader reader : readers())
        if (readsUtf8Only(reader) && readerName(reader) == std::string("cp1251 of UTF-8"))
            cp1251 = reader;
    ASSERT_TRUE(cp1251.has_value());
    struct Case {
        const char* text;  // UTF-8
        Reader reader;
        const char* bytes;  // nullptr: not in the reader's image
        bool worth;         // worth a guess
    };
    const Case cases[] = {
        {"\uF8FF\u2030", Reader::MacRoman, "\xF0\xE4", true},  // "р" and "д" of cp1251
        {"\uE01E\u2030", Reader::MacRoman, "\xF0\xE4", true},  // as iconv shows them
        // "파일" of EUC-KR: Mac OS shows its lead byte as "∆", iconv as "Δ".
        {"\u2206\u0192\u00BF\u0153", Reader::MacRoman, "\xC6\xC4\xC0\xCF", true},
        {"\u0394\u0192\u00BF\u0153", Reader::MacRoman, "\xC6\xC4\xC0\xCF", true},
        {"Ïðèâåò", Reader::Windows1252, "\xCF\xF0\xE8\xE2\xE5\xF2", true},
        {"РџСЂРёРІРµС‚", *cp1251, "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", true},
        {"Привет", *cp1251, "\xCF\xF0\xE8\xE2\xE5\xF2", false},  // genuine: no UTF-8 behind it
        {"Kino", *cp1251, "Kino", false},                       // ASCII reads alike everywhere
    };
    for (const auto& c : cases) {
        const auto bytes = bytesThrough(TagLib::String(c.text, TagLib::String::UTF8), c.reader);
        ASSERT_TRUE(bytes.has_value()) << c.text;
        EXPECT_EQ(*bytes, std::string(c.bytes)) << c.text;
        EXPECT_EQ(worthReading(*bytes, c.reader), c.worth) << c.text;
    }
}

}  // namespace
}  // namespace tagshifter::test
