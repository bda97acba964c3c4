#include "support/id3_reader.h"

#include <algorithm>
#include <cctype>

namespace tagshifter::test {

namespace {

uint8_t byteAt(const std::string& bytes, size_t offset)
{
    return static_cast<uint8_t>(bytes[offset]);
}

uint32_t bigEndianAt(const std::string& bytes, size_t offset, int count)
{
    uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << 8) | byteAt(bytes, offset + static_cast<size_t>(i));
    return value;
}

uint32_t littleEndian32At(const std::string& bytes, size_t offset)
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | byteAt(bytes, offset + static_cast<size_t>(i));
    return value;
}

std::optional<uint32_t> syncSafeAt(const std::string& bytes, size_t offset)
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        if (byteAt(bytes, offset + i) >= 0x80)
            return std::nullopt;
        value = (value << 7) | byteAt(bytes, offset + i);
    }
    return value;
}

// Removes the zero that unsynchronisation put after each 0xFF.
std::string resynchronise(const std::string& bytes)
{
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        if (byteAt(bytes, i) == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == '\0')
            ++i;
    }
    return out;
}

// A footer stands only in ID3v2.4, and only where "3DI" is written behind
// the body: the flag alone makes none.
bool footerAt(const std::string& file, size_t at, int version, uint8_t flags, uint32_t bodySize)
{
    const size_t footer = at + 10 + bodySize;
    return version == 4 && (flags & 0x10) != 0 && footer + 10 <= file.size()
           && file.compare(footer, 3, "3DI") == 0;
}

struct Id3v2Header {
    int majorVersion = 0;
    uint8_t flags = 0;
    uint32_t bodySize = 0;
    size_t totalSize = 0;  // header, body and footer
};

std::optional<Id3v2Header> id3v2Header(const std::string& file)
{
    if (file.size() < 10 || file.compare(0, 3, "ID3") != 0)
        return std::nullopt;
    const int version = byteAt(file, 3);
    const auto size = syncSafeAt(file, 6);
    if (version < 2 || version > 4 || byteAt(file, 4) == 0xFF || !size)
        return std::nullopt;
    Id3v2Header header{version, byteAt(file, 5), *size, 10 + static_cast<size_t>(*size)};
    if (footerAt(file, 0, version, header.flags, *size))
        header.totalSize += 10;
    return header;
}

// The bytes an ID3v2 tag starting at `at` covers: header, body and footer.
// Size bytes that are not sync-safe make a tag of the header alone.
size_t id3v2TagSpan(const std::string& file, size_t at)
{
    if (at + 10 > file.size())
        return file.size() - at;
    const auto size = syncSafeAt(file, at + 6);
    if (!size)
        return 10;
    const bool footer = footerAt(file, at, byteAt(file, at + 3), byteAt(file, at + 5), *size);
    return 10 + static_cast<size_t>(*size) + (footer ? 10 : 0);
}

