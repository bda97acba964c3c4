// The common CJK sets, taken once from iconv's own tables rather than kept here.
#include "guess/common_characters.h"

#include "text/code_page.h"

#include <optional>
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

// Decodes `bytes` code by code and marks every point in range in `set`;
// codes the page does not know are skipped.
void mark(const char* codePage, const std::string& bytes, char32_t first, char32_t last,
          std::vector<bool>& set)
{
    std::optional<CodePageDecoder> decoder;
    try {
        decoder.emplace(codePage);
    } catch (...) {
        return;  // a C library without the page: its characters count as rare
    }
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char32_t point = decoder->character(&bytes[i], 2);
        if (point >= first && point <= last)
            set[point - first] = true;
    }
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
