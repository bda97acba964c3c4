// Recoding whole byte strings through one conversion: the 1024-byte passes,
// zero bytes, failures anywhere in the string or at the flush, and reuse.
#include "convert/recode.h"

#include "common/error.h"
#include "text/conversion.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <string>
#include <vector>

namespace tagshifter::test {
namespace {

const char kEncodingError[] = "Error during encoding.\n";

// What the recording iconv below saw, and which of its calls it turns into a
// failure after the real ::iconv has run.
struct CallLog {
    int textCalls = 0;
    int flushCalls = 0;
    std::vector<size_t> written;  // output bytes of each call, flush included
    int failCall = -1;            // index of the call to fail, counting every call
    int failErrno = 0;
    size_t irreversible = 0;      // reported by every call that succeeds
};
CallLog calls;

size_t recordingIconv(iconv_t cd, char** in, size_t* inLeft, char** out, size_t* outLeft)
{
    const size_t room = *outLeft;
    const int index = calls.textCalls + calls.flushCalls;
    ++(in ? calls.textCalls : calls.flushCalls);
    const size_t result = ::iconv(cd, in, inLeft, out, outLeft);
    const int realErrno = errno;
    calls.written.push_back(room - *outLeft);
    if (index == calls.failCall) {
        errno = calls.failErrno;
        return static_cast<size_t>(-1);
    }
    errno = realErrno;
    return result == static_cast<size_t>(-1) ? result : result + calls.irreversible;
}

// The whole string at once through a buffer far larger than any input here.
std::string oneShot(const char* to, const char* from, std::string input)
{
    Conversion conversion;
    EXPECT_TRUE(conversion.open(to, from));
    std::vector<char> buffer(1 << 16);
    char *in = input.data(), *out = buffer.data();
    size_t inLeft = input.size(), outLeft = buffer.size();
    EXPECT_NE(::iconv(conversion.descriptor(), &in, &inLeft, &out, &outLeft), static_cast<size_t>(-1));
    EXPECT_NE(::iconv(conversion.descriptor(), nullptr, nullptr, &out, &outLeft), static_cast<size_t>(-1));
    return std::string(buffer.data(), out);
}

class RecodeTest : public testing::Test {
protected:
    void SetUp() override { calls = CallLog{}; }

    std::string recode(const char* to, const char* from, const std::string& input)
    {
        Conversion conversion;
        EXPECT_TRUE(conversion.open(to, from)) << from << " -> " << to;
        return recodeThrough(conversion.descriptor(), input, recordingIconv);
    }

