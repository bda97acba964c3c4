// The penalty of a decoded text: what real names and titles never look like.
#include "guess/plausibility.h"

#include "guess/model/text_model.h"

#include <algorithm>
#include <cctype>
#include <array>
#include <cstdint>
#include <deque>
#include <limits>
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

// The rules that hold in every language, in points. A wrong reading usually
// shows several signs at once; one sign alone must not outweigh a whole text.
constexpr double kControl = 10;        // C0/C1 controls, private use, U+FFFD
constexpr double kBoxDrawing = 5;      // what cp866/koi8 readings of other pages show
constexpr double kMixedScripts = 8;    // "Йtй", "ثهيèي": two alphabets in one word
constexpr double kLatinInCjk = 6;      // "D贸nde": Latin letters run into CJK (real titles do, rarely)
constexpr double kCaseInside = 4;      // "пРиВЕТ": lower then upper in one word
constexpr double kSymbolInWord = 4;    // "Ìà¸ðò": a symbol between two letters
constexpr double kApostrophe = 1;      // "Rock’n’roll": how French and English write one, mostly
constexpr double kStrayMark = 4;       // a combining mark after no letter
constexpr double kExtraScript = 3;     // each further alphabet in one text
constexpr double kSignAfterLetter = 3; // "niż" read as "ni¿": a sign stuck to a word
constexpr double kSignBeforeWord = 3;  // "Łowcy" read as "£owcy", "Άρνηση" as "¶ρνηση"
constexpr double kLoneLetter = 4;      // "L'Hymne а l'amour": one Cyrillic letter among Latin words
constexpr double kLoneExtended = 4;    // "L'Hymne ŕ l'amour": no language writes "ŕ" as a word
constexpr double kQuoteOpensWord = 2;  // "’νοιξη": cp1253's "Ά" read through iso-8859-7
// What the learnt model says, in points per half bit by which a text is less
// likely than everyday text of the best-fitting language of its script; a
// word that fits another language of that script better pays at most
// kWordSwitch half bits for it.
constexpr double kPerHalfBit = 0.25;
constexpr int kWordSwitch = 8;

bool inRange(char32_t c, char32_t first, char32_t last) { return c >= first && c <= last; }

// The apostrophes typesetting uses: the closing quote, the opening one typed
// for it, and the modifier letter.
bool isApostrophe(char32_t c) { return c == 0x2019 || c == 0x2018 || c == 0x2BC; }

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
    if (c < 0x250 || inRange(c, 0x1E00, 0x1EFF))
        return letter(Script::Latin, latinCase(c));
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
        if (c < 0x430)
            return letter(Script::Cyrillic, Case::Upper);
        if (c < 0x460)
            return letter(Script::Cyrillic, Case::Lower);
        return letter(Script::Cyrillic, c % 2 ? Case::Lower : Case::Upper);
    }
    if (inRange(c, 0x591, 0x5C7))
        return mark(Script::Hebrew);
    if (inRange(c, 0x5D0, 0x5F2))
        return letter(Script::Hebrew);
    if (inRange(c, 0x64B, 0x652))
        return mark(Script::Arabic);
    if (inRange(c, 0x621, 0x64A) || inRange(c, 0x671, 0x6D3))
        return letter(Script::Arabic);
    if (inRange(c, 0x600, 0x6FF))
        return symbol(inRange(c, 0x660, 0x669) || c == 0x60C || c == 0x61B || c == 0x61F ? 0 : 2);
    if (inRange(c, 0xE01, 0xE5B)) {
        if (c == 0xE31 || inRange(c, 0xE34, 0xE3A) || inRange(c, 0xE47, 0xE4E))
            return mark(Script::Thai);
        return inRange(c, 0xE3F, 0xE3F) || inRange(c, 0xE4F, 0xE5B) ? symbol(1) : letter(Script::Thai);
    }
    // Dashes, quotes, ellipsis, "№"; daggers and bullets are signs of their own.
    if ((inRange(c, 0x2010, 0x2027) && !inRange(c, 0x2020, 0x2022)) || c == 0x2116)
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
        return letter(Script::Cjk);
    if (inRange(c, 0xAC00, 0xD7A3))
        return letter(Script::Hangul);
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

const std::vector<CharClass>& tabledClasses()
{
    static const std::vector<CharClass> table = [] {
        std::vector<CharClass> classes(kTabled);
        for (char32_t point = 0; point < kTabled; ++point)
            classes[point] = computeClass(point);
        return classes;
    }();
    return table;
}

