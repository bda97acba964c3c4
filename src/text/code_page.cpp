#include "text/code_page.h"

#include "common/error.h"
#include "common/messages.h"
#include "sys/fd.h"

#include <cerrno>

namespace tagshifter {

std::optional<std::u32string> decodeUtf8(const std::string& bytes)
{
    std::u32string result;
    result.reserve(bytes.size());
    size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        int extra = 0;
        char32_t point = 0;
        char32_t least = 0;
        if (lead < 0x80) {
            point = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1, point = lead & 0x1F, least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, point = lead & 0x0F, least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, point = lead & 0x07, least = 0x10000;
        } else {
            return std::nullopt;
        }
        if (i + static_cast<size_t>(extra) >= bytes.size())  // sequence cut short
            return std::nullopt;
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + static_cast<size_t>(k)]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            point = (point << 6) | (next & 0x3F);
        }
        if (point < least || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
            return std::nullopt;
        result.push_back(point);
        i += static_cast<size_t>(extra) + 1;
    }
    return result;
}

std::u32string decodeLatin1(const std::string& bytes)
{
    std::u32string result;
    result.reserve(bytes.size());
    for (char byte : bytes)
        result.push_back(static_cast<unsigned char>(byte));
    return result;
}

bool codePageKnown(const std::string& name)
{
    Conversion conversion;
    return conversion.open("UTF-8", name.c_str());
}

Error cannotOpenCodePage()
{
    if (const int exhausted = sys::descriptorsExhausted())
        return Error(Error::Kind::Other, sys::describe(messages::kCannotOpenConversion, exhausted));
    return Error(Error::Kind::SourceEncoding, messages::kCannotOpenSourceEncoding);
}

CodePageDecoder::CodePageDecoder(const std::string& codePage)
{
    if (!conversion_.open("UTF-8", codePage.c_str()))
        throw cannotOpenCodePage();
}

bool CodePageDecoder::convert(const char* bytes, size_t length, char* utf8, size_t& room) const
{
    char* in = const_cast<char*>(bytes);  // iconv only reads through it
    const iconv_t descriptor = conversion_.descriptor();
    iconv(descriptor, nullptr, nullptr, nullptr, nullptr);  // initial shift state
    return iconv(descriptor, &in, &length, &utf8, &room) != static_cast<size_t>(-1)
           && iconv(descriptor, nullptr, nullptr, &utf8, &room) != static_cast<size_t>(-1);
}

std::optional<std::u32string> CodePageDecoder::decode(const std::string& bytes) const
{
    // Tag fields are short; one pass through a buffer four times the input
    // (the most UTF-8 bytes a legacy page needs per byte, flush included).
    std::string utf8(bytes.size() * 4 + 16, '\0');
    size_t room = utf8.size();
    if (!convert(bytes.data(), bytes.size(), utf8.data(), room))
        return std::nullopt;
    utf8.resize(utf8.size() - room);
    return decodeUtf8(utf8);
}

char32_t CodePageDecoder::character(const char* bytes, size_t length) const
{
    char utf8[16];
    size_t room = sizeof utf8;
    if (!convert(bytes, length, utf8, room))
        return kNoCharacter;
    const auto points = decodeUtf8(std::string(utf8, sizeof utf8 - room));
    return points && points->size() == 1 ? (*points)[0] : kNoCharacter;
}

std::optional<std::array<char32_t, 256>> CodePageDecoder::singleByteTable() const
{
    std::array<char32_t, 256> table{};
    for (int value = 0; value < 256; ++value) {
        const char byte = static_cast<char>(value);
        char utf8[16];
        size_t room = sizeof utf8;
        if (!convert(&byte, 1, utf8, room)) {
            if (errno != EILSEQ)
                return std::nullopt;  // the byte starts a longer sequence
            table[static_cast<size_t>(value)] = kNoCharacter;
            continue;
        }
        const auto points = decodeUtf8(std::string(utf8, sizeof utf8 - room));
        if (!points || points->size() != 1)
            return std::nullopt;
        table[static_cast<size_t>(value)] = (*points)[0];
    }
    return table;
}

}  // namespace tagshifter
