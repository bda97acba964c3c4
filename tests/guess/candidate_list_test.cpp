// Candidate lists and how uchardet's answers map onto them.
#include "guess/candidate_list.h"

#include "common/error.h"
#include "guess/charset_detector.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tagshifter::test {
namespace {

using guess::CandidateList;
using guess::mapProposal;

TEST(CandidateList, ParsesAutoAndNamedLists)
{
    EXPECT_TRUE(SourceEncoding::parse("auto").isAuto());
    EXPECT_TRUE(SourceEncoding::parse("auto:cp1251").isAuto());
    EXPECT_FALSE(SourceEncoding::parse("cp1251").isAuto());
    EXPECT_FALSE(SourceEncoding::parse("automatic").isAuto());

    EXPECT_EQ(CandidateList::parse("auto").codePages(), CandidateList::builtIn());
    EXPECT_EQ(CandidateList::parse("auto:cp1251,,koi8-r,cp1251").codePages(),
              (std::vector<std::string>{"cp1251", "koi8-r"}));
}

TEST(CandidateList, RefusesNamesIconvDoesNotKnow)
{
    for (const char* setting : {"auto:", "auto:,", "auto:cp1251,no-such-page", "cp1251"}) {
        try {
            CandidateList::parse(setting);
            ADD_FAILURE() << setting << " was accepted";
        } catch (const Error& message) {
            EXPECT_STREQ(message.what(), "Cannot open source encoding.\n") << setting;
        }
    }
}

TEST(CandidateList, EveryBuiltInPageIsKnownToIconv)
{
    std::string all = "auto:";
    for (const auto& page : CandidateList::builtIn())
        all += page + ",";
    EXPECT_EQ(CandidateList::parse(all).codePages(), CandidateList::builtIn());
}

TEST(MapProposal, MapsUchardetNamesOntoTheListIncludingRelatives)
{
    const std::vector<std::string> list = {"cp1251", "koi8-u", "cp1253", "cp1250", "cp932"};
    const std::pair<const char*, const char*> cases[] = {
        {"WINDOWS-1251", "cp1251"}, {"windows-1251", "cp1251"},  // 0.0.7 and later spellings
        {"KOI8-R", "koi8-u"},       {"ISO-8859-7", "cp1253"},
        {"ISO-8859-2", "cp1250"},   {"IBM852", "cp1250"},
        {"SHIFT_JIS", "cp932"},     {"UTF-8", "utf-8"},
        {"ASCII", nullptr},         {"ISO-8859-1", nullptr},
        {"WINDOWS-1252", nullptr},  {"BIG5", nullptr},
        {"", nullptr},
    };
    for (const auto& [detected, expected] : cases) {
        const auto reading = mapProposal(detected, list);
        if (expected)
            EXPECT_EQ(reading ? reading->label() : "(none)", expected) << detected;
        else
            EXPECT_FALSE(reading.has_value()) << detected;
    }
}

}  // namespace
}  // namespace tagshifter::test
