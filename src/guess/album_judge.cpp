// The per-album decision: pooled penalties, uchardet's proposal, files judged alone.
#include "guess/album_judge.h"

#include "guess/plausibility.h"
#include "text/code_page.h"
#include "text/script.h"

#include <algorithm>
#include <array>
#include <limits>
#include <unordered_map>
#include <unordered_set>
#include <optional>

namespace tagshifter::guess {
namespace {

// A reading must beat the text as it is by this much to replace it; less
// when uchardet proposed that reading too.
constexpr double kMargin = 4;
constexpr double kMarginProposed = 2;
// uchardet's proposal is preferred among readings this close to each other.
constexpr double kProposalBonus = 3;
// How much more plausible another reading must be for one file alone before
// that file leaves the album's choice.
constexpr double kDisagreement = 2;
// How much more plausible a page of another script than its album's must
// read a file for the file to leave the album for it: Cyrillic bytes make
// common Han characters too ("сомали" is GBK's "酉土躺").
constexpr double kOtherScriptLead = 4;
// How far every other reading must trail a page a file takes alone after
// leaving its album's page for its text as it is.
constexpr double kLeftAlbumLead = 1;
// An album's pooled penalty for each file a reading cannot decode.
constexpr double kInvalidFile = 20;
// uchardet reads at most this much of an album's text, each distinct text
// once: its answer settles within a few hundred bytes, and it costs about a
// microsecond a byte, as much as the rest of the guess on a large folder.
constexpr size_t kDetectorBytes = 4096;
constexpr long kDetectorLeast = 3;  // bytes beyond ASCII before it is asked

// A reading is plausible, text of its own script, when its penalty is at
// most this floor plus this much per code point.
constexpr double kFitFloor = 6;
constexpr double kFitPerPoint = 0.5;
constexpr double kStrictFloor = 2;
constexpr double kStrictPerPoint = 0.08;
// A field stays as it is when that reads this much better than the file's
// reading; a Latin-1-looking field of a Unicode frame needs this much
// evidence to be re-read at all.
constexpr double kFieldMargin = 3;
constexpr double kOverwhelming = 12;
// Less is enough when the evidence is spread over the fields of an album
// read as it shows (a Czech or Turkish album misread through Windows-1252,
// each title a letter or two off); a reader that would first have to be
// assumed ("MFÖ" taken for Mac OS Roman bytes) still needs all of it.
constexpr double kSpreadEvidence = 6;
// Pages of the built-in list outside the user's list are tried on this
// many files of an album: one reading clearly better says the list misses
// the album's page.
constexpr size_t kOutsideFiles = 8;

// Hangul of everyday words costs at most this much a syllable on average,
// in half bits; the Han characters a Chinese or Japanese page makes of the
// same bytes at least this much more ("핑계" read as GBK is "俏拌").
constexpr double kCommonHangul = 24;
constexpr double kHangulLead = 5;

// Fewer letters than this in the words of a whole folder that hold bytes
// beyond ASCII are read only by a page that makes characters of byte pairs.
constexpr size_t kThinEvidence = 3;

constexpr double kInvalid = std::numeric_limits<double>::infinity();

bool hasNonAscii(const std::string& text)
{
    for (unsigned char c : text)
        if (c >= 0x80)
            return true;
    return false;
}

// The readings uchardet proposed, by index (empty: none).
using Proposed = std::vector<bool>;

bool isProposed(const Proposed& proposed, size_t reading)
{
    return reading < proposed.size() && proposed[reading];
}

// The best reading by `penalties` (index 0 = as it is), or 0 when none
// beats the text as it is clearly (by `unproposedMargin` unless proposed).
// Of readings scored alike, the one that makes fewer characters of the
// bytes wins (a valid multi-byte reading is rarely an accident), then the
// one of lower `ranks`.
size_t choose(const std::vector<double>& penalties, const std::vector<size_t>& lengths,
              const std::vector<size_t>& ranks, const Proposed& proposed, double unproposedMargin = kMargin)
{
    size_t best = 0;
    double bestScore = kInvalid;
    for (size_t r = 1; r < penalties.size(); ++r) {
        if (penalties[r] == kInvalid)
            continue;
        const double score = penalties[r] - (isProposed(proposed, r) ? kProposalBonus : 0);
        if (score < bestScore
            || (score == bestScore
                && (lengths[r] < lengths[best] || (lengths[r] == lengths[best] && ranks[r] < ranks[best]))))
            best = r, bestScore = score;
    }
    if (best == 0)
        return 0;
    const double margin = isProposed(proposed, best) ? kMarginProposed : unproposedMargin;
    return penalties[best] <= penalties[0] - margin ? best : 0;
}

// The letters (ASCII letters and bytes beyond ASCII) of the words of
// `bytes` that hold a byte beyond ASCII.
size_t lettersAround(const std::string& bytes)
{
    size_t total = 0, word = 0;
    bool beyond = false;
    for (size_t i = 0; i <= bytes.size(); ++i) {
        const unsigned char c = i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : ' ';
        if (c >= 0x80 || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z')) {
            ++word;
            beyond = beyond || c >= 0x80;
            continue;
        }
        total += beyond ? word : 0;
        word = 0, beyond = false;
    }
    return total;
}

// A text the guess decides on: not mere evidence, and not ASCII, which
// reads the same under every reading.
bool judgedText(const LabelledText& text)
{
    return !text.evidenceOnly && hasNonAscii(text.bytes);
}

bool isComment(const LabelledText& text) { return text.label == "COMM"; }

// The bytes of a legacy frame as they are: Latin-1, which genuine text only
// fills with the Western languages it was made for. Text of a Unicode frame
// may be in any language, whatever reader it could have come through.
LatinReading asItIsLanguages(const LabelledText& text)
{
    return text.reader == Reader::Latin1 && !text.unicodeFrame ? LatinReading::Western : LatinReading::Any;
}

}  // namespace

// How one reading turns bytes into code points: by a table for the pages of
// one byte per character (most of them), else through iconv.
struct AlbumJudge::Decoding {
    enum class Way { Latin1, Utf8, Table, Iconv } way = Way::Latin1;
    HanReading han = HanReading::Any;
    LatinReading latin = LatinReading::Any;
    bool korean = false;
    std::array<char32_t, 256> table{};
    std::optional<CodePageDecoder> iconv;

