// The penalty of a decoded text: what real names and titles never look like.
#include "guess/plausibility.h"

#include "guess/common_characters.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tagshifter::guess {
namespace {

enum class Script : uint8_t { None, Latin, Greek, Cyrillic, Hebrew, Arabic, Thai, Cjk, Hangul, Other };
enum class Case : uint8_t { None, Upper, Lower };

struct CharClass {
    Script script = Script::None;  // None: not part of a word
    Case letterCase = Case::None;
    bool mark = false;   // a combining mark, part of the word before it
    double cost = 0;     // what the character costs wherever it stands
};

// The weights. A wrong reading usually shows several signs at once; one sign
// alone (a single rare symbol, one odd accent) must not outweigh a whole text.
constexpr double kControl = 10;        // C0/C1 controls, private use, U+FFFD
constexpr double kBoxDrawing = 5;      // what cp866/koi8 readings of other pages show
constexpr double kMixedScripts = 6;    // "Йtй": two alphabets in one word
constexpr double kCaseInside = 4;      // "пРиВЕТ": lower then upper in one word
constexpr double kSymbolInWord = 4;    // "Ìà¸ðò": a symbol between two letters
constexpr double kStrayMark = 4;       // a combining mark after no letter
constexpr double kIncoherentAccents = 4;  // accents of no single language in one word
constexpr double kAccentRun = 3;       // three accented letters in a row
constexpr double kMostlyAccents = 2;   // more accented than plain letters
constexpr double kNoVowel = 3;         // a Cyrillic/Greek word without a vowel
constexpr double kExtraScript = 3;     // each further alphabet in one text
constexpr double kIncoherentText = 3;  // accents of no single language in one text
constexpr double kSignAfterLetter = 2; // "niż" read as "ni¿": a sign stuck to a word
constexpr double kSigmaInside = 4;     // Greek final sigma inside a word
constexpr double kNoTonos = 2;         // a Greek lower-case word without a stress mark
constexpr double kFewVowels = 3;       // per letter of Cyrillic text short of vowels
constexpr double kSpelling = 2;        // a letter where the alphabet's spelling never puts it

bool inRange(char32_t c, char32_t first, char32_t last) { return c >= first && c <= last; }

// Latin-1 and Latin Extended-A: upper and lower by the Unicode layout.
Case latinCase(char32_t c)
{
    if (c < 0x80)
        return inRange(c, 'A', 'Z') ? Case::Upper : inRange(c, 'a', 'z') ? Case::Lower : Case::None;
    if (c < 0x100)
        return c == 0xDF ? Case::Lower : c < 0xDF ? Case::Upper : Case::Lower;
    if (inRange(c, 0x139, 0x148) || inRange(c, 0x179, 0x17E))
        return c % 2 ? Case::Upper : Case::Lower;
    if (c == 0x138 || c == 0x149 || c == 0x17F)
        return Case::Lower;
    if (c < 0x180 || inRange(c, 0x218, 0x21B) || inRange(c, 0x1EA0, 0x1EF9))
        return c % 2 ? Case::Lower : Case::Upper;
    return Case::None;
}

CharClass computeClass(char32_t c)
{
    CharClass k;
    auto letter = [&](Script s, Case cs = Case::None, double cost = 0) {
        k.script = s, k.letterCase = cs, k.cost = cost;
        return k;
    };
    auto symbol = [&](double cost) {
        k.cost = cost;
        return k;
    };
    auto mark = [&](Script s, double cost = 0) {
        k.script = s, k.mark = true, k.cost = cost;
        return k;
    };

    if (c < 0x20 || c == 0x7F || inRange(c, 0x80, 0x9F))
        return symbol(kControl);
    if (c < 0x80)
        return latinCase(c) == Case::None ? symbol(0) : letter(Script::Latin, latinCase(c));
    if (c < 0xC0) {
        // Latin-1 signs: the ones titles use cost little, the rest more.
        static const std::u32string everyday = U"\u00A0¡©«®°´·»¿";
        return symbol(everyday.find(c) != std::u32string::npos ? 1 : 2);
    }
    if (c == 0xD7 || c == 0xF7)
        return symbol(2);
    // ð þ ý: Icelandic (ý also Czech), rare in tags, and what cp1254's
    // ğ ş ı read as in Latin-1. A light weight: Icelandic text must stay.
    if (c == 0xD0 || c == 0xF0 || c == 0xDE || c == 0xFE || c == 0xDD || c == 0xFD)
        return letter(Script::Latin, latinCase(c), 0.5);
    if (c < 0x180)
        return letter(Script::Latin, latinCase(c));
    if (c < 0x250)  // Latin Extended-B: Romanian ș ț only are everyday letters
        return letter(Script::Latin, latinCase(c), inRange(c, 0x218, 0x21B) ? 0 : 1);
    if (inRange(c, 0x300, 0x36F))
        return mark(Script::Latin, 1);
    if (inRange(c, 0x370, 0x3FF)) {
        if (c == 0x386 || inRange(c, 0x388, 0x38F) || inRange(c, 0x391, 0x3A9))
            return letter(Script::Greek, Case::Upper);
        if (c == 0x390 || inRange(c, 0x3AA, 0x3AB))
            return letter(Script::Greek, c == 0x390 ? Case::Lower : Case::Upper);
        if (inRange(c, 0x3AC, 0x3CE))
            return letter(Script::Greek, Case::Lower);
        return symbol(2);
    }
    if (inRange(c, 0x400, 0x4FF)) {
        // The Russian letters that make up less than one in a hundred of real
        // text: a reading full of them is a reading of the wrong page.
        static const std::u32string rare = U"ъёщфэюцшжЪЁЩФЭЮЦШЖ";
        const double cost = rare.find(c) != std::u32string::npos ? 0.5 : 0;
        if (c < 0x430)
            return letter(Script::Cyrillic, Case::Upper, cost);
        if (c < 0x460)
            return letter(Script::Cyrillic, Case::Lower, cost);
        // Beyond the modern alphabets only Ukrainian ґ is everyday.
        return letter(Script::Cyrillic, c % 2 ? Case::Lower : Case::Upper,
                      inRange(c, 0x490, 0x491) ? 0 : 1);
    }
    if (inRange(c, 0x591, 0x5C7))
        return mark(Script::Hebrew);
    if (inRange(c, 0x5D0, 0x5F2))
        return letter(Script::Hebrew);
    if (inRange(c, 0x621, 0x64A) && c != 0x640)
        return letter(Script::Arabic, Case::None, c == 0x621 ? 0.5 : 0);  // lone hamza: rare
    if (c == 0x640)  // tatweel, a filler for justified text
        return letter(Script::Arabic, Case::None, 1);
    if (inRange(c, 0x671, 0x6D3)) {
        // Persian letters are everyday there; the Urdu ones are rare in tags.
        static const std::u32string persian = U"پچژگکی";
        return letter(Script::Arabic, Case::None, persian.find(c) != std::u32string::npos ? 0.5 : 2);
    }
    if (inRange(c, 0x64B, 0x652))
        return mark(Script::Arabic);
    if (inRange(c, 0x600, 0x6FF))
        return symbol(inRange(c, 0x660, 0x669) || c == 0x60C || c == 0x61B || c == 0x61F ? 0 : 2);
    if (inRange(c, 0xE01, 0xE5B)) {
        if (c == 0xE31 || inRange(c, 0xE34, 0xE3A) || inRange(c, 0xE47, 0xE4E))
            return mark(Script::Thai);
        return inRange(c, 0xE3F, 0xE3F) || inRange(c, 0xE4F, 0xE5B) ? symbol(1) : letter(Script::Thai);
    }
    if (inRange(c, 0x1E00, 0x1EFF))  // Vietnamese letters with two marks live here
        return letter(Script::Latin, latinCase(c));
    if (inRange(c, 0x2010, 0x2027) || c == 0x2116)  // dashes, quotes, ellipsis, №
        return symbol(0);
    if (inRange(c, 0x2000, 0x214F) || c == 0x20AC)
        return symbol(c == 0x20AC || c == 0x2122 || c == 0x2039 || c == 0x203A ? 1 : 2);
    if (inRange(c, 0x2500, 0x259F))
        return symbol(kBoxDrawing);
    if (inRange(c, 0x2150, 0x2BFF))
        return symbol(3);
    if (inRange(c, 0x3000, 0x303F))  // CJK spaces, commas, full stops, brackets
        return symbol(c <= 0x3002 || inRange(c, 0x3008, 0x3011) ? 0 : 1);
    if (inRange(c, 0x3041, 0x3096) || inRange(c, 0x30A1, 0x30FA) || c == 0x30FC)
        return letter(Script::Cjk);
    if (inRange(c, 0x3099, 0x309C))
        return mark(Script::Cjk);
    if (c == 0x30FB)
        return symbol(0);
    if (inRange(c, 0x3130, 0x318F))  // Hangul letters standing alone
        return letter(Script::Hangul, Case::None, 3);
    if (inRange(c, 0x3400, 0x4DBF))
        return letter(Script::Cjk, Case::None, 3);
    if (inRange(c, 0x4E00, 0x9FFF))
        return letter(Script::Cjk, Case::None, isCommonHan(c) ? 0 : 1.5);
    if (inRange(c, 0xAC00, 0xD7A3))
        return letter(Script::Hangul, Case::None, isCommonHangul(c) ? 0 : 2);
    if (inRange(c, 0xE000, 0xF8FF) || c == 0xFFFD || inRange(c, 0xFFF0, 0xFFFF))
        return symbol(kControl);
    if (inRange(c, 0xF900, 0xFAFF))  // compatibility ideographs
        return letter(Script::Cjk, Case::None, 4);
    if (inRange(c, 0xFF01, 0xFF5E))  // full-width ASCII, common in Japanese titles
        return symbol(0.5);
    if (inRange(c, 0xFF61, 0xFF9F))  // half-width katakana
        return letter(Script::Cjk, Case::None, 3);
    if (inRange(c, 0xFFE0, 0xFFEE))
        return symbol(1);
    if (inRange(c, 0x3200, 0x33FF) || inRange(c, 0xFB00, 0xFEFF))
        return symbol(3);
    return letter(Script::Other, Case::None, 3);  // no candidate page writes a language here
}

// Every text is classified character by character under each reading: the
// code points below U+0500 (Latin, Greek, Cyrillic, where nearly every
// single-byte page lands) come from a table made once.
constexpr char32_t kTabled = 0x500;

CharClass classify(char32_t c)
{
    static const std::vector<CharClass> table = [] {
        std::vector<CharClass> classes(kTabled);
        for (char32_t point = 0; point < kTabled; ++point)
            classes[point] = computeClass(point);
        return classes;
    }();
    return c < kTabled ? table[c] : computeClass(c);
}

// Lower case of a Latin letter, enough to look it up below.
char32_t latinLower(char32_t c)
{
    if (latinCase(c) != Case::Upper)
        return c;
    if (c < 0x80 || (c >= 0xC0 && c < 0xDF))
        return c + 0x20;
    return c + 1;
}

// The accented letters of the languages written in Latin letters, one string
// per language (or group that writes alike). Every accented letter of a real
// word belongs to one of them together; a wrong reading mixes them.
const std::vector<std::u32string>& accentSets()
{
    static const std::vector<std::u32string> sets = {
        U"àâæçéèêëîïôœùûüÿ",           // French
        U"äöüßéàè",                      // German
        U"áéíñóúüàèòçï",                // Spanish, Catalan
        U"àáâãçéêíóôõú",                // Portuguese
        U"àèéìíîòóù",                   // Italian
        U"åäæöøéüá",                     // Danish, Norwegian, Swedish, Finnish
        U"áðéíóúýþæö",                  // Icelandic
        U"éëïóöèáàüíú",                 // Dutch, Afrikaans
        U"ąćęłńóśźż",                   // Polish
        U"áčďéěíňóřšťúůýž",             // Czech
        U"áäčďéíĺľňóôŕšťúýž",           // Slovak
        U"áéíóöőúüű",                   // Hungarian
        U"ăâîșşțţ",                     // Romanian
        U"čćđšžäöü",                    // Croatian, Serbian, Slovene, Bosnian
        U"çğıöşüâîû",                   // Turkish, Azerbaijani
        U"ąčęėįšųūž",                   // Lithuanian
        U"āčēģīķļņšūž",                 // Latvian
        U"äöõüšž",                      // Estonian
        U"ëç",                          // Albanian
    };
    return sets;
}

// Vietnamese shares many accents with Western languages; it counts only
// where a letter of its own (ă đ ơ ư, the letters with two marks) shows.
bool isOnlyVietnamese(char32_t c)
{
    return inRange(c, 0x1EA0, 0x1EF9) || c == U'ă' || c == U'đ' || c == U'ĩ' || c == U'ũ'
           || c == U'ơ' || c == U'ư';
}

bool isVietnamese(char32_t c)
{
    // à á â ã è é ê ì í ò ó ô õ ù ú ý, bit by bit from U+00E0
    constexpr uint32_t kShared = 0x263C370F;
    return (inRange(c, 0xE0, 0xFF) && (kShared >> (c - 0xE0) & 1)) || isOnlyVietnamese(c);
}

// `vietnameseShape`: every word could be a Vietnamese syllable (at most
// seven letters, đ only at its start), which Icelandic "Með" is not.
bool coherentAccents(const std::u32string& accents, bool vietnameseShape)
{
    if (accents.empty())
        return true;
    // For each accented letter, the languages (bits, in the order above)
    // that write it; a word or text is coherent if some bit survives them all.
    constexpr char32_t first = 0xC0, last = 0x24F;
    static const std::vector<uint32_t> languages = [] {
        std::vector<uint32_t> table(last - first + 1);
        for (size_t bit = 0; bit < accentSets().size(); ++bit)
            for (char32_t c : accentSets()[bit])
                table[c - first] |= uint32_t{1} << bit;
        return table;
    }();
    uint32_t common = ~uint32_t{0};
    for (char32_t c : accents)
        common &= inRange(c, first, last) ? languages[c - first] : 0;
    if (common)
        return true;
    return vietnameseShape && std::any_of(accents.begin(), accents.end(), isOnlyVietnamese)
           && std::all_of(accents.begin(), accents.end(), isVietnamese);
}

// Vowels of the Cyrillic and Greek alphabets (a table: asked for every letter).
bool isVowel(char32_t c)
{
    constexpr char32_t first = 0x380, last = 0x45F;
    static const std::vector<bool> vowels = [] {
        std::vector<bool> table(last - first + 1);
        for (char32_t v : std::u32string_view(U"аеёиоуыэюяіїєўАЕЁИОУЫЭЮЯІЇЄЎ"
                                              U"αεηιουωάέήίόύώϊϋΐΰΑΕΗΙΟΥΩΆΈΉΊΌΎΏΪΫ"))
            if (inRange(v, first, last))
                table[v - first] = true;
        return table;
    }();
    return inRange(c, first, last) && vowels[c - first];
}

bool isBicameral(Script s)
{
    return s == Script::Latin || s == Script::Greek || s == Script::Cyrillic;
}

// Russian, Ukrainian and Belarusian spelling: no word starts with ы, ь or ъ;
// ь and ъ follow consonants only, and й follows a vowel (or starts a word).
double cyrillicSpelling(std::u32string_view word)
{
    auto isSign = [](char32_t c) { return c == U'ь' || c == U'ъ' || c == U'Ь' || c == U'Ъ'; };
    double penalty = 0;
    if (!word.empty() && (isSign(word[0]) || word[0] == U'ы' || word[0] == U'Ы'))
        penalty += kSpelling;
    for (size_t i = 1; i < word.size(); ++i) {
        const char32_t before = word[i - 1];
        if (isSign(word[i]) && isVowel(before))
            penalty += kSpelling;
        if ((word[i] == U'й' || word[i] == U'Й') && !isVowel(before)
            && before >= 0x400 && before < 0x500)
            penalty += kSpelling;
    }
    return penalty;
}

bool isLatinConsonant(char32_t c)
{
    return (inRange(c | 0x20, 'a', 'z') && std::u32string_view(U"aeiouy").find(c | 0x20) == std::u32string_view::npos)
           || c == U'đ' || c == U'Đ';
}

// The word-level signs, for one run of letters and marks.
bool vietnameseSyllable(std::u32string_view word)
{
    return word.size() <= 7 && word.find_first_of(U"đĐ", 1) == std::u32string_view::npos;
}

double wordPenalty(std::u32string_view word, const CharClass* classes, std::u32string& wordAccents,
                   std::u32string& textAccents, bool& textVietnameseShape, int& cyrillicLetters,
                   int& cyrillicVowels)
{
    std::array<bool, 10> scripts{};
    bool hasAscii = false, hasNonAscii = false;
    bool sawLower = false, caseInside = false;
    bool hasVowel = false;
    int letters = 0, accented = 0, run = 0, longestRun = 0;
    std::u32string& accents = wordAccents;
    accents.clear();
    Script wordScript = Script::None;
    double penalty = 0;

    for (size_t i = 0; i < word.size(); ++i) {
        const char32_t c = word[i];
        const CharClass& k = classes[i];
        if (k.mark) {
            if (i == 0 || (classes[i - 1].script != k.script && !classes[i - 1].mark
                           && !(k.script == Script::Latin && isBicameral(classes[i - 1].script))))
                penalty += kStrayMark;
            // Vietnamese puts its tone marks on vowels only: "T́nh" is no word.
            else if (k.script == Script::Latin && isLatinConsonant(word[i - 1]))
                penalty += kStrayMark;
            continue;
        }
        ++letters;
        if (c < 0x80) {
            hasAscii = true;
            run = 0;
        } else {
            hasNonAscii = true;
            scripts[static_cast<size_t>(k.script)] = true;
            wordScript = k.script;
            if (k.script == Script::Latin) {
                ++accented;
                longestRun = std::max(longestRun, ++run);
                accents.push_back(latinLower(c));
                // Portuguese writes õ only in "-ões"/"-õe": after a letter, before e or s.
                if ((c == 0xF5 || c == 0xD5)
                    && (i == 0 || i + 1 >= word.size()
                        || std::u32string(U"esES").find(word[i + 1]) == std::u32string::npos))
                    penalty += kSignAfterLetter;
            }
        }
        if (isVowel(c))
            hasVowel = true;
        if (k.letterCase == Case::Lower)
            sawLower = true;
        else if (k.letterCase == Case::Upper && sawLower)
            caseInside = true;
    }
    if (!hasNonAscii)
        return penalty;  // reads the same under every page
    textAccents += accents;
    textVietnameseShape = textVietnameseShape && vietnameseSyllable(word);
    if (wordScript == Script::Cyrillic) {
        cyrillicLetters += letters;
        for (char32_t c : word)
            cyrillicVowels += isVowel(c);
    }

    // ASCII letters belong with an alphabet, not with the scripts that have
    // no case (Japanese and Chinese titles run Latin words into their own).
    const int distinct = static_cast<int>(std::count(scripts.begin(), scripts.end(), true));
    const bool asciiJoins = hasAscii && !scripts[static_cast<size_t>(Script::Latin)]
                            && !scripts[static_cast<size_t>(Script::Cjk)]
                            && !scripts[static_cast<size_t>(Script::Hangul)];
    if (distinct + (asciiJoins ? 1 : 0) > 1)
        penalty += kMixedScripts;
    if (caseInside)
        penalty += kCaseInside;
    if (accented > 0) {
        if (!coherentAccents(accents, vietnameseSyllable(word)))
            penalty += kIncoherentAccents;
        if (longestRun >= 3)
            penalty += kAccentRun;
        if (letters >= 3 && accented * 2 > letters)
            penalty += kMostlyAccents;
    }
    if ((wordScript == Script::Cyrillic || wordScript == Script::Greek) && distinct == 1
        && letters >= 3 && !hasVowel)
        penalty += kNoVowel;
    const size_t finalSigma = word.find(U'ς');
    if (wordScript == Script::Greek && finalSigma != std::u32string::npos
        && finalSigma + 1 < word.size())
        penalty += kSigmaInside;
    // Modern Greek marks the stress of every word of two syllables or more,
    // except in capitals.
    static const std::u32string tonos = U"άέήίόύώΐΰ";
    if (wordScript == Script::Greek && sawLower && letters >= 4
        && word.find_first_of(tonos) == std::u32string::npos)
        penalty += kNoTonos;
    if (wordScript == Script::Cyrillic)
        penalty += cyrillicSpelling(word);
    // Nordic æ never follows a vowel; Croatian "-ić" read as Latin-1 ("-iæ") does.
    for (size_t i = 1; i < word.size(); ++i)
        if ((word[i] == 0xE6 || word[i] == 0xC6)
            && std::u32string(U"aeiouyAEIOUY").find(word[i - 1]) != std::u32string::npos)
            penalty += kSpelling;
    // Hebrew and Arabic letters with a final form of their own never stand
    // inside a word.
    static const std::u32string finals = U"ךםןףץة";
    for (size_t i = 0; i + 1 < word.size(); ++i)
        if (word[i] >= 0x5DA && finals.find(word[i]) != std::u32string::npos && !classes[i + 1].mark)
            penalty += kSigmaInside;
    return penalty;
}

// What one word adds to its text's penalty and to the signs counted over
// the whole text.
struct WordScore {
    double penalty = 0;
    std::u32string accents;
    bool vietnameseShape = true;
    int cyrillicLetters = 0, cyrillicVowels = 0;
    uint16_t scripts = 0;  // a bit for each Script of its non-ASCII letters
};

WordScore scoreWord(std::u32string_view word, const CharClass* classes)
{
    WordScore score;
    std::u32string wordAccents;
    for (size_t j = 0; j < word.size(); ++j)
        score.penalty += classes[j].cost;
    score.penalty += wordPenalty(word, classes, wordAccents, score.accents, score.vietnameseShape,
                                 score.cyrillicLetters, score.cyrillicVowels);
    for (size_t j = 0; j < word.size(); ++j)
        if (word[j] >= 0x80 && !classes[j].mark)
            score.scripts |= 1 << static_cast<int>(classes[j].script);
    return score;
}

}  // namespace