bool isBicameral(Script s)
{
    return s == Script::Latin || s == Script::Greek || s == Script::Cyrillic;
}

bool isLatinConsonant(char32_t c)
{
    return (inRange(c | 0x20, 'a', 'z') && std::u32string_view(U"aeiouy").find(c | 0x20) == std::u32string_view::npos)
           || c == U'đ' || c == U'Đ';
}

constexpr uint16_t kAlphabetsBesideLatin = 1 << static_cast<int>(Script::Greek)
                                           | 1 << static_cast<int>(Script::Cyrillic)
                                           | 1 << static_cast<int>(Script::Hebrew)
                                           | 1 << static_cast<int>(Script::Arabic);

bool isForeignToArabic(Script s) { return s != Script::None && s != Script::Arabic; }

// The script of the learnt model that judges words of `s`.
bool modelScript(Script s, model::Script& out)
{
    switch (s) {
    case Script::Latin: out = model::Script::Latin; return true;
    case Script::Greek: out = model::Script::Greek; return true;
    case Script::Cyrillic: out = model::Script::Cyrillic; return true;
    case Script::Hebrew: out = model::Script::Hebrew; return true;
    case Script::Arabic: out = model::Script::Arabic; return true;
    case Script::Thai: out = model::Script::Thai; return true;
    case Script::Cjk: out = model::Script::Han; return true;
    case Script::Hangul: out = model::Script::Hangul; return true;
    default: return false;
    }
}

// What one word adds to its text's penalty: the rules that never bend, and
// its cost in each language of its script.
struct WordScore {
    double penalty = 0;
    uint16_t scripts = 0;  // a bit for each Script of its non-ASCII letters
    bool modelled = false;
    int letters = 0;  // combining marks aside
    model::Script script = model::Script::Latin;
    std::vector<int> costs;  // per language of `script`, in half bits
    // `costs`, none more than kWordSwitch over the best: what the word adds
    // to the text when every language of its script may count (worked out
    // once, as the word is remembered from text to text).
    std::vector<int> capped;
};

WordScore scoreWord(std::u32string_view word, const CharClass* classes)
{
    WordScore score;
    std::array<bool, 10> scripts{};
    bool hasAscii = false, hasNonAscii = false;
    bool sawLower = false, caseInside = false;
    Script wordScript = Script::None;
    std::u32string letters;
    for (size_t i = 0; i < word.size(); ++i) {
        const char32_t c = word[i];
        const CharClass& k = classes[i];
        score.penalty += k.cost;
        if (k.mark) {
            // A mark of Arabic, Hebrew or Thai on a letter of another
            // script makes a word of two ("Tًaad": Estonian "Tšaad" through cp1256).
            if (i > 0 && k.script != Script::Latin && !classes[i - 1].mark
                && classes[i - 1].script != Script::None && classes[i - 1].script != k.script)
                score.penalty += kMixedScripts;
            else if (i == 0 || (classes[i - 1].script != k.script && !classes[i - 1].mark
                           && !(k.script == Script::Latin && isBicameral(classes[i - 1].script))))
                score.penalty += kStrayMark;
            // Vietnamese puts its tone marks on vowels only: "T́nh" is no word.
            else if (k.script == Script::Latin && isLatinConsonant(word[i - 1]))
                score.penalty += kStrayMark;
            // Thai, Hebrew and Arabic words are learnt with their marks.
            if (k.script != Script::Latin)
                letters.push_back(c);
            continue;
        }
        letters.push_back(c);
        ++score.letters;
        if (c < 0x80) {
            hasAscii = true;
        } else {
            hasNonAscii = true;
            scripts[static_cast<size_t>(k.script)] = true;
            wordScript = k.script;
            score.scripts |= 1 << static_cast<int>(k.script);
        }
        if (k.letterCase == Case::Lower)
            sawLower = true;
        else if (k.letterCase == Case::Upper && sawLower)
            caseInside = true;
    }
    if (!hasNonAscii)
        return score;  // reads the same under every page
    // ASCII letters joined to any other script than Latin make a word of
    // two scripts: "Myl猫ne", "驴D贸nde" are Latin words read through a CJK page.
    const int distinct = static_cast<int>(std::count(scripts.begin(), scripts.end(), true));
    const bool asciiJoins = hasAscii && !scripts[static_cast<size_t>(Script::Latin)];
    const bool cjk = wordScript == Script::Cjk || wordScript == Script::Hangul;
    if (distinct > 1 || (asciiJoins && !cjk))
        score.penalty += kMixedScripts;
    else if (asciiJoins)
        score.penalty += kLatinInCjk;
    if (caseInside)
        score.penalty += kCaseInside;
    // Of the small letters of Latin Extended-A only Lithuanian "į" and
    // Hungarian "ő" stand alone as words; the others alone are a Western
    // "à", "å" or "è" read through a Central European or Baltic page.
    if (score.letters == 1 && word.size() == 1 && inRange(word[0], 0x100, 0x17F)
        && latinCase(word[0]) == Case::Lower && word[0] != U'į' && word[0] != U'ő')
        score.penalty += kLoneExtended;
    // A word of two scripts is wrong whatever its letters: the model only
    // weighs words of one.
    if (distinct == 1 && !(asciiJoins && !cjk) && modelScript(wordScript, score.script)) {
        score.modelled = true;
        model::wordCosts(letters, score.script, score.costs);
        const int best = *std::min_element(score.costs.begin(), score.costs.end());
        for (int cost : score.costs)
            score.capped.push_back(std::min(cost, best + kWordSwitch));
    }
    return score;
}

