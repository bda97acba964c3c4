#include "text/encoding_choice.h"

#include <gtest/gtest.h>

namespace tagshifter::test {
namespace {

TEST(EncodingChoice, NamesTakeTheirMeaningAndAreGivenBackAsWritten)
{
    using S = SourceEncoding::Kind;
    const struct { const char* name; S kind; std::vector<std::string> names; } sources[] = {
        {"cp1251", S::CodePage, {}},
        {"unicode", S::Unicode, {}},
        {"utf-8", S::CodePage, {}},  // a code page by name, not the keyword
        {"none", S::CodePage, {}},
        {"auto", S::Auto, {}},
        {"automatic", S::CodePage, {}},
        {"auto:", S::Auto, {""}},
        {"auto:cp1251,,koi8-r,", S::Auto, {"cp1251", "", "koi8-r", ""}},
    };
    for (const auto& c : sources) {
        const SourceEncoding source = SourceEncoding::parse(c.name);
        EXPECT_EQ(source.kind, c.kind) << c.name;
        EXPECT_EQ(source.names, c.names) << c.name;
        EXPECT_EQ(source.name(), c.name);
    }

    using T = TargetEncoding::Kind;
    const struct { const char* name; bool perFile; T kind; } targets[] = {
        {"none", true, T::None},      {"unicode", false, T::Unicode}, {"auto", true, T::PerFile},
        {"auto", false, T::CodePage}, {"", true, T::CodePage},        {"none ", false, T::CodePage},
    };
    for (const auto& c : targets) {
        const TargetEncoding target = TargetEncoding::parse(c.name, c.perFile);
        EXPECT_EQ(target.kind, c.kind) << c.name;
        EXPECT_EQ(target.name(), c.name);
    }
}

}  // namespace
}  // namespace tagshifter::test