    static std::unique_ptr<Decoding> of(const std::string& page)
    {
        auto decoding = std::make_unique<Decoding>();
        decoding->han = hanReadingOf(page);
        decoding->latin = latinReadingOf(page);
        decoding->korean = writesKorean(page);
        decoding->way = Way::Iconv;
        decoding->iconv.emplace(page);
        if (auto table = decoding->iconv->singleByteTable()) {
            decoding->way = Way::Table;
            decoding->table = *table;
            decoding->iconv.reset();
        }
        return decoding;
    }

    double penalty(const std::u32string& text) const { return implausibility(text, han, latin); }

    // Appends the code points of `bytes` to `out`; false when they are not
    // valid under this reading (`out` then holds part of them).
    bool appendTo(const std::string& bytes, std::u32string& out) const
    {
        std::optional<std::u32string> points;
        switch (way) {
        case Way::Latin1: points = decodeLatin1(bytes); break;
        case Way::Utf8: points = decodeUtf8(bytes); break;
        case Way::Iconv: points = iconv->decode(bytes); break;
        case Way::Table: {
            // Written in place: pushed one by one, the points cost as much
            // again as the lookups.
            size_t end = out.size();
            out.resize(end + bytes.size());
            for (unsigned char byte : bytes) {
                const char32_t point = table[byte];
                if (point == CodePageDecoder::kNoCharacter) {
                    out.resize(end);
                    return false;
                }
                out[end++] = point;
            }
            return true;
        }
        }
        if (!points)
            return false;
        out += *points;
        return true;
    }
};

AlbumJudge::AlbumJudge(const CandidateList& candidates) : codePages_(candidates.codePages())
{
    auto asItIs = std::make_unique<Decoding>();
    decodings_.push_back(std::move(asItIs));
    readings_.push_back(Reading::asItIs());
    auto utf8 = std::make_unique<Decoding>();
    utf8->way = Decoding::Way::Utf8;
    decodings_.push_back(std::move(utf8));
    readings_.push_back(Reading::utf8());
    for (const auto& page : codePages_) {
        decodings_.push_back(Decoding::of(page));
        readings_.push_back(Reading::page(page));
    }
    for (const auto& page : CandidateList::builtIn())
        if (std::find(codePages_.begin(), codePages_.end(), page) == codePages_.end()) {
            outside_.push_back(Decoding::of(page));
            outsidePages_.push_back(page);
        }
    // Readings scored alike go by the built-in order, whatever order the
    // user named the pages in: it puts euc-jp after gbk and big5, as short
    // Chinese text reads in EUC-JP too. A page the built-in list lacks
    // ranks as its relative there, else after all of them.
    // Each page's script from the table already read (a page of byte pairs
    // writes CJK): no further conversion opened, which would take a descriptor.
    scripts_.assign(readings_.size(), Script::None);
    for (size_t p = 0; p < codePages_.size(); ++p) {
        const Decoding& decoding = *decodings_[2 + p];
        if (decoding.way != Decoding::Way::Table) {
            scripts_[2 + p] = Script::Cjk;
            continue;
        }
        std::array<int, 8> counts{};
        for (size_t byte = 0x80; byte < 0x100; ++byte)
            ++counts[static_cast<size_t>(scriptOf(decoding.table[byte]))];
        counts[static_cast<size_t>(Script::None)] = 0;
        scripts_[2 + p] = static_cast<Script>(std::max_element(counts.begin(), counts.end()) - counts.begin());
    }
    const auto& builtIn = CandidateList::builtIn();
    ranks_.assign(readings_.size(), 0);  // UTF-8 first
    for (size_t p = 0; p < codePages_.size(); ++p) {
        auto place = std::find(builtIn.begin(), builtIn.end(), codePages_[p]);
        if (place == builtIn.end())
            place = std::find_if(builtIn.begin(), builtIn.end(),
                                 [&](const std::string& page) { return relatives(page, codePages_[p]); });
        ranks_[2 + p] = 1 + (place != builtIn.end() ? static_cast<size_t>(place - builtIn.begin()) : builtIn.size() + p);
    }
}

bool AlbumJudge::pageOutsideListReadsBetter(const std::vector<FileTexts>& files,
                                            const std::vector<size_t>& judged, double chosen) const
{
    // The page uchardet names, of a script the list does not write, need
    // only read as well.
    size_t named = outside_.size();
    const auto proposal = answersAnotherScript(lastDetected_, codePages_)
                              ? mapProposal(lastDetected_, outsidePages_)
                              : std::nullopt;
    if (proposal)
        for (size_t s = 0; s < outsidePages_.size(); ++s)
            if (proposal->kind == Reading::Kind::CodePage && proposal->codePage == outsidePages_[s])
                named = s;
    std::vector<double> outside(outside_.size(), 0);
    std::u32string joined;
    for (size_t j = 0; j < judged.size() && j < kOutsideFiles; ++j) {
        for (size_t s = 0; s < outside_.size(); ++s) {
            if (outside[s] == kInvalid)
                continue;
            joined.clear();
            for (const auto& text : files[judged[j]]) {
                if (!judgedText(text))
                    continue;
                if (readsUtf8Only(text.reader) || !outside_[s]->appendTo(text.bytes, joined)) {
                    outside[s] = kInvalid;
                    break;
                }
                joined += U' ';
            }
            if (outside[s] == kInvalid)
                continue;
            for (const auto& text : files[judged[j]])
                if (text.evidenceOnly)
                    if (const auto points = decodeUtf8(text.bytes))
                        joined += *points + U' ';
            outside[s] += outside_[s]->penalty(joined);
        }
    }
    for (size_t s = 0; s < outside.size(); ++s)
        if (outside[s] + (s == named ? 0 : kMargin) <= chosen)
            return true;
    return false;
}

AlbumJudge::~AlbumJudge() = default;

namespace {

bool anyNonAscii(const FileTexts& texts)
{
    for (const auto& text : texts)
        if (judgedText(text))
            return true;
    return false;
}

// The text as it reads now: its bytes through the reader that misread them.
void appendAsItIs(const LabelledText& text, std::u32string& out)
{
    const auto& points = readerPoints(text.reader);
    const size_t start = out.size();
    out.resize(start + text.bytes.size());
    for (size_t i = 0; i < text.bytes.size(); ++i)
        out[start + i] = points[static_cast<unsigned char>(text.bytes[i])];
}

// Whether a reading's penalty over `length` code points is that of real
// text in its own script, not merely less wrong than another reading.
// When uchardet names a script the list does not write, only text with
// next to no sign of a wrong reading passes.
bool plausible(double penalty, size_t length, bool strict)
{
    return strict ? penalty <= kStrictFloor + kStrictPerPoint * static_cast<double>(length)
                  : penalty <= kFitFloor + kFitPerPoint * static_cast<double>(length);
}

// The album's texts with every text that `reader`'s image holds read
// through it.
std::vector<FileTexts> through(const std::vector<FileTexts>& files, Reader reader)
{
    std::vector<FileTexts> recovered = files;
    for (auto& texts : recovered)
        for (auto& text : texts)
            if (text.reader != reader)
                if (const std::string* bytes = text.bytesThrough(reader))
                    text.bytes = *bytes, text.reader = reader;
    return recovered;
}

// The first reader of the list that some text of the album reads through,
// through nothing plainer, and that does not read as real text as it is:
// it shows how the album was misread. Real text can hold what a reader
// shows ("Samoası" holds Mac OS Roman's "ı"); garbage shows the misreading.
std::optional<Reader> readerShown(const std::vector<FileTexts>& files)
{
    std::optional<Reader> shown;
    std::u32string points;
    for (const auto& texts : files)
        for (const auto& text : texts) {
            if (!judgedText(text) || isPlain(text.reader) || (shown && text.reader.index >= shown->index))
                continue;
            points.clear();
            appendAsItIs(text, points);
            if (!plausible(implausibility(points, HanReading::Any, LatinReading::Any), points.size(), true))
                shown = text.reader;
        }
    return shown;
}

// Whether `text` holds a letter or digit of a script other than Latin:
// anything past the Latin blocks but for punctuation and symbols
// (Windows-1252's "—", "€", "™") and Latin's extended letters (Vietnamese).
bool isBeyondLatin(char32_t c)
{
    return c >= 0x370 && !(c >= 0x1E00 && c < 0x1F00) && !(c >= 0x2000 && c < 0x2C00) && !(c >= 0xFB00 && c < 0xFB07);
}

bool beyondLatin(const std::u32string& text)
{
    return std::any_of(text.begin(), text.end(), isBeyondLatin);
}

const std::string* artistOf(const FileTexts& texts)
{
    for (const auto& text : texts)
        if (text.label == "TPE1")
            return &text.bytes;
    return nullptr;
}

// Which files of a folder name an artist no other file of it names, while
// some other file names one: the tracks of a compilation.
std::vector<bool> ownArtists(const std::vector<FileTexts>& files)
{
    std::unordered_map<std::string, size_t> named;
    for (const auto& texts : files)
        if (const std::string* artist = artistOf(texts))
            ++named[*artist];
    std::vector<bool> own(files.size(), false);
    for (size_t f = 0; f < files.size() && named.size() > 1; ++f)
        if (const std::string* artist = artistOf(files[f]))
            own[f] = named[*artist] == 1;
    return own;
}

// Whether a letter or two of such characters follow a small Latin letter
// inside a word ("Kyrkjeb๘", "Queensrุche", "Jedno่lan": Western or Central
// European text through a page of another script); a longer run is a word
// of its own glued on ("xПривет").
bool joinsLatinWord(const std::u32string& text)
{
    for (size_t i = 1; i < text.size(); ++i) {
        const char32_t before = text[i - 1];
        const bool small = (before >= 'a' && before <= 'z') || (before >= 0xDF && before <= 0xFF && before != 0xF7);
        if (!small || !isBeyondLatin(text[i]))
            continue;
        size_t end = i;
        while (end < text.size() && isBeyondLatin(text[end]))
            ++end;
        if (end - i <= 2)
            return true;
    }
    return false;
}

// Whether `text` is a legacy frame's Latin-1 that reads as it is as real
// Western text.
bool westernAsItIs(const LabelledText& text)
{
    if (asItIsLanguages(text) != LatinReading::Western)
        return false;
    std::u32string points;
    appendAsItIs(text, points);
    return plausible(implausibility(points, HanReading::Any, LatinReading::Western), points.size(), true);
}

// Which texts of a file are a legacy frame's real Western text beside
// judged text of a Unicode frame (`skipComments`: its comments aside).
std::vector<bool> westernBesideUnicode(const FileTexts& texts, bool skipComments)
{
    std::vector<bool> western(texts.size(), false);
    bool unicode = false;
    for (const auto& text : texts)
        unicode = unicode || (judgedText(text) && text.unicodeFrame && !(skipComments && isComment(text)));
    if (!unicode)
        return western;
    for (size_t t = 0; t < texts.size(); ++t)
        western[t] = judgedText(texts[t]) && !(skipComments && isComment(texts[t])) && westernAsItIs(texts[t]);
    return western;
}

bool isLatinLetter(char32_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7);
}

// Whether `text` is Latin words with a lone letter of another alphabet
// standing between them as a word of its own ("Tor non и in esecuzione":
// Italian "è" through cp1251), and no longer run of that script. A Han
// character or a Hangul syllable alone is a word ("右 Shift").
bool loneLettersAmongLatin(const std::u32string& text)
{
    constexpr char32_t kPastAlphabets = 0x1100;  // Hangul, kana and Han lie beyond
    bool latinWord = false, lone = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (isLatinLetter(text[i]) && i + 1 < text.size() && isLatinLetter(text[i + 1]))
            latinWord = true;
        if (!isBeyondLatin(text[i]))
            continue;
        if (text[i] >= kPastAlphabets)
            return false;
        const bool before = i > 0 && (isLatinLetter(text[i - 1]) || isBeyondLatin(text[i - 1]));
        const bool after = i + 1 < text.size() && (isLatinLetter(text[i + 1]) || isBeyondLatin(text[i + 1]));
        if (before || after)
            return false;
        lone = true;
    }
    return latinWord && lone;
}

