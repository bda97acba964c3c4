// Helpers of the guess tests: text stored in a code page, as tags hold it.
#pragma once

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace tagshifter::test {

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

}  // namespace tagshifter::test
