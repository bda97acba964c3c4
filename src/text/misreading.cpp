#include "text/misreading.h"

#include <iconv.h>

#include <array>

namespace tagshifter {
namespace {

// Windows-1252 from 0x80 to 0x9F; the holes show as the C1 control of their value.
constexpr std::array<char32_t, 32> kWindows1252 = {
    0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

// Mac OS Roman from 0x80 up, as the C library knows it (zeros if it does not:
// the reader then holds no text).
const std::array<char32_t, 128>& macRoman()
{
    static const std::array<char32_t, 128> table = [] {
        std::array<char32_t, 128> points{};
        const iconv_t conversion = iconv_open("UTF-32LE", "MACINTOSH");
        if (conversion == reinterpret_cast<iconv_t>(-1))
            return points;
        for (int value = 0x80; value < 0x100; ++value) {
            char byte = static_cast<char>(value);
            unsigned char out[4];
            char* in = &byte;
            char* to = reinterpret_cast<char*>(out);
            size_t inLeft = 1, outLeft = sizeof out;
            if (iconv(conversion, &in, &inLeft, &to, &outLeft) != static_cast<size_t>(-1) && outLeft == 0)
                points[value - 0x80] = char32_t{out[0]} | char32_t{out[1]} << 8 | char32_t{out[2]} << 16;
        }
        iconv_close(conversion);
        return points;
    }();
    return table;
}

std::optional<char> byteOf(char32_t point, Reader reader)
{
    if (point < 0x80)
        return static_cast<char>(point);
    switch (reader) {
    case Reader::Latin1:
        if (point < 0x100)
            return static_cast<char>(point);
        break;
    case Reader::Windows1252:
        if (point >= 0xA0 && point < 0x100)
            return static_cast<char>(point);
        for (size_t i = 0; i < kWindows1252.size(); ++i)
            if (kWindows1252[i] == point)
                return static_cast<char>(0x80 + i);
        break;
    case Reader::MacRoman:
        for (size_t i = 0; i < macRoman().size(); ++i)
            if (macRoman()[i] == point && point != 0)
                return static_cast<char>(0x80 + i);
        break;
    }
    return std::nullopt;
}

}  // namespace

char32_t readerPoint(Reader reader, unsigned char byte)
{
    if (byte < 0x80 || reader == Reader::Latin1 || (reader == Reader::Windows1252 && byte >= 0xA0))
        return byte;
    return reader == Reader::Windows1252 ? kWindows1252[byte - 0x80] : macRoman()[byte - 0x80];
}

std::optional<std::string> bytesThrough(const TagLib::String& text, Reader reader)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (unsigned int i = 0; i < text.size(); ++i) {
        const auto byte = byteOf(static_cast<char32_t>(text[i]), reader);
        if (!byte)
            return std::nullopt;
        bytes += *byte;
    }
    return bytes;
}

}  // namespace tagshifter