bool lettersBeyondAscii(const std::u32string& text)
{
    return std::any_of(text.begin(), text.end(), [](char32_t c) { return scriptOf(c) != Script::None; });
}

bool anyThrough(const std::vector<FileTexts>& files, Reader reader)
{
    for (const auto& texts : files)
        for (const auto& text : texts)
            if (text.reader != reader && judgedText(text) && text.bytesThrough(reader))
                return true;
    return false;
}

}  // namespace

bool AlbumJudge::append(const LabelledText& text, size_t reading, std::u32string& out) const
{
    if (reading == 0) {
        appendAsItIs(text, out);
        return true;
    }
    if (readsUtf8Only(text.reader) && readings_[reading].kind != Reading::Kind::Utf8)
        return false;
    return decodings_[reading]->appendTo(text.bytes, out);
}

void AlbumJudge::lendLatinLanguages(const FileTexts& texts, bool skipComments,
                                    const std::vector<std::u32string>& decoded, std::vector<double>& row) const
{
    // The file's text under each Latin page outside the list, read as the
    // listed readings read it: judged texts first, then the Unicode evidence.
    std::vector<std::pair<LatinReading, std::u32string>> outside;
    for (const auto& decoding : outside_) {
        if (decoding->latin == LatinReading::Any)
            continue;
        std::u32string joined;
        bool valid = true;
        for (const auto& text : texts) {
            if (!judgedText(text) || (skipComments && isComment(text)))
                continue;
            if (readsUtf8Only(text.reader) || !decoding->appendTo(text.bytes, joined)) {
                valid = false;
                break;
            }
            joined += U' ';
        }
        if (!valid)
            continue;
        for (const auto& text : texts)
            if (text.evidenceOnly)
                if (const auto points = decodeUtf8(text.bytes))
                    joined += *points + U' ';
        outside.emplace_back(decoding->latin, std::move(joined));
    }
    for (size_t r = 1; r < row.size(); ++r) {
        const LatinReading own = decodings_[r]->latin;
        if (row[r] == kInvalid || own == LatinReading::Any)
            continue;
        std::array<bool, kLatinReadings> lent{};
        for (size_t q = 1; q < row.size(); ++q)
            if (q != r && row[q] != kInvalid && decodings_[q]->latin != LatinReading::Any && decoded[q] == decoded[r])
                lent[static_cast<size_t>(decodings_[q]->latin)] = true;
        for (const auto& [latin, text] : outside)
            if (text == decoded[r])
                lent[static_cast<size_t>(latin)] = true;
        lent[static_cast<size_t>(own)] = false;
        for (size_t l = 0; l < lent.size(); ++l)
            if (lent[l])
                row[r] = std::min(row[r], implausibility(decoded[r], decodings_[r]->han, static_cast<LatinReading>(l)));
    }
}

