// The common CJK sets, taken once from iconv's own tables rather than kept here.
#include "guess/common_characters.h"

#include <iconv.h>

#include <string>
#include <vector>

namespace tagshifter::guess {
namespace {

constexpr char32_t kHanFirst = 0x4E00, kHanLast = 0x9FFF;
constexpr char32_t kHangulFirst = 0xAC00, kHangulLast = 0xD7A3;

// Every two-byte code from lead..lastLead x trail..lastTrail, as one string.
std::string codes(int lead, int lastLead, int trail, int lastTrail)
{
    std::string bytes;
    for (int l = lead; l <= lastLead; ++l)
        for (int t = trail; t <= lastTrail; ++t) {
            bytes.push_back(static_cast<char>(l));
            bytes.push_back(static_cast<char>(t));
        }
    return bytes;
}

// Decodes `bytes` code by code to UTF-32 and marks every point in range in
// `set`; codes iconv does not know are skipped.
void mark(const char* codePage, const std::string& bytes, char32_t first, char32_t last,
          std::vector<bool>& set)
{
    const iconv_t conversion = iconv_open("UTF-32LE", codePage);
    if (conversion == reinterpret_cast<iconv_t>(-1))
        return;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char in[2] = {bytes[i], bytes[i + 1]};
        unsigned char out[8];
        char* inPtr = in;
        char* outPtr = reinterpret_cast<char*>(out);
        size_t inLeft = 2, outLeft = sizeof out;
        if (iconv(conversion, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)
            || outLeft != 4)
            continue;
        const char32_t point = out[0] | out[1] << 8 | out[2] << 16
                               | static_cast<char32_t>(out[3]) << 24;
        if (point >= first && point <= last)
            set[point - first] = true;
    }
    iconv_close(conversion);
}

const std::vector<bool>& commonHan()
{
    static const std::vector<bool> set = [] {
        std::vector<bool> result(kHanLast - kHanFirst + 1);
        mark("EUC-CN", codes(0xB0, 0xD7, 0xA1, 0xFE), kHanFirst, kHanLast, result);
        mark("BIG5", codes(0xA4, 0xC6, 0x40, 0x7E) + codes(0xA4, 0xC5, 0xA1, 0xFE),
             kHanFirst, kHanLast, result);
        mark("EUC-JP", codes(0xB0, 0xCF, 0xA1, 0xFE), kHanFirst, kHanLast, result);
        return result;
    }();
    return set;
}

const std::vector<bool>& commonHangul()
{
    static const std::vector<bool> set = [] {
        std::vector<bool> result(kHangulLast - kHangulFirst + 1);
        mark("EUC-KR", codes(0xB0, 0xC8, 0xA1, 0xFE), kHangulFirst, kHangulLast, result);
        return result;
    }();
    return set;
}

}  // namespace

bool isCommonHan(char32_t point)
{
    return point >= kHanFirst && point <= kHanLast && commonHan()[point - kHanFirst];
}

bool isCommonHangul(char32_t point)
{
    return point >= kHangulFirst && point <= kHangulLast
           && commonHangul()[point - kHangulFirst];
}

}  // namespace tagshifter::guess
