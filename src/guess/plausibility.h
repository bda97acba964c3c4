// How unlike real tag text a decoded text looks: the penalty the guess compares.
#pragma once

#include <cstdint>
#include <string>

namespace tagshifter::guess {

// The penalty points of one decoded field: 0 for text that looks like a real
// name or title in some language, more for every sign of a wrong reading
// (control characters, symbols inside words, several alphabets or case
// changes inside one word, accents no language writes together, rare or
// compatibility CJK characters...). Texts are compared by their penalties:
// only the difference between two readings of the same bytes means anything.
//
// `han` names the languages the reading's page writes in Han characters: a
// page made for Japanese reads Japanese, not Chinese that happens to share
// the bytes ("尢捲" is no Japanese, though Chinese knows both characters).
//
// `likelihood`, if given, receives how unlikely the text's words are in all,
// in half bits, in the best-fitting language of each script: of two
// readings of the same bytes into as many characters, the one whose words a
// language writes more often is the likelier, however real both look
// ("Şımarık" in Turkish against "Þýmarýk" in Icelandic).
struct Likelihood {
    int halfBits = -1;     // -1: some character beyond ASCII is no letter the model weighs
    uint16_t scripts = 0;  // a bit for each model::Script of its words
    // Whether the two weigh the same alphabets, or characters of CJK alone.
    bool comparesWith(const Likelihood& other) const;
};
enum class HanReading : uint8_t { Any, Japanese, Chinese, TraditionalChinese };
double implausibility(const std::u32string& text, HanReading han = HanReading::Any,
                      Likelihood* likelihood = nullptr);

// What the code page `name` (an iconv name, any case) writes in Han characters.
HanReading hanReadingOf(const std::string& name);

}  // namespace tagshifter::guess