// The model's verdict on a text, per script: the words' costs in the
// language that fits them best, each word that fits another language better
// paying at most kWordSwitch more than there (a Western name in a Turkish
// title is no sign of a wrong reading; "Güne Karþý", whose every word wants
// another language, is).
struct LanguageSums {
    // The sums live on the stack: the score runs for every reading of every file.
    static constexpr uint32_t kEvery = ~uint32_t{0};
    std::array<std::array<int, model::kMostLanguages>, model::kScripts> sums;  // per script, per language
    std::array<size_t, model::kScripts> languages{};  // of each script that has a word, else 0

    // `allowed`: a bit per language of the word's script that may count
    // (the Han or Latin languages the reading's page writes), all of them if none.
    void add(const WordScore& word, uint32_t allowed)
    {
        if (word.costs.empty())
            return;
        const auto script = static_cast<size_t>(word.script);
        auto& sum = sums[script];
        const size_t count = word.costs.size();
        // A script's words all come with the same `allowed`.
        if (languages[script] == 0) {
            languages[script] = count;
            for (size_t l = 0; l < count; ++l)
                sum[l] = allowed >> l & 1 ? 0 : kNotWritten;
        }
        if (allowed == kEvery) {
            for (size_t l = 0; l < count; ++l)
                sum[l] += word.capped[l];
            return;
        }
        int best = kNotWritten;
        for (size_t l = 0; l < count; ++l)
            if (allowed >> l & 1)
                best = std::min(best, word.costs[l]);
        for (size_t l = 0; l < count; ++l)
            if (allowed >> l & 1)
                sum[l] += std::min(word.costs[l], best + kWordSwitch);
    }

    int halfBits() const
    {
        int total = 0;
        for (size_t script = 0; script < sums.size(); ++script)
            if (languages[script] > 0)
                total += *std::min_element(sums[script].begin(), sums[script].begin() + languages[script]);
        return total;
    }

    static constexpr int kNotWritten = std::numeric_limits<int>::max() / 2;
};

// Words are a few letters long: a plain hash of their code points costs
// less than the standard one over their bytes.
struct WordHash {
    size_t operator()(std::u32string_view word) const
    {
        size_t hash = 0;
        for (char32_t c : word)
            hash = hash * 31 + c;
        return hash;
    }
};

// A Latin-1 sign that opens a word: mostly a capital of another page
// ("£owcy", "¶ρνηση", "ªtefan"). Titles open words with "¿", "¡", quotes,
// a degree or an accent typed for an apostrophe ("´Cause"), and put signs
// after numbers ("1ªParte").
bool startsWordAsSign(const std::u32string& text, const std::vector<CharClass>& classes, size_t i)
{
    static const std::u32string_view opensWords = U"\u00A1\u00AB\u00AD\u00B0\u00B4\u00BB\u00BF";
    const char32_t c = text[i];
    if (!inRange(c, 0xA1, 0xBF) || opensWords.find(c) != std::u32string_view::npos)
        return false;
    if (i + 1 >= text.size() || classes[i + 1].script == Script::None)
        return false;
    return i == 0 || (classes[i - 1].script == Script::None && !inRange(text[i - 1], '0', '9'));
}

}  // namespace

