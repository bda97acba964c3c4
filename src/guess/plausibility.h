// How unlike real tag text a decoded text looks: the penalty the guess compares.
#pragma once

#include <string>

namespace tagshifter::guess {

// The penalty points of one decoded field: 0 for text that looks like a real
// name or title in some language, more for every sign of a wrong reading
// (control characters, symbols inside words, several alphabets or case
// changes inside one word, accents no language writes together, rare or
// compatibility CJK characters...). Texts are compared by their penalties:
// only the difference between two readings of the same bytes means anything.
double implausibility(const std::u32string& text);

}  // namespace tagshifter::guess
