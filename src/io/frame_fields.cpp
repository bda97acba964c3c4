#include "io/frame_fields.h"

#include "id3/id3v2.h"

#include <algorithm>
#include <set>

namespace tagshifter::io {

namespace {

bool allZero(std::string_view bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == '\0'; });
}

// Frames of fields TagLib parses and renders again, in the frame factory's
// text encoding: what they mean is read here as TagLib reads it (texts as
// characters, whatever their encoding) and must come back the same. One
// that TagLib cannot read as it stands (a string without its end, a UTF-16
// text without its byte order mark, a count its entries belie) is not
// rendered as it was: it must come back with its very bytes.
class FieldReader {
public:
    FieldReader(std::string_view content, uint8_t encoding) : content_(content), encoding_(encoding) {}

    bool fits(size_t length) const { return at_ + length <= content_.size(); }
    bool atEnd() const { return at_ == content_.size(); }
    // Bytes kept as they are.
    bool bytes(size_t length)
    {
        if (!fits(length))
            return false;
        add(content_.substr(at_, length));
        at_ += length;
        return true;
    }
    bool rest() { return bytes(content_.size() - at_); }
    // A picture or an object behind the fields, which TagLib keeps as it
    // is: where the fields end is what a misreading would move, so its
    // length and its ends tell it; a cover is not read through twice a save.
    bool blob()
    {
        const size_t length = content_.size() - at_;
        const size_t ends = std::min<size_t>(length, 64);
        add(std::to_string(length));
        add(content_.substr(at_, ends));
        add(content_.substr(content_.size() - ends));
        at_ = content_.size();
        return true;
    }
    // A string up to its end (one zero byte, two on a boundary of two in
    // UTF-16), in the frame's encoding or Latin-1. `bom`: for UTF-16 texts
    // that need not carry their own (SYLT's lines), the order to read them
    // in (1 big, 2 little endian), set by the first that has one where 0;
    // -1: none.
    bool terminated(bool latin1 = false, int* bom = nullptr)
    {
        const bool wide = !latin1 && (encoding_ == 1 || encoding_ == 2);
        const size_t step = wide ? 2 : 1;
        for (size_t end = at_; end + step <= content_.size(); end += step) {
            if (content_.compare(end, step, std::string_view("\0\0", step)) != 0)
                continue;
            const bool read = text(content_.substr(at_, end - at_), latin1 ? 0 : encoding_, bom);
            at_ = end + step;
            return read;
        }
        return false;
    }
    // A text that runs to the end of the content, which TagLib reads up to
    // its first zero character: only zero bytes may follow that.
    bool textToEnd()
    {
        const size_t step = encoding_ == 1 || encoding_ == 2 ? 2 : 1;
        size_t end = at_;
        while (end + step <= content_.size() && content_.compare(end, step, std::string_view("\0\0", step)) != 0)
            end += step;
        if (end + step > content_.size())
            end = content_.size();  // no end; an odd byte of UTF-16 left over TagLib drops
        if (!allZero(content_.substr(end)) || (end - at_) % step != 0)
            return false;
        const bool read = text(content_.substr(at_, end - at_), encoding_, nullptr);
        at_ = content_.size();
        return read;
    }
    uint64_t digest() const { return digest_; }
    // The characters of the last text read.
    size_t characters() const { return characters_; }

private:
    void add(std::string_view bytes)
    {
        for (const char c : bytes)
            digest_ = (digest_ ^ static_cast<uint8_t>(c)) * 1099511628211ull;
    }
    void addCharacter(uint32_t character)
    {
        ++characters_;
        const char units[4] = {static_cast<char>(character >> 24), static_cast<char>(character >> 16),
                               static_cast<char>(character >> 8), static_cast<char>(character)};
        add(std::string_view(units, 4));
    }
    // Adds the characters of `bytes`, a text in `encoding`; false where
    // TagLib reads them otherwise (or not at all).
    bool text(std::string_view bytes, uint8_t encoding, int* bom)
    {
        add(std::string_view("\0\0\0\0\x01", 5));  // where a text starts
        characters_ = 0;
        if (encoding == 0) {
            for (const char c : bytes)
                addCharacter(static_cast<uint8_t>(c));
            return true;
        }
        if (encoding == 3)
            return utf8(bytes);
        if (bytes.size() % 2 != 0)
            return false;
        bool bigEndian = encoding == 2;
        if (encoding == 1 && !bytes.empty()) {
            const uint16_t mark = static_cast<uint16_t>(id3::byteAt(bytes, 0) << 8 | id3::byteAt(bytes, 1));
            if (mark == 0xFEFF || mark == 0xFFFE) {
                bigEndian = mark == 0xFEFF;
                bytes.remove_prefix(2);
                if (bom && *bom == 0)
                    *bom = bigEndian ? 1 : 2;
            } else if (bom && *bom > 0) {
                bigEndian = *bom == 1;
            } else {
                return false;  // read as no text
            }
        }
        for (size_t i = 0; i < bytes.size(); i += 2) {
            auto unit = [&](size_t at) {
                const uint16_t first = id3::byteAt(bytes, at), second = id3::byteAt(bytes, at + 1);
                return static_cast<uint16_t>(bigEndian ? first << 8 | second : second << 8 | first);
            };
            uint32_t character = unit(i);
            if (character >= 0xDC00 && character < 0xE000)
                return false;
            if (character >= 0xD800 && character < 0xDC00) {
                if (i + 3 >= bytes.size() || unit(i + 2) < 0xDC00 || unit(i + 2) >= 0xE000)
                    return false;
                character = 0x10000 + ((character - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
                i += 2;
            }
            addCharacter(character);
        }
        return true;
    }
    bool utf8(std::string_view bytes)
    {
        for (size_t i = 0; i < bytes.size();) {
            const uint8_t lead = id3::byteAt(bytes, i);
            const size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3
                                                    : lead >= 0xF0 && lead < 0xF5                ? 4
                                                                                                 : 0;
            if (length == 0 || i + length > bytes.size())
                return false;
            uint32_t character = length == 1 ? lead : lead & (0x7F >> length);
            for (size_t k = 1; k < length; ++k) {
                const uint8_t next = id3::byteAt(bytes, i + k);
                if ((next & 0xC0) != 0x80)
                    return false;
                character = character << 6 | (next & 0x3F);
            }
            static const uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
            if (character < kLeast[length] || character > 0x10FFFF || (character >= 0xD800 && character < 0xE000))
                return false;
            addCharacter(character);
            i += length;
        }
        return true;
    }

    std::string_view content_;
    uint8_t encoding_;
    size_t at_ = 0;
    size_t characters_ = 0;
    uint64_t digest_ = 14695981039346656037ull;  // FNV-1a
};

// The head of a CTOC frame (its id, flags and the ids of its entries), as
// TagLib reads it: the entries its count gives, the frames it holds behind
// them read to the end. Those frames are converted as any.
bool readContents(FieldReader& reader, std::string_view content, int version)
{
    if (content.size() < 6 || !reader.terminated(true) || !reader.fits(2))
        return false;
    const size_t flagsAt = content.find('\0') + 1;
    const uint8_t flags = id3::byteAt(content, flagsAt);
    const uint8_t count = id3::byteAt(content, flagsAt + 1);
    if ((flags & ~0x03) != 0 || !reader.bytes(2))
        return false;  // TagLib keeps two flags alone
    for (unsigned i = 0; i < count; ++i)
        if (!reader.terminated(true))
            return false;
    size_t embedded = flagsAt + 2;
    for (unsigned i = 0; i < count; ++i)
        embedded = content.find('\0', embedded) + 1;
    const std::string_view frames = content.substr(embedded);
    const id3::FrameWalk walk = id3::walkFrames(frames, version);
    const size_t end = walk.frames.empty() ? 0 : walk.frames.back().at + walk.frames.back().size;
    return walk.complete && allZero(frames.substr(end));
}

}  // namespace

// The digest of what a frame of fields means, TagLib's way of reading it;
// nothing for frames not read so here. `id`: of an ID3v2.3 or 2.4 frame.
std::optional<uint64_t> fieldsDigest(const std::string& id, std::string_view content, int version)
{
    static const std::set<std::string> kIds = {"APIC", "GEOB", "SYLT", "OWNE", "CTOC"};
    if (kIds.count(id) == 0)
        return std::nullopt;
    const uint8_t encoding = content.empty() ? 0 : id3::byteAt(content, 0);
    FieldReader reader(content.substr(id == "CTOC" ? 0 : 1), encoding);
    bool read = false;
    if (id == "APIC") {
        // MIME type, picture type, description, picture
        read = content.size() >= 5 && reader.terminated(true) && reader.bytes(1) && reader.terminated()
               && reader.blob();
    } else if (id == "GEOB") {
        // MIME type, file name, description, object
        read = content.size() >= 4 && reader.terminated(true) && reader.terminated() && reader.terminated()
               && reader.blob();
    } else if (id == "SYLT") {
        // language, time stamp format, content type, description, then lines
        // of text each with its time; TagLib stops at an empty one.
        int bom = 0;
        read = content.size() >= 7 && reader.bytes(5) && reader.terminated(false, &bom);
        if (bom == 0)
            bom = -1;  // the lines' order comes from the description alone
        while (read && !reader.atEnd())
            read = reader.terminated(false, &bom) && reader.characters() > 0 && reader.bytes(4);
    } else if (id == "OWNE") {
        // price paid, date of purchase (eight characters), seller
        read = reader.terminated(true) && reader.fits(8) && reader.bytes(8) && reader.textToEnd();
    } else {
        read = readContents(reader, content, version);
    }
    if (read)
        return reader.digest();
    // Not read as it stands: only its very bytes keep it.
    FieldReader asItIs(content, 0);
    asItIs.rest();
    return asItIs.digest() ^ 0x5A5A5A5A5A5A5A5Aull;
}

}  // namespace tagshifter::io