HanReading hanReadingOf(const std::string& name)
{
    std::string lower;
    for (char c : name)
        if (std::isalnum(static_cast<unsigned char>(c)))
            lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    auto has = [&](const char* part) { return lower.find(part) != std::string::npos; };
    if (has("jp") || has("jis") || has("932") || has("943"))
        return HanReading::Japanese;
    if (has("big5") || has("950"))
        return HanReading::TraditionalChinese;
    if (has("gb") || has("936") || has("euccn"))
        return HanReading::Chinese;
    return HanReading::Any;
}

namespace {

// The Han languages of the model a reading under `han` may be in, a bit each.
uint32_t hanLanguagesOf(HanReading han)
{
    static const std::array<uint32_t, 4> hanLanguages = [] {
        std::array<uint32_t, 4> masks{};
        masks.fill(~uint32_t{0});
        const auto& names = model::languagesOf(model::Script::Han);
        const std::array<const char*, 4> wanted = {nullptr, "ja", "zh_hans", "zh_hant"};
        for (size_t reading = 1; reading < wanted.size(); ++reading) {
            masks[reading] = 0;
            for (size_t l = 0; l < names.size(); ++l) {
                const std::string language = names[l];
                if (language == wanted[reading] || (reading == 2 && language == "zh_hant"))
                    masks[reading] |= uint32_t{1} << l;
            }
            if (masks[reading] == 0)  // tables without that language: any judges
                masks[reading] = ~uint32_t{0};
        }
        return masks;
    }();
    return hanLanguages[static_cast<size_t>(han)];
}

// The Latin languages of the model a reading under `latin` may be in, a bit
// each: the languages whose letters its page was made for, and the Western
// ones it shares them with.
uint32_t latinLanguagesOf(LatinReading latin)
{
    static const std::array<uint32_t, 6> latinLanguages = [] {
        const std::array<std::vector<std::string>, 6> wanted = {{
            {},  // in the order of LatinReading: Any first
            {"en", "de", "fr", "es", "it", "pt", "nl", "sv", "da", "no", "is", "et"},
            {"en", "de", "pl", "cs", "sk", "hu", "hr", "sl", "ro"},
            {"en", "de", "fr", "es", "it", "pt", "nl", "sv", "da", "no", "tr"},
            {"en", "de", "pl", "lt", "lv", "et"},
            {"en", "de", "fr", "es", "vi"},
        }};
        const auto& names = model::languagesOf(model::Script::Latin);
        std::array<uint32_t, 6> masks{};
        for (size_t reading = 0; reading < wanted.size(); ++reading) {
            for (size_t l = 0; l < names.size(); ++l)
                if (std::find(wanted[reading].begin(), wanted[reading].end(), names[l]) != wanted[reading].end())
                    masks[reading] |= uint32_t{1} << l;
            if (masks[reading] == 0)  // Any, or tables without those languages: any judges
                masks[reading] = ~uint32_t{0};
        }
        return masks;
    }();
    return latinLanguages[static_cast<size_t>(latin)];
}

}  // namespace

LatinReading latinReadingOf(const std::string& name)
{
    // iconv's names and aliases of each page, without case, punctuation
    // or the year of the standard ("ISO_8859-9:1989").
    static const std::unordered_map<std::string, LatinReading> pages = {
        {"cp1252", LatinReading::Western},       {"windows1252", LatinReading::Western},
        {"iso88591", LatinReading::Western},     {"latin1", LatinReading::Western},
        {"l1", LatinReading::Western},           {"cp819", LatinReading::Western},
        {"iso885915", LatinReading::Western},    {"latin9", LatinReading::Western},
        {"cp850", LatinReading::Western},        {"macintosh", LatinReading::Western},
        {"mac", LatinReading::Western},          {"macroman", LatinReading::Western},
        {"cp1250", LatinReading::CentralEuropean}, {"windows1250", LatinReading::CentralEuropean},
        {"iso88592", LatinReading::CentralEuropean}, {"latin2", LatinReading::CentralEuropean},
        {"l2", LatinReading::CentralEuropean},   {"cp852", LatinReading::CentralEuropean},
        {"iso885916", LatinReading::CentralEuropean}, {"latin10", LatinReading::CentralEuropean},
        {"cp1254", LatinReading::Turkish},       {"windows1254", LatinReading::Turkish},
        {"iso88599", LatinReading::Turkish},     {"latin5", LatinReading::Turkish},
        {"l5", LatinReading::Turkish},           {"cp857", LatinReading::Turkish},
        {"cp1257", LatinReading::Baltic},        {"windows1257", LatinReading::Baltic},
        {"iso885913", LatinReading::Baltic},     {"latin7", LatinReading::Baltic},
        {"iso88594", LatinReading::Baltic},      {"latin4", LatinReading::Baltic},
        {"l4", LatinReading::Baltic},            {"cp775", LatinReading::Baltic},
        {"cp1258", LatinReading::Vietnamese},    {"windows1258", LatinReading::Vietnamese},
    };
    std::string lower;
    for (char c : name.substr(0, name.find(':')))
        if (std::isalnum(static_cast<unsigned char>(c)))
            lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const auto found = pages.find(lower);
    return found != pages.end() ? found->second : LatinReading::Any;
}

