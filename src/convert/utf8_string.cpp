#include "convert/utf8_string.h"

#include <taglib/tbytevector.h>

#include <algorithm>

namespace tagshifter {

TagLib::String stringFromUtf8(std::string utf8)
{
    size_t units = 0;  // UTF-16 code units, as TagLib holds the text
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80)
            units += byte >= 0xF0 ? 2 : 1;
    }
    // Plain ASCII takes no more room either way; a zero byte would end
    // the text made from UTF-16 early.
    if (units == utf8.size() || utf8.find('\0') != std::string::npos)
        return TagLib::String(utf8, TagLib::String::UTF8);
    TagLib::ByteVector wide(static_cast<unsigned int>(units * 2), '\0');
    size_t out = 0;
    auto put = [&](char32_t unit) {
        if (out + 2 > wide.size())
            return false;
        wide[static_cast<unsigned int>(out)] = static_cast<char>(unit & 0xFF);
        wide[static_cast<unsigned int>(out + 1)] = static_cast<char>(unit >> 8);
        out += 2;
        return true;
    };
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        bool valid = i + length <= utf8.size() && (lead < 0x80 || lead >= 0xC2) && lead < 0xF5;
        char32_t point = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            valid = (next & 0xC0) == 0x80;
            point = point << 6 | (next & 0x3F);
        }
        static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        valid = valid && point >= kLeast[length] && point <= 0x10FFFF && (point < 0xD800 || point > 0xDFFF);
        i += length;
        const bool placed = valid
                            && (point >= 0x10000
                                    ? put(0xD800 + ((point - 0x10000) >> 10)) && put(0xDC00 + (point & 0x3FF))
                                    : put(point));
        // Not UTF-8 after all: as TagLib reads it.
        if (!placed)
            return TagLib::String(utf8, TagLib::String::UTF8);
    }
    if (out != wide.size())
        return TagLib::String(utf8, TagLib::String::UTF8);
    std::string().swap(utf8);
    return TagLib::String(wide, TagLib::String::UTF16LE);
}

std::string utf8Of(const TagLib::String& value)
{
    constexpr unsigned int kPiece = 1 << 14;  // characters
    if (value.size() <= kPiece)
        return value.to8Bit(true);
    // Each piece ends past a whole surrogate pair; one TagLib converts to
    // nothing is not UTF-16 it reads, and the whole is left to TagLib.
    auto eachPiece = [&value](auto&& take) {
        for (unsigned int at = 0; at < value.size();) {
            unsigned int end = std::min(value.size(), at + kPiece);
            const wchar_t last = value[static_cast<int>(end - 1)];
            if (end < value.size() && last >= 0xD800 && last <= 0xDBFF)
                ++end;
            const std::string piece = value.substr(at, end - at).to8Bit(true);
            if (piece.empty())
                return false;
            take(piece);
            at = end;
        }
        return true;
    };
    // Sized first, so that the bytes are not held in a string grown by doubling.
    size_t size = 0;
    if (!eachPiece([&size](const std::string& piece) { size += piece.size(); }))
        return value.to8Bit(true);
    std::string utf8;
    utf8.reserve(size);
    eachPiece([&utf8](const std::string& piece) { utf8 += piece; });
    return utf8;
}

std::string utf8OfLatin1(const std::string& latin1)
{
    size_t size = latin1.size();
    for (const char c : latin1)
        size += static_cast<unsigned char>(c) >= 0x80;
    std::string utf8;
    utf8.reserve(size);
    for (const char c : latin1) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | (byte >> 6));
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

}  // namespace tagshifter
