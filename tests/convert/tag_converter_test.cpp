// Building and tearing down the per-file converter: what the encoding names
// mean for each role, the order in which unusable names are refused, and
// that every conversion opened is closed again, on failure too.
#include "convert/tag_converter.h"

#include "common/error.h"
#include "convert/recode.h"
#include "support/fixtures.h"
#include "support/open_conversions.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace tagshifter::test {
namespace {

struct Names {
    std::string source, id3v1, id3v2;
};

std::ostream& operator<<(std::ostream& out, const Names& n)
{
    return out << "'" << n.source << "' / '" << n.id3v1 << "' / '" << n.id3v2 << "'";
}

std::unique_ptr<TagConverter> build(const Names& n)
{
    return std::make_unique<TagConverter>(SourceEncoding::parse(n.source), TargetEncoding::parse(n.id3v1, true),
                                          TargetEncoding::parse(n.id3v2, false), nullptr, nullptr, false);
}

TEST(TagConverter, NamesGiveTheirMeaningPerRole)
{
    const struct { Names names; bool id3v1Enabled, id3v2Enabled, sourceUnicode, id3v2Unicode; } cases[] = {
        {{"cp1251", "none", "none"}, false, false, false, false},
        {{"unicode", "none", "none"}, false, false, true, false},
        {{"cp1251", "koi8-r", "none"}, true, false, false, false},
        {{"cp1251", "none", "unicode"}, false, true, false, true},
        {{"unicode", "cp1251", "unicode"}, true, true, true, true},
        // Only the exact word selects Unicode: these are code page targets.
        {{"cp1251", "utf-8", "utf-8"}, true, true, false, false},
        {{"cp1251", "none", "utf-16"}, false, true, false, false},
        // Names that merely resemble the keywords, and empty names, go to
        // iconv_open as they are; this platform's iconv knows all of these
        // (the empty name is the locale's charset).
        {{"cp1251", "unicode ", "unicode "}, true, true, false, false},
        {{"cp1251", "", ""}, true, true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.names);
        const int before = openConversions();
        {
            const auto converter = build(c.names);
            EXPECT_EQ(converter->isId3v1Enabled(), c.id3v1Enabled);
            EXPECT_EQ(converter->isId3v2Enabled(), c.id3v2Enabled);
            EXPECT_EQ(converter->isSourceUnicode(), c.sourceUnicode);
            EXPECT_EQ(converter->isId3v2Unicode(), c.id3v2Unicode);
            EXPECT_TRUE(converter->sourceConversion().isOpen());
            EXPECT_EQ(converter->id3v1Conversion().isOpen(), c.id3v1Enabled);
            EXPECT_EQ(converter->id3v2Conversion().isOpen(), c.id3v2Enabled);
            EXPECT_EQ(openConversions(), before + 1 + c.id3v1Enabled + c.id3v2Enabled);
        }
        EXPECT_EQ(openConversions(), before) << "teardown left conversions open";
    }
}

TEST(TagConverter, ConversionsRunThroughUtf8)
{
    auto through = [](const Conversion& conversion, const std::string& input) {
        return recodeThrough(conversion.descriptor(), input, ::iconv);
    };
    const TagConverter codePages(SourceEncoding::parse("cp1251"), TargetEncoding::parse("koi8-r", true),
                     TargetEncoding::parse("unicode", false), nullptr, nullptr, false);
    EXPECT_EQ(through(codePages.sourceConversion(), kPrivetCp1251), kPrivetUtf8);
    EXPECT_EQ(through(codePages.id3v1Conversion(), kPrivetUtf8), kPrivetKoi8r);
    EXPECT_EQ(through(codePages.id3v2Conversion(), kPrivetUtf8), kPrivetUtf8);

    // "unicode" as source reads UTF-8, and rejects what is not UTF-8.
    const TagConverter unicode(SourceEncoding::parse("unicode"), TargetEncoding::parse("none", true),
                     TargetEncoding::parse("cp1251", false), nullptr, nullptr, false);
    EXPECT_EQ(through(unicode.sourceConversion(), kPrivetUtf8), kPrivetUtf8);
    EXPECT_THROW(through(unicode.sourceConversion(), kPrivetCp1251), Error);
    EXPECT_EQ(through(unicode.id3v2Conversion(), kPrivetUtf8), kPrivetCp1251);
}

TEST(TagConverter, RefusesFirstUnusableNameAndClosesWhatItOpened)
{
    const char* const source = "Cannot open source encoding.\n";
    const char* const id3v1 = "Cannot open id3v1 encoding.\n";
    const char* const id3v2 = "Cannot open id3v2 encoding.\n";
    const char* const noUnicode = "ID3v1 does not support unicode.\n";
    const struct { Names names; const char* message; } cases[] = {
        {{"no-such", "none", "none"}, source},
        {{"none", "none", "none"}, source},  // "none" is no keyword for the source
        {{"no-such", "unicode", "no-such"}, source},
        {{"cp1251", "unicode", "none"}, noUnicode},
        {{"cp1251", "unicode", "no-such"}, noUnicode},
        {{"unicode", "unicode", "unicode"}, noUnicode},
        {{"cp1251", "no-such", "no-such"}, id3v1},
        {{"cp1251", "unicod", "none"}, id3v1},
        {{"cp1251", "none", "no-such"}, id3v2},
        {{"cp1251", "koi8-r", "no-such"}, id3v2},
        {{"unicode", "koi8-r", "none "}, id3v2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.names);
        const int before = openConversions();
        try {
            build(c.names);
            ADD_FAILURE() << "construction succeeded";
        } catch (const Error& message) {
            EXPECT_STREQ(message.what(), c.message);
        }
        EXPECT_EQ(openConversions(), before);
    }
}

TEST(TagConverter, EachConverterStartsFromTheCallersNames)
{
    const Names names{"unicode", "none", "unicode"};
    const int before = openConversions();
    for (int file = 0; file < 2; ++file) {
        const auto first = build(names);
        const auto second = build(names);
        for (const TagConverter* converter : {first.get(), second.get()}) {
            EXPECT_TRUE(converter->isSourceUnicode());
            EXPECT_TRUE(converter->isId3v2Unicode());
            EXPECT_TRUE(converter->isId3v2Enabled());
        }
        EXPECT_NE(first->sourceConversion().descriptor(), second->sourceConversion().descriptor());
        EXPECT_EQ(openConversions(), before + 4);
    }
    EXPECT_EQ(openConversions(), before);
}

}  // namespace
}  // namespace tagshifter::test