bool writesKorean(const std::string& name)
{
    std::string lower;
    for (char c : name)
        if (std::isalnum(static_cast<unsigned char>(c)))
            lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.find("949") != std::string::npos || lower.find("euckr") != std::string::npos
           || lower.find("uhc") != std::string::npos;
}

uint16_t otherAlphabets(const std::u32string& text, size_t from, size_t to)
{
    const std::vector<CharClass>& tabled = tabledClasses();
    uint16_t alphabets = 0;
    for (size_t i = from; i < std::min(to, text.size()); ++i) {
        Script script = (text[i] < kTabled ? tabled[text[i]] : computeClass(text[i])).script;
        if (script == Script::Hangul)
            script = Script::Cjk;
        if (script != Script::None && script != Script::Latin)
            alphabets |= 1 << static_cast<int>(script);
    }
    return alphabets;
}

CjkCommonness cjkCommonness(const std::u32string& text, HanReading han)
{
    const uint32_t allowed = hanLanguagesOf(han);
    CjkCommonness result;
    result.allHangul = true;
    double total = 0;
    for (char32_t c : text) {
        const int cost = model::characterCost(c, allowed);
        if (cost >= 0) {
            total += cost, ++result.characters;
            result.allHangul = result.allHangul && c >= 0xAC00 && c <= 0xD7A3;
        } else if (c >= 0x80) {
            result.allHangul = false;
        }
    }
    result.allHangul = result.allHangul && result.characters > 0;
    if (result.characters > 0)
        result.meanCost = total / result.characters;
    return result;
}