double implausibility(const std::u32string& text)
{
    // The buffers outlive the call: the guess scores thousands of texts, and
    // an album's texts, right or wrong, repeat the same words (an artist, an
    // album, the same garbage under a wrong page), so each word is scored once.
    // (Every weight is a multiple of one half: sums come out alike in any order.)
    thread_local std::vector<CharClass> classes;
    thread_local std::u32string key, textAccents;
    thread_local std::unordered_map<std::u32string, WordScore> words;
    constexpr size_t kWordsKept = 8192;  // an album's words under every reading, 2 MiB at most
    if (words.size() > kWordsKept)
        words.clear();
    classes.resize(text.size());
    for (size_t i = 0; i < text.size(); ++i)
        classes[i] = classify(text[i]);
    textAccents.clear();

    double penalty = 0;
    uint16_t textScripts = 0;
    bool textVietnameseShape = true;
    int cyrillicLetters = 0, cyrillicVowels = 0;
    for (size_t i = 0; i < text.size();) {
        const CharClass& k = classes[i];
        if (k.script == Script::None) {
            penalty += k.cost;
            // A Latin-1 sign stuck to the end of a word (quotes aside).
            if (inRange(text[i], 0xA1, 0xBF) && text[i] != 0xAB && text[i] != 0xBB && i > 0
                && classes[i - 1].script != Script::None)
                penalty += kSignAfterLetter;
            // A non-ASCII sign wedged between two letters: "Ìà¸ðò", "CafÃ©s".
            if (text[i] >= 0x80 && i > 0 && i + 1 < text.size()
                && classes[i - 1].script != Script::None && classes[i + 1].script != Script::None
                && classes[i + 1].script != Script::Cjk)
                penalty += kSymbolInWord;
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && classes[end].script != Script::None)
            ++end;
        key.assign(text, i, end - i);
        auto found = words.find(key);
        if (found == words.end())
            found = words.emplace(key, scoreWord(key, classes.data() + i)).first;
        const WordScore& word = found->second;
        penalty += word.penalty;
        textAccents += word.accents;
        textVietnameseShape = textVietnameseShape && word.vietnameseShape;
        cyrillicLetters += word.cyrillicLetters;
        cyrillicVowels += word.cyrillicVowels;
        textScripts |= word.scripts;
        i = end;
    }
    int scripts = 0;
    for (int bit = 0; bit < 16; ++bit)
        scripts += textScripts >> bit & 1;
    if (scripts > 1)
        penalty += kExtraScript * (scripts - 1);
    if (!coherentAccents(textAccents, textVietnameseShape))
        penalty += kIncoherentText;
    // About four letters in ten of Russian or Ukrainian text are vowels; a
    // reading of the wrong Cyrillic page has far fewer.
    if (cyrillicLetters >= 6 && cyrillicVowels * 10 < cyrillicLetters * 3)
        penalty += kFewVowels * (0.3 * cyrillicLetters - cyrillicVowels);
    return penalty;
}

}  // namespace tagshifter::guess
