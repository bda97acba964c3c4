// How unlike real tag text a decoded text looks: the penalty the guess compares.
#pragma once

#include <cstddef>
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
enum class HanReading : uint8_t { Any, Japanese, Chinese, TraditionalChinese };
//
// `latin` does the same for words in Latin letters beyond ASCII: a page
// made for Turkish reads Turkish or Western text, not the Slovenian that
// its bytes happen to spell through a Baltic page ("Žebnem" for "Şebnem").
enum class LatinReading : uint8_t { Any, Western, CentralEuropean, Turkish, Baltic, Vietnamese };
constexpr size_t kLatinReadings = 6;  // how many values LatinReading has
double implausibility(const std::u32string& text, HanReading han = HanReading::Any,
                      LatinReading latin = LatinReading::Any);

// The alphabets beside Latin that `text` has letters of, a bit each; Han,
// kana and Hangul count as one, since Korean and Japanese write Han too.
uint16_t otherAlphabets(const std::u32string& text, size_t from = 0, size_t to = std::u32string::npos);

// What the code page `name` (an iconv name, any case) writes in Han characters.
HanReading hanReadingOf(const std::string& name);

// The languages the code page `name` (an iconv name, any case) writes in
// Latin letters beyond ASCII; Any for pages of other scripts and unknown ones.
LatinReading latinReadingOf(const std::string& name);

// Whether the code page `name` is made for Korean (cp949, EUC-KR, UHC).
bool writesKorean(const std::string& name);

// How common the Han, kana and Hangul characters of `text` are in everyday
// text: their mean cost in half bits (Han under `han`), their number, and
// whether every other character is ASCII and all of them Hangul.
struct CjkCommonness {
    double meanCost = 0;
    int characters = 0;
    bool allHangul = false;
};
CjkCommonness cjkCommonness(const std::u32string& text, HanReading han);

}  // namespace tagshifter::guess
