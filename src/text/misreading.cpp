#include "text/misreading.h"

#include "text/code_page.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <utility>

namespace tagshifter {
namespace {

// A byte whose character a reader shows differently from iconv's page, and
// the character iconv shows for it, which reads back to the byte too.
struct Mend {
    unsigned char byte;
    char32_t point;
    char32_t iconvPoint;
};

// One line of the list: a reader is the page it reads through, as iconv
// knows it, mended where the system that used it shows otherwise.
struct ReaderLine {
    const char* name;
    const char* page;
    std::array<Mend, 2> mends;  // byte 0: none
    bool plain;
    bool utf8Only;
};

// The order is the guess's: a text's bytes come through the first reader
// whose image holds it. Reader::Latin1, Windows1252 and MacRoman are the
// first three.
constexpr ReaderLine kReaderLines[] = {
    {"latin-1", "ISO-8859-1", {}, true, false},
    {"windows-1252", "CP1252", {}, true, false},
    // Mac OS shows 0xF0 as its logo, where iconv gives a private point of
    // its own, and 0xC6 as the increment sign "∆" (since Mac OS 8.5), where
    // iconv gives the Greek "Δ" of older systems.
    {"mac-roman", "MACINTOSH", {{{0xF0, 0xF8FF, 0xE01E}, {0xC6, 0x2206, 0x0394}}}, false, false},
    {"cp1251 of UTF-8", "CP1251", {}, false, true},
    {"cp1250 of UTF-8", "CP1250", {}, false, true},
    {"cp1253 of UTF-8", "CP1253", {}, false, true},
    {"cp1254 of UTF-8", "CP1254", {}, false, true},
    {"cp1257 of UTF-8", "CP1257", {}, false, true},
    {"koi8-r of UTF-8", "KOI8-R", {}, false, true},
};
constexpr size_t kReaderCount = sizeof kReaderLines / sizeof kReaderLines[0];

// A reader's table both ways: what each byte shows, and the byte behind
// each character beyond ASCII, sorted by character.
struct ReaderTable {
    std::array<char32_t, 256> shows{};
    std::vector<std::pair<char32_t, unsigned char>> bytes;
};

ReaderTable tableOf(const ReaderLine& line)
{
    ReaderTable table;
    std::optional<std::array<char32_t, 256>> page;
    try {
        page = CodePageDecoder(line.page).singleByteTable();
    } catch (...) {
        // A C library without the page: the reader holds ASCII alone.
    }
    for (unsigned value = 0; value < 256; ++value) {
        // A hole of the page shows as the C1 control of its value, as
        // Windows shows it; past 0xA0 it shows as nothing.
        char32_t point = value < 0xA0 ? value : CodePageDecoder::kNoCharacter;
        if (value < 0x80 || (page && (*page)[value] != CodePageDecoder::kNoCharacter))
            point = page ? (*page)[value] : value;
        for (const Mend& mend : line.mends)
            if (mend.byte != 0 && mend.byte == value) {
                point = mend.point;
                table.bytes.emplace_back(mend.iconvPoint, static_cast<unsigned char>(value));
            }
        table.shows[value] = point;
        if (value >= 0x80 && point != CodePageDecoder::kNoCharacter)
            table.bytes.emplace_back(point, static_cast<unsigned char>(value));
    }
    std::sort(table.bytes.begin(), table.bytes.end());
    return table;
}

// Each table is built the first time its reader is asked for: a run with
// a named page needs Latin-1 and Windows-1252 alone.
const ReaderTable& table(Reader reader)
{
    static std::array<std::once_flag, kReaderCount> built;
    static std::array<ReaderTable, kReaderCount> tables;
    std::call_once(built[reader.index], [reader] { tables[reader.index] = tableOf(kReaderLines[reader.index]); });
    return tables[reader.index];
}

std::optional<char> byteOf(char32_t point, const ReaderTable& table)
{
    if (point < 0x100 && table.shows[point] == point)
        return static_cast<char>(point);
    const auto& bytes = table.bytes;
    const auto found = std::lower_bound(bytes.begin(), bytes.end(), std::make_pair(point, static_cast<unsigned char>(0)));
    if (found == bytes.end() || found->first != point)
        return std::nullopt;
    return static_cast<char>(found->second);
}

}  // namespace

const std::vector<Reader>& readers()
{
    static const std::vector<Reader> all = [] {
        std::vector<Reader> list;
        for (size_t i = 0; i < kReaderCount; ++i)
            list.push_back(Reader{static_cast<unsigned char>(i)});
        return list;
    }();
    return all;
}

const char* readerName(Reader reader)
{
    return kReaderLines[reader.index].name;
}

bool isPlain(Reader reader)
{
    return kReaderLines[reader.index].plain;
}

bool readsUtf8Only(Reader reader)
{
    return kReaderLines[reader.index].utf8Only;
}

char32_t readerPoint(Reader reader, unsigned char byte)
{
    return table(reader).shows[byte];
}

const std::array<char32_t, 256>& readerPoints(Reader reader)
{
    return table(reader).shows;
}

std::optional<std::string> bytesThrough(const TagLib::String& text, Reader reader)
{
    const ReaderTable& through = table(reader);
    std::string bytes;
    bytes.reserve(text.size());
    for (unsigned int i = 0; i < text.size(); ++i) {
        const auto byte = byteOf(static_cast<char32_t>(text[i]), through);
        if (!byte)
            return std::nullopt;
        bytes += *byte;
    }
    return bytes;
}

bool readLatin1Through(std::string& latin1, Reader reader)
{
    const ReaderTable& through = table(reader);
    std::array<std::optional<char>, 256> byteFor;
    for (unsigned value = 0; value < 256; ++value)
        byteFor[value] = byteOf(value, through);
    for (const char c : latin1)
        if (!byteFor[static_cast<unsigned char>(c)])
            return false;
    for (char& c : latin1)
        c = *byteFor[static_cast<unsigned char>(c)];
    return true;
}

bool worthReading(const std::string& bytes, Reader reader)
{
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return !ascii && (!readsUtf8Only(reader) || decodeUtf8(bytes));
}

}  // namespace tagshifter
