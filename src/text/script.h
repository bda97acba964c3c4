// The script a text is written in, and the script a code page was made for:
// -1 auto writes a file's ID3v1 in a page of its text's own script.
#pragma once

#include <string>
#include <vector>

namespace tagshifter {

// Han, kana and Hangul count as one: the pages of byte pairs write them all.
enum class Script { None, Latin, Greek, Cyrillic, Hebrew, Arabic, Thai, Cjk };

// The script of `point`'s letters; None for ASCII, signs, digits and marks.
Script scriptOf(char32_t point);

// The script most letters beyond ASCII of `utf8Texts` are written in (a
// tie goes to the one beside Latin); None when they have no such letter.
Script mainScript(const std::vector<std::string>& utf8Texts);

// The script of the letters the code page `name` (an iconv name) holds
// beyond ASCII: that of most of its upper 128 bytes for a page of one byte
// a character, Cjk for a page of byte pairs; None when iconv lacks it.
Script pageScript(const std::string& name);

}  // namespace tagshifter
