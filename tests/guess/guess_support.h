// Helpers of the guess tests: text stored in a code page, as tags hold it.
#pragma once

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace tagshifter::test {

// Converts all of `text` or gives false. cp1255 and cp1258 hold back a letter for a
// mark that may follow: the second call lets it out.
inline bool convert(const std::string& text, const char* from, const char* to, std::string& out)
{
    const iconv_t conversion = iconv_open(to, from);
    if (conversion == reinterpret_cast<iconv_t>(-1))
        return false;
    std::string buffer(text.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* outPtr = buffer.data();
    size_t outLeft = buffer.size();
    const bool ok = iconv(conversion, &in, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1)
                    && iconv(conversion, nullptr, nullptr, &outPtr, &outLeft) != static_cast<size_t>(-1);
    iconv_close(conversion);
    out.assign(buffer.data(), buffer.size() - outLeft);
    return ok;
}

// `utf8` converted to `page` (the Latin-1 bytes a tag reader hands back).
inline std::string storedIn(const std::string& utf8, const char* page)
{
    const iconv_t conversion = iconv_open(page, "UTF-8");
    EXPECT_NE(conversion, reinterpret_cast<iconv_t>(-1)) << page;
    std::string bytes(utf8.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* out = bytes.data();
    size_t outLeft = bytes.size();
    EXPECT_NE(iconv(conversion, &in, &inLeft, &out, &outLeft), static_cast<size_t>(-1)) << utf8;
    iconv_close(conversion);
    bytes.resize(bytes.size() - outLeft);
    return bytes;
}

// `bytes` as a tool showed them through `page`, byte by byte, in UTF-8: a
// byte the page leaves undefined shows as the C1 control of its value, and
// Mac OS shows 0xF0 as its logo (iconv has a private point of its own) and
// 0xC6 as the increment sign "∆" (iconv: the Greek "Δ").
inline std::string shownThrough(const std::string& bytes, const char* page)
{
    const iconv_t conversion = iconv_open("UTF-8", page);
    EXPECT_NE(conversion, reinterpret_cast<iconv_t>(-1)) << page;
    std::string text;
    for (char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        char out[8];
        char* in = &byte;
        char* to = out;
        size_t inLeft = 1, outLeft = sizeof out;
        if (std::string(page) == "MACINTOSH" && value == 0xF0)
            text += "\xEF\xA3\xBF";  // U+F8FF
        else if (std::string(page) == "MACINTOSH" && value == 0xC6)
            text += "\xE2\x88\x86";  // U+2206
        else if (iconv(conversion, &in, &inLeft, &to, &outLeft) != static_cast<size_t>(-1))
            text.append(out, static_cast<size_t>(to - out));
        else
            text += {static_cast<char>(0xC0 | value >> 6), static_cast<char>(0x80 | (value & 0x3F))};
    }
    iconv_close(conversion);
    return text;
}

// The share of a page's files each tuning set must get right under its
// natural list.
inline double perPageFloor(const std::string&)
{
    return 90.0;
}

}  // namespace tagshifter::test