    static void expectEncodingError(const std::function<void()>& action)
    {
        try {
            action();
            ADD_FAILURE() << "no error was raised";
        } catch (const Error& message) {
            EXPECT_STREQ(message.what(), kEncodingError);
        }
    }
};

TEST_F(RecodeTest, LongInputGoesThroughBufferSizedPasses)
{
    std::string letters;  // 600 cp1251 letters, two UTF-8 bytes each
    for (int i = 0; i < 600; ++i)
        letters += static_cast<char>(0xC0 + i % 64);

    calls.irreversible = 3;  // a count of irreversible conversions is success too
    const std::string result = recode("UTF-8", "cp1251", letters);
    EXPECT_EQ(calls.textCalls, 2);
    EXPECT_EQ(calls.flushCalls, 1);
    EXPECT_EQ(calls.written, (std::vector<size_t>{1024, 176, 0}));
    EXPECT_EQ(result.size(), 1200u);
    EXPECT_EQ(result, oneShot("UTF-8", "cp1251", letters));
}

TEST_F(RecodeTest, ConvertsWholeLengthIncludingZeroBytes)
{
    const struct { const char *to, *from; std::string input, expected; } cases[] = {
        {"UTF-8", "cp1251", std::string("\xCF\0\xF0\0", 4), std::string("\xD0\x9F\0\xD1\x80\0", 6)},
        {"UTF-8", "cp1251", std::string(3, '\0'), std::string(3, '\0')},
        {"UTF-16LE", "UTF-8", std::string("a\0b", 3), std::string("a\0\0\0b\0", 6)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(recode(c.to, c.from, c.input), c.expected) << c.from << " -> " << c.to;
}

TEST_F(RecodeTest, FailuresRaiseAndHandBackNothing)
{
    // Input that ends inside a two-byte character (EINVAL).
    expectEncodingError([&] { recode("cp1251", "UTF-8", "ab\xD0"); });
    // A byte that is no UTF-8 at all (EILSEQ).
    expectEncodingError([&] { recode("cp1251", "UTF-8", "ab\xFF"); });
    // A character the target lacks.
    expectEncodingError([&] { recode("ascii", "UTF-8", "ab\xD0\x9F"); });

    // A rejected byte after a full first pass: the 1024 bytes already
    // converted are not handed back.
    calls = CallLog{};
    expectEncodingError([&] { recode("cp1251", "UTF-8", std::string(1100, 'a') + "\xFF"); });
    EXPECT_EQ(calls.textCalls, 2);
    EXPECT_EQ(calls.flushCalls, 0);
    EXPECT_EQ(calls.written, (std::vector<size_t>{1024, 76}));
}

TEST_F(RecodeTest, FailingFlushRaisesWhateverTheErrno)
{
    for (const int error : {EILSEQ, EINVAL, E2BIG}) {
        for (const std::string& input : {std::string(), std::string("abc")}) {
            calls = CallLog{};
            calls.failCall = input.empty() ? 0 : 1;
            calls.failErrno = error;
            expectEncodingError([&] { recode("UTF-8", "cp1251", input); });
            EXPECT_EQ(calls.flushCalls, 1) << "errno " << error << ", input '" << input << "'";
        }
    }
}

TEST_F(RecodeTest, FlushEndsEveryStringAndIsTheOnlyCallForEmptyInput)
{
    const struct { const char* to; std::string input, expected; size_t flushBytes; } cases[] = {
        // 日本: shift to JIS X 0208, the two characters, shift back to ASCII.
        {"ISO-2022-JP", "\xE6\x97\xA5\xE6\x9C\xAC", "\x1B$BF|K\\\x1B(B", 3},
        // Пр: the base64 run is closed only when the conversion is reset.
        {"UTF-7", "\xD0\x9F\xD1\x80", "+BB8EQA-", 2},
        {"UTF-8", "", "", 0},
        {"ISO-2022-JP", "", "", 0},
        {"UTF-7", "", "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.to << " '" << c.input << "'");
        calls = CallLog{};
        EXPECT_EQ(recode(c.to, "UTF-8", c.input), c.expected);
        EXPECT_EQ(calls.textCalls, c.input.empty() ? 0 : 1);
        ASSERT_EQ(calls.flushCalls, 1);
        EXPECT_EQ(calls.written.back(), c.flushBytes);
    }
}

TEST_F(RecodeTest, ReusedConversionGivesWhatFreshOnesGive)
{
    const std::string nihon = "\xE6\x97\xA5\xE6\x9C\xAC";
    const struct { const char *to, *from; std::vector<std::string> inputs; } cases[] = {
        {"UTF-8", "cp1251", {kPrivetCp1251, "", std::string(700, '\xE0'), "x"}},
        {"ISO-2022-JP", "UTF-8", {nihon, nihon, "abc", "", nihon}},
        {"UTF-7", "UTF-8", {kPrivetUtf8, kPrivetUtf8, "a+b"}},
    };
    for (const auto& c : cases) {
        Conversion reused;
        ASSERT_TRUE(reused.open(c.to, c.from));
        for (const std::string& input : c.inputs) {
            EXPECT_EQ(recodeThrough(reused.descriptor(), input, recordingIconv),
                      recode(c.to, c.from, input))
                << c.to << " after reuse";
        }
    }
}

}  // namespace
}  // namespace tagshifter::test