double AlbumJudge::textPenalty(const LabelledText& text, size_t reading, std::u32string& buffer) const
{
    buffer.clear();
    if (!append(text, reading, buffer))
        return kInvalid;
    return reading == 0 ? implausibility(buffer, HanReading::Any, asItIsLanguages(text))
                        : decodings_[reading]->penalty(buffer);
}

std::vector<Reading> AlbumJudge::judge(const std::vector<FileTexts>& input)
{
    // An album that a reader shows misread is read through it wherever it
    // can be; the other readers that hold some of its Unicode frames'
    // texts, though nothing says they misread them, compete, and must win
    // clearly.
    const std::optional<Reader> shown = readerShown(input);
    Verdict verdict = shown ? judgeAs(through(input, *shown), true, kOverwhelming, std::nullopt)
                            : judgeAs(input, false, kSpreadEvidence, std::nullopt);
    for (const Reader reader : readers()) {
        if (reader == shown || !anyThrough(input, reader))
            continue;
        Verdict other = judgeAs(through(input, reader), shown.has_value(),
                                isPlain(reader) ? kSpreadEvidence : kOverwhelming,
                                isPlain(reader) ? std::nullopt : std::optional<Reader>(reader));
        if (other.penalty + kMargin <= verdict.penalty)
            verdict = std::move(other);
    }
    return std::move(verdict.readings);
}

