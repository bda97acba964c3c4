// The learnt tables and the word costs read from them.
#include "guess/model/text_model.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <string_view>
#include <utility>

namespace tagshifter::guess::model {
namespace {

struct AlphabetLanguage {
    const char* name;
    Script script;
    const char32_t* alphabet;     // lower case, in code point order
    const unsigned char* steps;   // (letters + 1)^2 costs, index 0 a word's edge
    int usual;                    // what a step of real text costs at most, 19 times in 20
};

struct CjkLanguage {
    const char* name;
    const unsigned char* han;     // U+4E00..U+9FFF
    const unsigned char* kana;    // U+3041..U+30FF
    int usual;                    // the cost of the 3000th most common character
};

#include "guess/model/text_model.inc"

constexpr bool fewEnoughLanguages()
{
    for (int script = 0; script < kScripts; ++script) {
        size_t count = 0;
        for (const auto& language : kAlphabetLanguages)
            count += static_cast<int>(language.script) == script;
        if (count > kMostLanguages)
            return false;
    }
    return sizeof kCjkLanguages / sizeof kCjkLanguages[0] <= kMostLanguages;
}
static_assert(fewEnoughLanguages(), "more languages in a script than a mask holds");

// A letter no language of its script writes: about as unlikely as a pair
// of letters never seen together.
constexpr int kUnknownLetter = 24;
constexpr unsigned char kOutside = 255;
constexpr char32_t kHanFirst = 0x4E00, kHanLast = 0x9FFF;
constexpr char32_t kKanaFirst = 0x3041, kKanaLast = 0x30FF;
constexpr char32_t kHangulFirst = 0xAC00, kHangulLast = 0xD7A3;
// Lower-case letters written either way: with a cedilla, and with a comma below.
constexpr std::pair<char32_t, char32_t> kSameLetters[] = {{0x15F, 0x219}, {0x163, 0x21B}};

// The alphabets' letters live below U+0700, in Thai and in Latin Extended
// Additional (Vietnamese): one slot each in a dense table.
constexpr int kSlots = 0x700 + 0x80 + 0x100;

int slotOf(char32_t c)
{
    if (c < 0x700)
        return static_cast<int>(c);
    if (c >= 0xE00 && c < 0xE80)
        return static_cast<int>(0x700 + c - 0xE00);
    if (c >= 0x1E00 && c < 0x1F00)
        return static_cast<int>(0x780 + c - 0x1E00);
    return -1;
}

char32_t pointOf(int slot)
{
    if (slot < 0x700)
        return static_cast<char32_t>(slot);
    return static_cast<char32_t>(slot < 0x780 ? slot - 0x700 + 0xE00 : slot - 0x780 + 0x1E00);
}

struct Alphabet {
    std::array<unsigned char, kSlots> index{};  // letter -> row of `steps`, kOutside if not written
    int size = 0;
    const AlphabetLanguage* language = nullptr;
    bool syllables = false;  // each word one syllable (Vietnamese)
};

// Whether lower-case `c` is a vowel of the Latin alphabets, with any marks.
bool isLatinVowel(char32_t c)
{
    static constexpr std::u32string_view plain = U"aeiouyàáâãäåæèéêëìíîïòóôõöøùúûüýÿœ";
    if (c < 0x100)
        return plain.find(c) != std::u32string_view::npos;
    return (c >= 0x100 && c <= 0x105) || (c >= 0x112 && c <= 0x11B) || (c >= 0x128 && c <= 0x131)
           || (c >= 0x14C && c <= 0x153) || (c >= 0x168 && c <= 0x173) || c == 0x177 || c == 0x1A1
           || c == 0x1B0 || (c >= 0x1EA0 && c <= 0x1EF9);
}

// Whether `word` can be one Vietnamese syllable: one run of vowels
// ("nguyễn", "người"), ended by a vowel or by c, ch, m, n, ng, nh, p or t.
// Czech read through Windows-1252 is not: "dítì" has two runs, "mìl" ends in l.
bool isSyllable(std::u32string_view word, const std::array<char32_t, kSlots>& lower)
{
    int runs = 0;
    bool inVowels = false;
    char32_t last = 0;
    for (char32_t c : word) {
        const int slot = slotOf(c);
        last = slot < 0 ? c : lower[slot];
        const bool vowel = isLatinVowel(last);
        runs += vowel && !inVowels;
        inVowels = vowel;
    }
    static constexpr std::u32string_view finals = U"cghmnpt";
    return runs <= 1 && (inVowels || finals.find(last) != std::u32string_view::npos);
}

struct Tables {
    std::array<char32_t, kSlots> lower{};
    std::vector<Alphabet> alphabets;
    std::array<std::vector<size_t>, kScripts> members;  // alphabets of each script
    std::array<std::vector<const char*>, kScripts> names;
};

const Tables& tables()
{
    static const Tables built = [] {
        Tables t;
        for (int slot = 0; slot < kSlots; ++slot)
            t.lower[slot] = pointOf(slot);
        for (const auto& pair : kUpperToLower) {
            const int slot = slotOf(pair[0]);
            if (slot >= 0)
                t.lower[slot] = pair[1];
        }
        // Turkish capital dotted I: its lower case is a plain "i" ("İstanbul").
        t.lower[slotOf(0x130)] = U'i';
        // No alphabet learnt writes "Ţ", which older pages hold for Romanian.
        t.lower[slotOf(0x162)] = 0x163;
        for (const auto& language : kAlphabetLanguages) {
            Alphabet a;
            a.language = &language;
            a.syllables = std::string_view(language.name) == "vi";
            a.index.fill(kOutside);
            for (const char32_t* c = language.alphabet; *c; ++c)
                a.index[slotOf(*c)] = static_cast<unsigned char>(++a.size);
            // "ş" and "ţ" with a cedilla or a comma below are one letter to
            // their writers: Romanian dictionaries use the comma, the pages
            // of Central Europe hold only the cedilla.
            for (const auto& [cedilla, comma] : kSameLetters) {
                unsigned char& withCedilla = a.index[slotOf(cedilla)];
                unsigned char& withComma = a.index[slotOf(comma)];
                if (withCedilla == kOutside)
                    withCedilla = withComma;
                else if (withComma == kOutside)
                    withComma = withCedilla;
            }
            ++a.size;  // the edge
            const auto script = static_cast<size_t>(language.script);
            t.members[script].push_back(t.alphabets.size());
            t.names[script].push_back(language.name);
            t.alphabets.push_back(a);
        }
        for (const auto& language : kCjkLanguages)
            t.names[static_cast<size_t>(Script::Han)].push_back(language.name);
        t.names[static_cast<size_t>(Script::Hangul)].push_back("ko");
        return t;
    }();
    return built;
}

int excess(int cost, int usual) { return cost > usual ? cost - usual : 0; }

int alphabetCost(std::u32string_view word, const Alphabet& a)
{
    const Tables& t = tables();
    const unsigned char* steps = a.language->steps;
    const int usual = a.language->usual;
    int cost = 0;
    int previous = 0;
    // A word of one letter is mostly a word the dictionaries leave out ("à",
    // "и", "a"): only whether the language writes the letter counts.
    if (word.size() == 1) {
        const int slot = slotOf(word[0]);
        return slot >= 0 && a.index[slotOf(t.lower[slot])] != kOutside ? 0 : kUnknownLetter;
    }
    for (char32_t c : word) {
        const int slot = slotOf(c);
        const int letter = slot < 0 ? kOutside : a.index[slotOf(t.lower[slot])];
        if (letter == kOutside) {
            cost += kUnknownLetter;
            previous = 0;
            continue;
        }
        cost += excess(steps[previous * a.size + letter], usual);
        previous = letter;
    }
    if (a.syllables && !isSyllable(word, t.lower))
        cost += kUnknownLetter;
    return cost + excess(steps[previous * a.size], usual);
}

int hanCost(std::u32string_view word, const CjkLanguage& language)
{
    int cost = 0;
    for (char32_t c : word) {
        if (c >= kHanFirst && c <= kHanLast)
            cost += excess(language.han[c - kHanFirst], language.usual);
        else if (c >= kKanaFirst && c <= kKanaLast)
            cost += excess(language.kana[c - kKanaFirst], language.usual);
    }
    return cost;
}

int hangulCost(std::u32string_view word)
{
    int cost = 0;
    for (char32_t c : word)
        if (c >= kHangulFirst && c <= kHangulLast)
            cost += excess(kHangul_ko[c - kHangulFirst], kUsualHangul);
    return cost;
}

}  // namespace

char32_t lowerCase(char32_t c)
{
    const int slot = slotOf(c);
    return slot < 0 ? c : tables().lower[slot];
}

const std::vector<const char*>& languagesOf(Script script)
{
    return tables().names[static_cast<size_t>(script)];
}

int characterCost(char32_t c, uint32_t hanLanguages)
{
    if (c >= kHangulFirst && c <= kHangulLast)
        return kHangul_ko[c - kHangulFirst];
    const bool han = c >= kHanFirst && c <= kHanLast;
    if (!han && !(c >= kKanaFirst && c <= kKanaLast))
        return -1;
    int best = -1;
    for (size_t l = 0; l < std::size(kCjkLanguages); ++l) {
        if (!(hanLanguages >> l & 1))
            continue;
        const auto& language = kCjkLanguages[l];
        const int cost = han ? language.han[c - kHanFirst] : language.kana[c - kKanaFirst];
        best = best < 0 ? cost : std::min(best, cost);
    }
    return best;
}

void wordCosts(std::u32string_view word, Script script, std::vector<int>& costs)
{
    costs.clear();
    if (script == Script::Han) {
        for (const auto& language : kCjkLanguages)
            costs.push_back(hanCost(word, language));
    } else if (script == Script::Hangul) {
        costs.push_back(hangulCost(word));
    } else {
        const Tables& t = tables();
        for (size_t a : t.members[static_cast<size_t>(script)])
            costs.push_back(alphabetCost(word, t.alphabets[a]));
    }
}

}  // namespace tagshifter::guess::model