// The length of the MPEG audio frame whose header starts at `at`, or 0 when
// no valid header starts there.
size_t mpegFrameLength(const std::string& bytes, size_t at)
{
    static const uint16_t kBitrates[2][3][16] = {
        {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
         {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
        {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}}};
    static const uint32_t kRates[3] = {44100, 48000, 32000};
    if (at + 4 > bytes.size() || byteAt(bytes, at) != 0xFF || (byteAt(bytes, at + 1) & 0xE0) != 0xE0)
        return 0;
    const int version = (byteAt(bytes, at + 1) >> 3) & 3;  // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    const int layer = 4 - ((byteAt(bytes, at + 1) >> 1) & 3);
    const int bitrateIndex = byteAt(bytes, at + 2) >> 4;
    const int rateIndex = (byteAt(bytes, at + 2) >> 2) & 3;
    if (version == 1 || layer == 4 || rateIndex == 3)
        return 0;
    const uint32_t bitrate = kBitrates[version == 3 ? 0 : 1][layer - 1][bitrateIndex] * 1000u;
    if (bitrate == 0)
        return 0;
    const uint32_t rate = kRates[rateIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    const uint32_t padding = (byteAt(bytes, at + 2) >> 1) & 1;
    if (layer == 1)
        return (12 * bitrate / rate + padding) * 4;
    const uint32_t factor = layer == 3 && version != 3 ? 72 : 144;
    return factor * bitrate / rate + padding;
}

void appendUtf8(std::string& out, uint32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string utf16ToUtf8(const std::string& bytes, bool bigEndian)
{
    std::string out;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        uint32_t unit = bigEndian ? (byteAt(bytes, i) << 8) | byteAt(bytes, i + 1)
                                  : (byteAt(bytes, i + 1) << 8) | byteAt(bytes, i);
        if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size()) {
            const uint32_t low = bigEndian ? (byteAt(bytes, i + 2) << 8) | byteAt(bytes, i + 3)
                                           : (byteAt(bytes, i + 3) << 8) | byteAt(bytes, i + 2);
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        appendUtf8(out, unit);
    }
    return out;
}

// The offset of the terminator of a string in `encoding` starting at `from`,
// or the end of `body`.
size_t terminatorAt(const std::string& body, size_t from, uint8_t encoding)
{
    if (encoding == 1 || encoding == 2) {
        for (size_t i = from; i + 1 < body.size(); i += 2)
            if (body[i] == '\0' && body[i + 1] == '\0')
                return i;
        return body.size();
    }
    const size_t zero = body.find('\0', from);
    return zero == std::string::npos ? body.size() : zero;
}

std::string cutTrailingZeros(std::string text)
{
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

std::string v22Id(const std::string& id)
{
    if (id == "TIT2") return "TT2";
    if (id == "TPE1") return "TP1";
    if (id == "TALB") return "TAL";
    if (id == "COMM") return "COM";
    if (id == "TCON") return "TCO";
    return id;
}

}  // namespace

size_t firstMpegFrame(const std::string& bytes, size_t from)
{
    for (size_t at = bytes.find('\xFF', from); at != std::string::npos && at + 4 <= bytes.size();
         at = bytes.find('\xFF', at + 1)) {
        const size_t length = mpegFrameLength(bytes, at);
        if (length == 0 || at + length + 4 > bytes.size())
            continue;
        const size_t next = at + length;
        if (byteAt(bytes, next) == 0xFF && (byteAt(bytes, next + 1) & 0xFE) == (byteAt(bytes, at + 1) & 0xFE)
            && (byteAt(bytes, next + 2) & 0x0C) == (byteAt(bytes, at + 2) & 0x0C))
            return at;
    }
    return std::string::npos;
}

FileParts locateParts(const std::string& file)
{
    FileParts parts;
    size_t tag = std::string::npos;
    if (file.compare(0, 3, "ID3") == 0) {
        tag = 0;
    } else {
        const size_t id3 = file.find("ID3");
        if (id3 != std::string::npos && id3 < firstMpegFrame(file))
            tag = id3;
    }
    if (tag != std::string::npos) {
        parts.hasId3v2 = true;
        parts.tagBegin = tag;
        size_t end = tag;
        do
            end = std::min(end + id3v2TagSpan(file, end), file.size());
        while (file.compare(end, 3, "ID3") == 0 && end + 10 <= file.size());
        parts.audioBegin = end;
    }
    size_t end = file.size();
    if (end >= parts.audioBegin + 128 && file.compare(end - 128, 3, "TAG") == 0) {
        parts.hasId3v1 = true;
        end -= 128;
    }
    if (end >= parts.audioBegin + 32 && file.compare(end - 32, 8, "APETAGEX") == 0) {
        const uint64_t itemsAndFooter = littleEndian32At(file, end - 32 + 12);
        const bool withHeader = (littleEndian32At(file, end - 32 + 20) & 0x80000000u) != 0;
        const uint64_t whole = itemsAndFooter + (withHeader ? 32 : 0);
        if (itemsAndFooter >= 32 && whole <= end - parts.audioBegin) {
            parts.hasApe = true;
            end -= static_cast<size_t>(whole);
        }
    }
    parts.audioEnd = end;
    return parts;
}

std::string audioBytes(const std::string& file)
{
    const FileParts parts = locateParts(file);
    return file.substr(0, parts.tagBegin) + file.substr(parts.audioBegin, parts.audioEnd - parts.audioBegin);
}

std::optional<Id3v2Contents> readId3v2(const std::string& file)
{
    const auto header = id3v2Header(file);
    if (!header || 10 + static_cast<size_t>(header->bodySize) > file.size())
        return std::nullopt;
    Id3v2Contents tag;
    tag.majorVersion = header->majorVersion;
    std::string body = file.substr(10, header->bodySize);
    if (header->majorVersion < 4 && (header->flags & 0x80) != 0)
        body = resynchronise(body);

    size_t at = 0;
    if (header->majorVersion == 3 && (header->flags & 0x40) != 0 && body.size() >= 4)
        at = 4 + bigEndianAt(body, 0, 4);
    if (header->majorVersion == 4 && (header->flags & 0x40) != 0 && body.size() >= 4)
        at = syncSafeAt(body, 0).value_or(static_cast<uint32_t>(body.size()));

    const size_t idSize = header->majorVersion == 2 ? 3 : 4;
    const size_t headerSize = header->majorVersion == 2 ? 6 : 10;
    while (at + headerSize <= body.size() && body[at] != '\0') {
        Id3v2Frame frame;
        frame.id = body.substr(at, idSize);
        uint32_t size = 0;
        uint8_t formatFlags = 0;
        if (header->majorVersion == 2) {
            size = bigEndianAt(body, at + 3, 3);
        } else if (header->majorVersion == 3) {
            size = bigEndianAt(body, at + 4, 4);
        } else {
            // Some writers put plain numbers here: the reading that lands on
            // the next frame, on padding or on the end wins.
            auto lands = [&](uint64_t frameSize) {
                const uint64_t next = at + headerSize + frameSize;
                return next == body.size()
                       || (next < body.size() && (body[next] == '\0' || std::isupper(byteAt(body, next))));
            };
            const uint32_t plain = bigEndianAt(body, at + 4, 4);
            const auto safe = syncSafeAt(body, at + 4);
            size = safe && (lands(*safe) || !lands(plain)) ? *safe : plain;
            formatFlags = byteAt(body, at + 9);
        }
        if (at + headerSize + size > body.size())
            break;
        frame.body = body.substr(at + headerSize, size);
        if ((formatFlags & 0x02) != 0)
            frame.body = resynchronise(frame.body);
        if ((formatFlags & 0x01) != 0)  // data length indicator
            frame.body = frame.body.substr(std::min<size_t>(4, frame.body.size()));
        tag.frames.push_back(frame);
        at += headerSize + size;
    }
    return tag;
}

std::optional<FrameText> frameText(const Id3v2Contents& tag, const std::string& id)
{
    const std::string wanted = tag.majorVersion == 2 ? v22Id(id) : id;
    for (const Id3v2Frame& frame : tag.frames) {
        if (frame.id != wanted || frame.body.empty())
            continue;
        FrameText text;
        text.encoding = byteAt(frame.body, 0);
        size_t start = 1;
        if (id == "COMM") {
            const size_t description = terminatorAt(frame.body, 4, text.encoding);
            start = description + (text.encoding == 1 || text.encoding == 2 ? 2 : 1);
            if (start > frame.body.size())
                start = frame.body.size();
        }
        text.bytes = frame.body.substr(start, terminatorAt(frame.body, start, text.encoding) - start);
        return text;
    }
    return std::nullopt;
}

std::string toUtf8(const FrameText& text)
{
    std::string out;
    switch (text.encoding) {
    case 0:
        for (char c : text.bytes)
            appendUtf8(out, static_cast<uint8_t>(c));
        return out;
    case 1:
        if (text.bytes.size() >= 2 && byteAt(text.bytes, 0) == 0xFE && byteAt(text.bytes, 1) == 0xFF)
            return utf16ToUtf8(text.bytes.substr(2), true);
        if (text.bytes.size() >= 2 && byteAt(text.bytes, 0) == 0xFF && byteAt(text.bytes, 1) == 0xFE)
            return utf16ToUtf8(text.bytes.substr(2), false);
        return utf16ToUtf8(text.bytes, false);
    case 2:
        return utf16ToUtf8(text.bytes, true);
    default:
        return text.bytes;
    }
}

std::vector<DescribedText> describedTexts(const Id3v2Contents& tag)
{
    std::vector<DescribedText> texts;
    for (const Id3v2Frame& frame : tag.frames) {
        const bool withLanguage = frame.id == "COMM" || frame.id == "USLT";
        const bool withDescription = withLanguage || frame.id == "TXXX";
        if ((frame.id.empty() || frame.id[0] != 'T') && !withLanguage)
            continue;
        if (frame.body.empty())
            continue;
        DescribedText entry;
        entry.id = frame.id;
        entry.encoding = byteAt(frame.body, 0);
        const size_t step = entry.encoding == 1 || entry.encoding == 2 ? 2 : 1;
        size_t at = std::min<size_t>(withLanguage ? 4 : 1, frame.body.size());
        if (withDescription) {
            const size_t end = terminatorAt(frame.body, at, entry.encoding);
            entry.description = toUtf8({entry.encoding, frame.body.substr(at, end - at)});
            at = std::min(end + step, frame.body.size());
        }
        const size_t end = terminatorAt(frame.body, at, entry.encoding);
        entry.text = toUtf8({entry.encoding, frame.body.substr(at, end - at)});
        texts.push_back(entry);
    }
    return texts;
}

std::optional<Id3v1Contents> readId3v1(const std::string& file)
{
    if (file.size() < 128 || file.compare(file.size() - 128, 3, "TAG") != 0)
        return std::nullopt;
    const std::string block = file.substr(file.size() - 128);
    Id3v1Contents tag;
    tag.title = cutTrailingZeros(block.substr(3, 30));
    tag.artist = cutTrailingZeros(block.substr(33, 30));
    tag.album = cutTrailingZeros(block.substr(63, 30));
    tag.year = cutTrailingZeros(block.substr(93, 4));
    // ID3v1.1 keeps the track in the last two bytes of the comment.
    const bool v11 = block[125] == '\0' && block[126] != '\0';
    tag.comment = cutTrailingZeros(block.substr(97, v11 ? 28 : 30));
    tag.genre = byteAt(block, 127);
    return tag;
}

}  // namespace tagshifter::test