size_t AlbumJudge::koreanIfCommon(const FileTexts& texts, const std::vector<double>& row, size_t choice) const
{
    std::u32string chosen, korean;
    for (size_t r = 1; r < decodings_.size(); ++r) {
        if (!decodings_[r]->korean || row[r] == kInvalid || row[r] > row[choice] + kDisagreement)
            continue;
        chosen.clear(), korean.clear();
        bool valid = true;
        for (const auto& text : texts) {
            if (!judgedText(text) || !valid)
                continue;
            // A Western field either page cannot decode stays as it is under both.
            const size_t koreanEnd = korean.size(), chosenEnd = chosen.size();
            if (!append(text, r, korean) || !append(text, choice, chosen)) {
                korean.resize(koreanEnd), chosen.resize(chosenEnd);
                valid = westernAsItIs(text);
            }
        }
        if (!valid)
            continue;
        const CjkCommonness hangul = cjkCommonness(korean, HanReading::Any);
        const CjkCommonness han = cjkCommonness(chosen, decodings_[choice]->han);
        if (hangul.allHangul && hangul.characters >= 2 && hangul.meanCost <= kCommonHangul
            && han.meanCost >= hangul.meanCost + kHangulLead)
            return r;
    }
    return choice;
}

AlbumJudge::Verdict AlbumJudge::judgeAs(const std::vector<FileTexts>& files, bool misreadShown,
                                        double albumEvidence, std::optional<Reader> unproven)
{
    Verdict verdict;
    std::vector<Reading>& result = verdict.readings;
    result.assign(files.size(), Reading::asItIs());
    lastDetected_.clear();
    // Text of the album misread and saved as Unicode by a Western tool: its
    // Latin-1-looking fields in Unicode frames are of the same making. A
    // sign only Windows-1252 shows ("—", "’") says nothing yet: genuine
    // Western text has them too; overwhelming evidence is looked for below.
    bool misreadAsUnicode = misreadShown;

    // Penalties of each judged file under each reading.
    const size_t readings = decodings_.size();
    std::vector<size_t> judged;
    std::vector<std::vector<double>> penalties;
    std::vector<std::vector<size_t>> lengths;  // code points of each reading
    std::vector<std::vector<size_t>> aliases;
    std::string pooled;
    std::unordered_set<std::string> detectorTexts;
    std::vector<std::u32string> decoded(readings);  // of one file, kept from file to file
    for (size_t f = 0; f < files.size(); ++f) {
        if (!anyNonAscii(files[f]))
            continue;
        // The file's fields are scored as one text, so that accents of
        // different languages across its fields count against a reading.
        std::vector<double> row(readings, 0);
        std::vector<size_t> length(readings, 0);
        std::vector<size_t> alias(readings);  // the first reading giving the same text
        for (size_t r = 0; r < readings; ++r)
            alias[r] = r;
        for (const auto& text : files[f]) {
            if (pooled.size() < kDetectorBytes && judgedText(text)
                && detectorTexts.insert(text.bytes).second) {
                pooled += text.bytes;
                pooled += '\n';
            }
        }
        // A comment is free text, often of another hand and language than
        // the tags ("L'Hymne à l'amour" in a Polish album): it is decided
        // field by field below and sways the file's reading only when the
        // file has nothing else to judge.
        bool othersThanComments = false;
        for (const auto& text : files[f])
            othersThanComments = othersThanComments || (judgedText(text) && !isComment(text));
        // As it is, the file's text is judged in the Western languages only
        // when each of its texts is the Latin-1 of a legacy frame.
        LatinReading asItIs = LatinReading::Western;
        for (const auto& text : files[f])
            if (judgedText(text) && !(othersThanComments && isComment(text)))
                asItIs = asItIsLanguages(text) == LatinReading::Western ? asItIs : LatinReading::Any;
        auto latinOf = [&](size_t r) { return r == 0 ? asItIs : decodings_[r]->latin; };
        // Whether each text reads as Western as it is: asked once, of the
        // first page of byte pairs that cannot decode it.
        std::vector<signed char> western(files[f].size(), -1);
        // A legacy frame's real Western text beside text saved as Unicode
        // ("Björk" among misread titles) is another hand's: no reading of
        // the file turns it, and no page wins by what it makes of it.
        const std::vector<bool> westernBeside = westernBesideUnicode(files[f], othersThanComments);
        for (size_t t = 0; t < files[f].size(); ++t)
            if (westernBeside[t])
                western[t] = 1;
        // Many pages read a text alike (koi8-r and koi8-u, cp1252 and Latin-1):
        // a text already scored is not scored again.
        for (size_t r = 0; r < readings; ++r) {
            std::u32string& joined = decoded[r];
            joined.clear();
            // A page of byte pairs that keeps every text as it is reads none of the file.
            bool kept = false, read = false;
            for (size_t t = 0; t < files[f].size(); ++t) {
                const auto& text = files[f][t];
                if (!judgedText(text) || (othersThanComments && isComment(text)))
                    continue;  // reads the same under every reading, or a comment
                const size_t start = joined.size();
                if (r > 0 && westernBeside[t]) {
                    appendAsItIs(text, joined);
                    joined += U' ';
                    continue;
                }
                if (!append(text, r, joined)) {
                    // A page of byte pairs that cannot decode a field of
                    // Western text (an accented letter before ASCII) reads
                    // the rest of the file, the field kept as it is: "für"
                    // beside Korean titles rules out cp949 for that field
                    // alone, not for the titles (GBK reads them all, as Han
                    // no Korean wrote). A byte a page of one byte a
                    // character lacks is evidence against it.
                    joined.resize(start);
                    if (decodings_[r]->way == Decoding::Way::Iconv && western[t] < 0)
                        western[t] = westernAsItIs(text) ? 1 : 0;
                    if (decodings_[r]->way != Decoding::Way::Iconv || western[t] == 0) {
                        row[r] = kInvalid;
                        break;
                    }
                    appendAsItIs(text, joined);
                    kept = true;
                } else {
                    read = true;
                }
                joined += U' ';
            }
            if (kept && !read)
                row[r] = kInvalid;
            if (row[r] == kInvalid)
                continue;
            // Unicode text of the file tells its language: a reading into
            // another script pays for the second alphabet.
            const size_t judgedEnd = joined.size();
            for (const auto& text : files[f])
                if (text.evidenceOnly)
                    if (const auto points = decodeUtf8(text.bytes))
                        joined += *points + U' ';
            length[r] = joined.size();
            size_t same = 0;
            while (same < r && (row[same] == kInvalid || decoded[same] != joined
                                || decodings_[same]->han != decodings_[r]->han || latinOf(same) != latinOf(r)))
                ++same;
            row[r] = same < r ? row[same] : implausibility(joined, decodings_[r]->han, latinOf(r));
            alias[r] = same < r ? alias[same] : r;
            // Where the file's Unicode text shows an alphabet beside Latin,
            // a reading into a third one is no reading of it ("Animal ДжаZ"
            // beside Cyrillic titles is never GBK's "Animal 逆郱").
            if (r > 0 && judgedEnd < joined.size()) {
                const uint16_t shown = otherAlphabets(joined, judgedEnd);
                if (shown != 0 && (otherAlphabets(joined, 0, judgedEnd) & ~shown) != 0)
                    row[r] = kInvalid;
            }
        }
        // Pages that read the file alike lend each other their languages:
        // the same text reads no better under one of them than under another,
        // and the letter pairs of one language misjudge some of its short
        // words that a neighbour's know ("ça", "où").
        lendLatinLanguages(files[f], othersThanComments, decoded, row);
        // A page that reads the text just as it is says the text may be in
        // its languages too ("Khánh Ly" in cp1258): reading it so changes
        // nothing, and as it is it costs no more.
        for (size_t r = 1; r < readings; ++r)
            if (row[r] != kInvalid && alias[r] == r && decoded[r] == decoded[0])
                row[0] = std::min(row[0], row[r]);
        for (size_t r = 1; r < readings; ++r)
            if (row[r] != kInvalid && decoded[r] == decoded[0])
                row[r] = row[0], alias[r] = 0;
        judged.push_back(f);
        penalties.push_back(std::move(row));
        lengths.push_back(std::move(length));
        aliases.push_back(std::move(alias));
    }
    if (judged.empty())
        return verdict;
    // uchardet's answer on a byte or two beyond ASCII is a toss between
    // the pages that hold a letter there ("ţ" or Baltic "ž"): not asked.
    const auto beyondAscii = std::count_if(pooled.begin(), pooled.end(),
                                           [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (beyondAscii >= kDetectorLeast)
        lastDetected_ = detector_.detect(pooled);
    // uchardet's answer stands for every relative the list names alike
    // (cp1253 and iso-8859-7 both listed): which of them reads the text
    // is for the penalties to say, not for the name uchardet happened on.
    Proposed proposed(readings, false);
    if (const auto proposal = mapProposal(lastDetected_, codePages_))
        for (size_t r = 1; r < readings; ++r)
            proposed[r] = readings_[r] == *proposal
                          || (proposal->kind == Reading::Kind::CodePage
                              && readings_[r].kind == Reading::Kind::CodePage
                              && relatives(readings_[r].codePage, proposal->codePage));
    // A folder whose only legacy text is a word of two letters ("Äà") says
    // too little for a page of one byte per character: any of them reads
    // two letters as some word. A multi-byte page that makes one character
    // of them may still read it.
    size_t evidence = 0;
    for (size_t f : judged)
        for (const auto& text : files[f])
            if (judgedText(text))
                evidence += lettersAround(text.bytes);
    if (evidence < kThinEvidence)
        for (size_t j = 0; j < judged.size(); ++j)
            for (size_t r = 1; r < readings; ++r)
                if (lengths[j][r] == lengths[j][0])
                    penalties[j][r] = kInvalid;

    // The album's choice, from its pooled penalties; a reading that cannot
    // decode half the files or more is out. A file counts against a reading
    // no more than by kDisagreement over its own best one: a compilation's
    // file of another page takes its own page and must not sway the rest.
    std::vector<double> album(readings, 0);
    for (size_t r = 0; r < readings; ++r) {
        size_t invalid = 0;
        for (const auto& row : penalties) {
            const double best = *std::min_element(row.begin(), row.end());
            if (row[r] == kInvalid)
                ++invalid, album[r] += kInvalidFile;
            else
                album[r] += std::min(row[r], best + kDisagreement);
        }
        if (invalid * 2 >= penalties.size())
            album[r] = kInvalid;
    }
    std::vector<size_t> albumLength(readings, 0);
    for (const auto& row : lengths)
        for (size_t r = 0; r < readings; ++r)
            albumLength[r] += row[r];
    size_t albumChoice = choose(album, albumLength, ranks_, proposed);
    // A choice that does not read like real text is no choice: a list that
    // misses the album's page must change nothing. uchardet naming a script
    // no page of the list writes says the page may be missing.
    const bool otherScript = answersAnotherScript(lastDetected_, codePages_);
    bool albumFits =
        albumChoice == 0 || plausible(album[albumChoice], albumLength[albumChoice], otherScript);
    // So does a page outside the list that reads the album clearly better.
    // Each file counts as the album's pooled penalty counts it: a
    // compilation's file of another listed page costs the choice no more
    // than it costs its own page, or an outside page that reads no file
    // well would beat a choice that reads all but that file well.
    double chosenSample = 0;
    for (size_t j = 0; j < judged.size() && j < kOutsideFiles; ++j) {
        const double best = *std::min_element(penalties[j].begin(), penalties[j].end());
        chosenSample += std::min(penalties[j][albumChoice], best + kDisagreement);
    }
    const bool listMisses = albumFits && readings_[albumChoice].kind == Reading::Kind::CodePage
                            && pageOutsideListReadsBetter(files, judged, chosenSample);
    albumFits = albumFits && !listMisses;
    if (!albumFits)
        albumChoice = 0;

    std::vector<size_t> choices(judged.size());
    const std::vector<bool> ownArtist = ownArtists(files);
    std::vector<bool> nothingFits(judged.size());
    std::vector<std::optional<double>> margins(judged.size());
    for (size_t j = 0; j < judged.size(); ++j) {
        const auto& row = penalties[j];
        size_t choice = albumChoice;
        const size_t best = choose(row, lengths[j], ranks_, proposed);
        size_t own =
            best != 0 && !listMisses && plausible(row[best], lengths[j][best], otherScript) ? best : 0;
        if (own != albumChoice && readings_[own].kind == Reading::Kind::CodePage
            && pageOutsideListReadsBetter(files, {judged[j]}, row[own]))
            own = 0;
        // How much better than the album's page a reading must read the
        // file for the file to take it instead.
        auto leadOver = [&](size_t r) {
            return scripts_[r] != Script::None && scripts_[albumChoice] != Script::None
                           && scripts_[r] != scripts_[albumChoice]
                       ? kOtherScriptLead
                       : kDisagreement;
        };
        if (row[albumChoice] == kInvalid || row[albumChoice] - row[own] >= leadOver(own))
            choice = own;
        // The album's proposal helps the file's own choice above; a file
        // whose text alone reads clearly better in another page of the list
        // takes that page, however few files of its folder share it. So does
        // a file that left the album's page for its text as it is: the folder
        // is shown misread, and the file's page needs no more than a proposed
        // one (a Polish title of one letter, "Mniej ni¿ zero", in a Russian
        // compilation), as long as no other reading comes close ("Żegnaj"
        // reads as "―egnaj" in cp1253 about as well).
        const size_t alone = choose(row, lengths[j], ranks_, {}, kMarginProposed);
        bool leftAlbum = choice == 0 && albumChoice != 0 && alone != 0;
        for (size_t r = 1; r < readings && leftAlbum; ++r)
            leftAlbum = aliases[j][r] == aliases[j][alone] || row[r] - row[alone] >= kLeftAlbumLead;
        if ((choice == albumChoice || leftAlbum) && alone != 0 && alone != choice && !listMisses
            && row[albumChoice] - row[alone] >= leadOver(alone)
            && plausible(row[alone], lengths[j][alone], otherScript)
            && !pageOutsideListReadsBetter(files, {judged[j]}, row[alone]))
            choice = alone;
        // Korean bytes read as Han by a Chinese or Japanese page are mostly
        // common characters, which the penalty cannot tell from real text:
        // a file that reads as everyday Hangul takes the Korean page of the
        // list, whatever its folder's majority.
        if (choice != 0 && decodings_[choice]->han != HanReading::Any)
            choice = koreanIfCommon(files[judged[j]], row, choice);
        // A file its page reads as less than clearly real text is tried
        // against the built-in pages outside the list: one reading it
        // clearly better says the list misses the file's page (a Greek
        // track in a Russian compilation), whatever the album took.
        const bool outside = choice != 0 && choice == albumChoice
                             && readings_[choice].kind == Reading::Kind::CodePage
                             && !plausible(row[choice], lengths[j][choice], true)
                             && pageOutsideListReadsBetter(files, {judged[j]}, row[choice]);
        if (outside)
            choice = 0;
        // A track of a compilation, its artist its own, shares no name
        // with the rest: their page is no evidence for it, which must read
        // clearly better in that page itself ("João Gilberto" among
        // Romanian tracks is no cp1250 "Joăo").
        if (choice != 0 && choice == albumChoice && ownArtist[judged[j]]
            && row[0] - row[choice] < kDisagreement)
            choice = 0;
        choices[j] = choice;
        for (size_t r = 0; r < readings; ++r)
            if (aliases[j][r] != aliases[j][choice] && row[r] != kInvalid && row[choice] != kInvalid
                && (!margins[j] || row[r] - row[choice] < *margins[j]))
                margins[j] = row[r] - row[choice];
        // Said of the file itself: some reading beat its text as it is but
        // none reads as real text, or it reads as nothing real as it is
        // while the album's page fits nothing.
        nothingFits[j] = choice == 0
                         && (outside || own != best
                             || (!albumFits && !plausible(row[0], lengths[j][0], otherScript)));
        verdict.penalty += row[choice];
    }

    // Each field is decided on its own too: one that reads better as it is
    // stays (a Western comment in a Cyrillic file), and one in a Unicode
    // frame that could be Latin-1 text is re-read only on overwhelming
    // evidence: its own, that of another such field of the album, or that
    // of all such fields together (a Czech album misread through
    // Windows-1252, each title a few letters off).
    std::u32string buffer, asText;
    double gain = 0;
    // Texts turned into bytes by a reader no text shows misread are
    // weighed apart: the evidence of the others is not for that reader.
    auto assumed = [&](const LabelledText& text) { return unproven && text.reader == *unproven; };
    bool misreadAssumed = false;
    double assumedGain = 0;
    // Evidence spread over many texts counts only where the texts could all
    // be of one misreading: not a comment, free text of any hand, nor a text
    // of a file whose other fields hold Unicode of an alphabet beside Latin
    // (a first run's output: "suðurndebele" beside Chinese titles); and for
    // a reader no text shows misread, not a text that reads as real as it
    // is ("Amerikan Samoası" is Turkish, not Mac OS Roman's "ő").
    for (size_t j = 0; j < judged.size(); ++j) {
        bool unicodeAlphabet = false;
        for (const auto& text : files[judged[j]])
            if (text.evidenceOnly)
                if (const auto points = decodeUtf8(text.bytes))
                    unicodeAlphabet = unicodeAlphabet || otherAlphabets(*points) != 0;
        for (const auto& text : files[judged[j]])
            if (choices[j] != 0 && text.unicodeFrame && judgedText(text)) {
                const bool through = assumed(text);
                bool& shown = through ? misreadAssumed : misreadAsUnicode;
                if (shown)
                    continue;
                const double asItIs = textPenalty(text, 0, buffer);
                const bool real = through && plausible(asItIs, buffer.size(), true);
                const double one = asItIs - textPenalty(text, choices[j], buffer);
                double& sum = through ? assumedGain : gain;
                if (!isComment(text) && !unicodeAlphabet && !real)
                    sum += one;
                if (one >= kOverwhelming || sum >= albumEvidence)
                    shown = true;
            }
    }
    for (size_t j = 0; j < judged.size(); ++j) {
        const size_t choice = choices[j];
        Reading reading = readings_[choice];
        reading.nothingFits = nothingFits[j];
        size_t kept = 0, recoded = 0;
        double gained = 0;
        bool unicodeRecoded = false, unicodeBeside = false;
        std::vector<Reading::Field> fields;
        const std::vector<bool> westernBeside = westernBesideUnicode(files[judged[j]], false);
        for (size_t t = 0; t < files[judged[j]].size(); ++t) {
            const auto& text = files[judged[j]][t];
            unicodeBeside = unicodeBeside || text.unicodeFrame;
            if (choice == 0 || !judgedText(text))
                continue;
            const double asItIs = textPenalty(text, 0, asText);
            const double chosen = textPenalty(text, choice, buffer);
            // Text saved as Unicode is re-read when its own reader's misreading is shown.
            const bool shy = text.unicodeFrame && !(assumed(text) ? misreadAssumed : misreadAsUnicode);
            bool keep = chosen == kInvalid || asItIs + kFieldMargin <= chosen
                        || (shy && asItIs - chosen < kOverwhelming);
            // A legacy frame's real Western text beside Unicode text stays
            // unless the file's page reads it clearly better ("España" is no
            // Polish "Espańa").
            keep = keep || (westernBeside[t] && asItIs - chosen < kFieldMargin);
            // Nor is a field turned into another script whose new letters
            // would end a Latin word ("Kyrkjebø" is no Thai "Kyrkjeb๘"):
            // only pages that write Han or Hangul glue it to Latin
            // ("Loveの唄", Korean particles: "diffstat을").
            keep = keep
                   || (decodings_[choice]->han == HanReading::Any && !decodings_[choice]->korean
                       && !beyondLatin(asText) && joinsLatinWord(buffer));
            // Nor is a Latin field given a one-letter word of another script
            // among its Latin words ("non è in" is no "non и in").
            keep = keep || (!beyondLatin(asText) && loneLettersAmongLatin(buffer));
            // Nor is a comment, free text of any hand, read into signs alone:
            // a reading that leaves it no letter beyond ASCII where it shows
            // one is a Western comment's accent read through another page
            // ("El título" is no cp1253 "El t’tulo").
            keep = keep || (isComment(text) && lettersBeyondAscii(asText) && !lettersBeyondAscii(buffer));
            // Bytes that are whole UTF-8 beyond ASCII are UTF-8 or nothing:
            // through a page of one byte a character they are another text
            // ("Sušica" is no Thai "Suลกica"), though the file's other fields
            // rule UTF-8 out for it.
            keep = keep || (readings_[choice].kind != Reading::Kind::Utf8 && decodeUtf8(text.bytes)
                            && textPenalty(text, 1, buffer) <= chosen);
            std::optional<double> fieldMargin;
            if (chosen != kInvalid)
                fieldMargin = keep ? chosen - asItIs : asItIs - chosen;
            fields.push_back({text.label, keep, fieldMargin});
            if (keep) {
                if (std::find(reading.keptAsItIs.begin(), reading.keptAsItIs.end(), text.label)
                    == reading.keptAsItIs.end())
                    reading.keptAsItIs.push_back(text.label);
                ++kept;
            } else {
                ++recoded;
                gained += asItIs - chosen;
                unicodeRecoded = unicodeRecoded || text.unicodeFrame;
                reading.readers.emplace_back(text.label, text.reader);
            }
        }
        // A file whose legacy fields read no better, all together, in its
        // page than as they are, beside Unicode text that lends the page
        // (Spanish titles under a Lithuanian name), stays. Text a tool
        // misread and saved as Unicode is shown misread by the album's other
        // texts. A file of legacy frames alone still takes its album's page:
        // the models know too few word forms of some languages for its few
        // letters to outweigh the album.
        if (recoded > 0 && gained <= 0 && !unicodeRecoded && unicodeBeside) {
            for (auto& field : fields)
                if (!field.asItIs) {
                    field.asItIs = true;
                    if (field.margin)
                        field.margin = -*field.margin;
                }
            kept += recoded, recoded = 0;
        }
        if (kept > 0 && recoded == 0)
            reading = Reading::asItIs();
        reading.margin = margins[j];
        reading.fields = std::move(fields);
        result[judged[j]] = reading;
    }
    return verdict;
}

}  // namespace tagshifter::guess
