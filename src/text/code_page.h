// Code pages read into code points: strict UTF-8, and every other page
// through an iconv conversion opened here, as a whole text, one character,
// or a table of its 256 bytes.
#pragma once

#include "common/error.h"
#include "text/conversion.h"

#include <array>
#include <optional>
#include <string>

namespace tagshifter {

// Strict UTF-8: no overlong forms, surrogates or code points past U+10FFFF.
// Gives nothing when `bytes` is not such UTF-8.
std::optional<std::u32string> decodeUtf8(const std::string& bytes);

// Each byte as the code point of the same value: how the text reads now.
std::u32string decodeLatin1(const std::string& bytes);

// Whether iconv can convert from `name` to UTF-8.
bool codePageKnown(const std::string& name);
// Why a code page did not open: its name, unless the process ran out of
// descriptors, which is said as such (not an encoding at fault).
Error cannotOpenCodePage();

// One open conversion from a code page to UTF-8, closed with the object.
class CodePageDecoder {
public:
    // Throws the source-encoding Error ("Cannot open source encoding.\n") when iconv
    // does not know `codePage`.
    explicit CodePageDecoder(const std::string& codePage);

    // Gives nothing when a byte sequence is not valid in the code page.
    std::optional<std::u32string> decode(const std::string& bytes) const;

    // The one character that `length` bytes make, or kNoCharacter when they
    // are not valid, make more than one character, or (`length` 1) start a
    // longer sequence.
    static constexpr char32_t kNoCharacter = 0xFFFFFFFF;
    char32_t character(const char* bytes, size_t length) const;

    // For a page of one byte per character: the code point of every byte,
    // kNoCharacter where the byte is not valid. Nothing for other pages.
    std::optional<std::array<char32_t, 256>> singleByteTable() const;

private:
    // Converts all of `bytes`; false when iconv stops on them, with `errno`
    // set. `utf8` gets what came out.
    bool convert(const char* bytes, size_t length, char* utf8, size_t& room) const;

    Conversion conversion_;
};

}  // namespace tagshifter
