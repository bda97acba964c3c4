// A long text is judged by its head and its tail: each must be one that every
// page reads as it reads it in the whole, never half a character.
#include "app/album_pass.h"

#include <gtest/gtest.h>

#include <string>

namespace tagshifter::test {
namespace {

std::string repeated(const std::string& unit, size_t size)
{
    std::string text;
    while (text.size() < size)
        text += unit;
    return text;
}

TEST(JudgedParts, ALongTextIsCutOnlyAfterAByteNoCharacterContinuesPast)
{
    const std::string cyrillic = repeated("\xcf\xf0\xe8\xe2\xe5\xf2 \xec\xe8\xf0 ", 100 << 10);
    // GB18030's four-byte characters hold digits: a cut after one would split it.
    const std::string fourByte = repeated(repeated("\x81\x30\x89\x38", 1000) + "\n", 100 << 10);
    const std::string utf8 = repeated("\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82, ", 100 << 10);
    const std::string lowOnlyEarly = "a b " + std::string(100 << 10, '\xe0');
    const struct {
        const char* name;
        std::string text;
        char cutAfter;  // 0: left whole
    } cases[] = {
        {"short text", "\xcf\xf0\xe8\xe2\xe5\xf2", 0},
        {"exactly head and tail", std::string(kJudgedHead + kJudgedTail, '\xe0'), 0},
        {"cp1251 words", cyrillic, ' '},
        {"GB18030 four-byte characters, digits inside", fourByte, '\n'},
        {"UTF-8", utf8, ' '},
        {"no space, sign nor control", std::string(100 << 10, '\xe0'), 0},
        {"one only in the first half", lowOnlyEarly, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string cut = c.text;
        cutToJudgedParts(cut);
        if (c.cutAfter == 0) {
            EXPECT_TRUE(cut == c.text) << "cut, " << cut.size() << " bytes";
            continue;
        }
        ASSERT_LE(cut.size(), kJudgedHead + kJudgedTail);
        ASSERT_GT(cut.size(), (kJudgedHead + kJudgedTail) / 2);
        // The head: up to the last low byte within kJudgedHead.
        size_t head = kJudgedHead;
        while (static_cast<unsigned char>(c.text[head - 1]) >= 0x30)
            --head;
        EXPECT_EQ(c.text[head - 1], c.cutAfter);  // the case tells a sign from the rest
        EXPECT_TRUE(cut.compare(0, head, c.text, 0, head) == 0) << "not a head of the text";
        const size_t tail = cut.size() - head;
        ASSERT_LE(tail, kJudgedTail);
        EXPECT_TRUE(c.text.compare(c.text.size() - tail, tail, cut, head, tail) == 0) << "not its tail";
        EXPECT_LT(static_cast<unsigned char>(c.text[c.text.size() - tail - 1]), 0x30) << "the tail starts mid-text";
    }
}

}  // namespace
}  // namespace tagshifter::test