double implausibility(const std::u32string& text, HanReading han, LatinReading latin)
{
    const uint32_t hanAllowed = hanLanguagesOf(han);
    const uint32_t latinAllowed = latinLanguagesOf(latin);
    // The buffers outlive the call: the guess scores thousands of texts, and
    // an album's texts, right or wrong, repeat the same words (an artist, an
    // album, the same garbage under a wrong page), so each word is scored once.
    // A word is looked up where it stands in the text; the map's keys look
    // at the spellings kept beside it (a deque never moves what it holds).
    thread_local std::vector<CharClass> classes;
    thread_local std::deque<std::u32string> spellings;
    thread_local std::unordered_map<std::u32string_view, WordScore, WordHash> words;
    constexpr size_t kWordsKept = 8192;  // an album's words under every reading
    if (words.size() > kWordsKept)
        words.clear(), spellings.clear();
    classes.resize(text.size());
    const std::vector<CharClass>& tabled = tabledClasses();
    for (size_t i = 0; i < text.size(); ++i)
        classes[i] = text[i] < kTabled ? tabled[text[i]] : computeClass(text[i]);

    double penalty = 0;
    uint16_t textScripts = 0;
    uint16_t wordsOfScripts = 0;  // a bit for each script with a word of two letters or more
    int asciiWords = 0, loneLetters = 0;
    uint16_t loneScripts = 0;
    LanguageSums languages;
    for (size_t i = 0; i < text.size();) {
        const CharClass& k = classes[i];
        if (k.script == Script::None) {
            penalty += k.cost;
            // A Latin-1 sign stuck to the end of a word (quotes aside).
            if (inRange(text[i], 0xA1, 0xBF) && text[i] != 0xAB && text[i] != 0xBB && i > 0
                && classes[i - 1].script != Script::None)
                penalty += kSignAfterLetter;
            if (startsWordAsSign(text, classes, i))
                penalty += kSignBeforeWord;
            // A closing quote opening a word of an alphabet beside Latin:
            // the same byte is a capital letter in a relative page.
            if (text[i] == 0x2019 && (i == 0 || classes[i - 1].script == Script::None) && i + 1 < text.size()
                && classes[i + 1].script != Script::None && classes[i + 1].script != Script::Latin)
                penalty += kQuoteOpensWord;
            // Daggers, bullets and "‰" stand apart from words: touching a
            // letter they are a Western letter's byte read through a
            // Windows page ("Cuiab‡" is Mac OS Roman's "á" through cp1250).
            if ((inRange(text[i], 0x2020, 0x2022) || text[i] == 0x2030)
                && ((i > 0 && classes[i - 1].script != Script::None)
                    || (i + 1 < text.size() && classes[i + 1].script != Script::None)))
                penalty += kSignAfterLetter;
            // "№" stands before a number: touching a letter it is cp866's
            // reading of a Latin-1 "ü" ("Fenstermen№", "№bergeben").
            if (text[i] == 0x2116
                && ((i > 0 && classes[i - 1].script != Script::None)
                    || (i + 1 < text.size() && classes[i + 1].script != Script::None)))
                penalty += kSignBeforeWord;
            // The horizontal bar opens a line of dialogue, a space behind
            // it: glued to a word it is cp1253's reading of "Ż" ("―egnaj").
            if (text[i] == 0x2015 && i + 1 < text.size() && classes[i + 1].script != Script::None)
                penalty += kSignBeforeWord;
            // An Arabic sign stuck to a letter of another script: "ni؟" is
            // Polish "niż" read through cp1256.
            if (inRange(text[i], 0x600, 0x6FF)
                && ((i > 0 && isForeignToArabic(classes[i - 1].script))
                    || (i + 1 < text.size() && isForeignToArabic(classes[i + 1].script))))
                penalty += kMixedScripts;
            // A non-ASCII sign wedged between two letters: "Ìà¸ðò", "CafÃ©s".
            if (text[i] >= 0x80 && i > 0 && i + 1 < text.size()
                && classes[i - 1].script != Script::None && classes[i + 1].script != Script::None
                && classes[i + 1].script != Script::Cjk)
                penalty += isApostrophe(text[i]) && classes[i - 1].script == Script::Latin
                                   && classes[i + 1].script == Script::Latin
                               ? kApostrophe
                               : kSymbolInWord;
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && classes[end].script != Script::None)
            ++end;
        const std::u32string_view spelling(text.data() + i, end - i);
        auto found = words.find(spelling);
        if (found == words.end())
            found = words.emplace(spellings.emplace_back(spelling), scoreWord(spelling, classes.data() + i)).first;
        const WordScore& word = found->second;
        penalty += word.penalty;
        if (word.modelled)
            languages.add(word, word.script == model::Script::Han     ? hanAllowed
                                : word.script == model::Script::Latin ? latinAllowed
                                                                      : LanguageSums::kEvery);
        textScripts |= word.scripts;
        asciiWords += word.scripts == 0 && word.letters >= 2;
        if (word.letters >= 2)
            wordsOfScripts |= word.scripts;
        else if (word.scripts & kAlphabetsBesideLatin)
            ++loneLetters, loneScripts |= word.scripts;
        i = end;
    }
    // A letter of another alphabet standing alone among Latin words, that
    // alphabet writing no word of the text: an "à" read through a Cyrillic
    // or Greek page.
    if (asciiWords > 0 && loneLetters > 0 && (loneScripts & ~wordsOfScripts))
        penalty += kLoneLetter * loneLetters;
    int scripts = 0;
    for (int bit = 0; bit < 16; ++bit)
        scripts += textScripts >> bit & 1;
    if (scripts > 1)
        penalty += kExtraScript * (scripts - 1);
    // A long text's classes (16 bytes a character) are not kept for the
    // short ones after it: the run's peak is the conversion's.
    constexpr size_t kClassesKept = 4096;
    if (classes.capacity() > kClassesKept)
        std::vector<CharClass>().swap(classes);
    return penalty + kPerHalfBit * languages.halfBits();
}

}  // namespace tagshifter::guess
