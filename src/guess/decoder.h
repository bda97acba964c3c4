// Decoding 8-bit tag text to code points under a code page or as UTF-8.
#pragma once

#include <iconv.h>

#include <array>
#include <optional>
#include <string>

namespace tagshifter::guess {

// Strict UTF-8: no overlong forms, surrogates or code points past U+10FFFF.
// Gives nothing when `bytes` is not such UTF-8.
std::optional<std::u32string> decodeUtf8(const std::string& bytes);

// Each byte as the code point of the same value: how the text reads now.
std::u32string decodeLatin1(const std::string& bytes);

// One open conversion from a code page to UTF-8, closed with the object.
class CodePageDecoder {
public:
    // Throws the source-encoding Error ("Cannot open source encoding.\n") when iconv
    // does not know `codePage`.
    explicit CodePageDecoder(const std::string& codePage);
    ~CodePageDecoder();
    CodePageDecoder(const CodePageDecoder&) = delete;
    CodePageDecoder& operator=(const CodePageDecoder&) = delete;
    CodePageDecoder(CodePageDecoder&& other) noexcept;
    CodePageDecoder& operator=(CodePageDecoder&&) = delete;

    // Gives nothing when a byte sequence is not valid in the code page.
    std::optional<std::u32string> decode(const std::string& bytes) const;

    // For a page of one byte per character: the code point of every byte,
    // kNoCharacter where the byte is not valid. Nothing for other pages.
    static constexpr char32_t kNoCharacter = 0xFFFFFFFF;
    std::optional<std::array<char32_t, 256>> singleByteTable() const;

private:
    iconv_t conversion_;
};

}  // namespace tagshifter::guess
