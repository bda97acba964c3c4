// The learnt tables and the word costs read from them.
#include "guess/model/text_model.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace tagshifter::guess::model {
namespace {

struct AlphabetLanguage {
    const char* name;
    Script script;
    const char32_t* alphabet;     // lower case, in code point order
    const unsigned char* steps;   // (letters + 1)^2 costs, index 0 a word's edge
    int usual;                    // what a step of real text costs at most, 19 times in 20
    const char32_t* lone;         // the letters beyond ASCII its dictionary writes as a word
};

struct CjkLanguage {
    const char* name;
    const unsigned char* han;     // U+4E00..U+9FFF
    const unsigned char* kana;    // U+3041..U+30FF
    int usual;                    // the cost of the 3000th most common character
};

#include "guess/model/text_model.inc"

// A letter no language of its script writes: about as unlikely as a pair
// of letters never seen together.
constexpr int kUnknownLetter = 24;
// A letter beyond ASCII standing alone, that the language writes only in
// words ("ŕ" in Slovak, where French writes "à" alone).
constexpr int kNotAWord = 12;
constexpr unsigned char kOutside = 255;
constexpr char32_t kHanFirst = 0x4E00, kHanLast = 0x9FFF;
constexpr char32_t kKanaFirst = 0x3041, kKanaLast = 0x30FF;
constexpr char32_t kHangulFirst = 0xAC00, kHangulLast = 0xD7A3;

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
};

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
        for (const auto& language : kAlphabetLanguages) {
            Alphabet a;
            a.language = &language;
            a.index.fill(kOutside);
            for (const char32_t* c = language.alphabet; *c; ++c)
                a.index[slotOf(*c)] = static_cast<unsigned char>(++a.size);
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

// The word's cost beyond what real text pays (`excess`) and in all (`raw`).
struct Cost {
    int excess = 0;
    int raw = 0;
};

Cost alphabetCost(std::u32string_view word, const Alphabet& a)
{
    const Tables& t = tables();
    const unsigned char* steps = a.language->steps;
    const int usual = a.language->usual;
    Cost cost;
    int previous = 0;
    auto step = [&](int value) { cost.excess += excess(value, usual), cost.raw += value; };
    // A word of one letter is mostly a word the dictionaries leave out ("à",
    // "и", "a"): only whether the language writes the letter counts.
    if (word.size() == 1) {
        const int slot = slotOf(word[0]);
        if (slot < 0 || a.index[slotOf(t.lower[slot])] == kOutside)
            return {kUnknownLetter, kUnknownLetter};
        const char32_t lower = t.lower[slot];
        // A dictionary that writes no such word alone says nothing of it.
        const std::u32string_view lone = a.language->lone;
        if (lower < 0x80 || lone.empty() || lone.find(lower) != std::u32string_view::npos)
            return {};
        return {kNotAWord, kNotAWord};
    }
    for (char32_t c : word) {
        const int slot = slotOf(c);
        const int letter = slot < 0 ? kOutside : a.index[slotOf(t.lower[slot])];
        if (letter == kOutside) {
            cost.excess += kUnknownLetter, cost.raw += kUnknownLetter;
            previous = 0;
            continue;
        }
        step(steps[previous * a.size + letter]);
        previous = letter;
    }
    step(steps[previous * a.size]);
    return cost;
}

Cost hanCost(std::u32string_view word, const CjkLanguage& language)
{
    Cost cost;
    auto add = [&](int value) { cost.excess += excess(value, language.usual), cost.raw += value; };
    for (char32_t c : word) {
        if (c >= kHanFirst && c <= kHanLast)
            add(language.han[c - kHanFirst]);
        else if (c >= kKanaFirst && c <= kKanaLast)
            add(language.kana[c - kKanaFirst]);
    }
    return cost;
}

Cost hangulCost(std::u32string_view word)
{
    Cost cost;
    for (char32_t c : word)
        if (c >= kHangulFirst && c <= kHangulLast) {
            const int value = kHangul_ko[c - kHangulFirst];
            cost.excess += excess(value, kUsualHangul), cost.raw += value;
        }
    return cost;
}

}  // namespace

char32_t lowerCase(char32_t c)
{
    const int slot = slotOf(c);
    return slot < 0 ? c : tables().lower[slot];
}

char32_t composed(char32_t base, char32_t mark)
{
    const auto* end = std::end(kCompositions);
    const auto* found = std::lower_bound(std::begin(kCompositions), end, std::array<char32_t, 2>{base, mark},
                                         [](const char32_t (&entry)[3], const std::array<char32_t, 2>& key) {
                                             return entry[0] < key[0] || (entry[0] == key[0] && entry[1] < key[1]);
                                         });
    return found != end && (*found)[0] == base && (*found)[1] == mark ? (*found)[2] : 0;
}

const std::vector<const char*>& languagesOf(Script script)
{
    return tables().names[static_cast<size_t>(script)];
}

void wordCosts(std::u32string_view word, Script script, std::vector<int>& costs, std::vector<int>* raw)
{
    costs.clear();
    if (raw)
        raw->clear();
    auto put = [&](Cost cost) {
        costs.push_back(cost.excess);
        if (raw)
            raw->push_back(cost.raw);
    };
    if (script == Script::Han) {
        for (const auto& language : kCjkLanguages)
            put(hanCost(word, language));
    } else if (script == Script::Hangul) {
        put(hangulCost(word));
    } else {
        const Tables& t = tables();
        for (size_t a : t.members[static_cast<size_t>(script)])
            put(alphabetCost(word, t.alphabets[a]));
    }
}

}  // namespace tagshifter::guess::model
