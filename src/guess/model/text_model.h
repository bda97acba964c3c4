// What real text looks like, learnt from dictionaries: letter pairs of each
// language written in an alphabet, character frequencies of Japanese,
// Chinese and Korean (tables made by scripts/train_text_model.py).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tagshifter::guess::model {

enum class Script : uint8_t { Latin, Cyrillic, Greek, Hebrew, Arabic, Thai, Han, Hangul };
constexpr int kScripts = 8;
// No script has more languages: the languages a reading allows are a 32-bit mask.
constexpr size_t kMostLanguages = 32;

// The lower case of a letter of the modelled alphabets; any other point as it is.
char32_t lowerCase(char32_t c);

// The languages of `script`: names ("ru", "ja", "zh_hant", ...), in a fixed order.
const std::vector<const char*>& languagesOf(Script script);

// How much less likely than everyday text `word` (letters of one script,
// any case, combining marks skipped) is in each language of `script`, in
// half bits, one figure per language of languagesOf(script) written to `costs`.
void wordCosts(std::u32string_view word, Script script, std::vector<int>& costs);

// How common `c` is in everyday text: its whole cost in half bits, Hangul
// syllables in Korean, Han characters and kana in the cheapest language of
// `hanLanguages` (a bit per language of languagesOf(Script::Han)); -1 for
// any other character.
int characterCost(char32_t c, uint32_t hanLanguages);

}  // namespace tagshifter::guess::model
