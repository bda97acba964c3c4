#include "io/frame_guard.h"

#include "common/messages.h"
#include "id3/id3v2.h"

#include <algorithm>
#include <map>
#include <set>

namespace tagshifter::io {

namespace {

bool allZero(std::string_view bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == '\0'; });
}

// Whether a text in `encoding` holds no character but a byte order mark.
bool textEmpty(uint8_t encoding, std::string_view text)
{
    if (encoding != 1 && encoding != 2)
        return allZero(text);
    for (size_t i = 0; i + 1 < text.size(); i += 2) {
        const uint16_t unit = static_cast<uint16_t>(id3::byteAt(text, i) << 8 | id3::byteAt(text, i + 1));
        if (unit != 0 && unit != 0xFEFF && unit != 0xFFFE)
            return false;
    }
    return true;
}

// Whether `text` at `at` starts with a reference to an ID3v1 genre of no
// name, "(n)" for n from 192 to 255: TagLib reads it as no genre. Its length.
size_t unnamedGenreAt(const std::string& text, size_t at)
{
    const size_t close = text.find(')', at);
    if (close == std::string::npos || close - at != 4)
        return 0;
    const std::string number = text.substr(at + 1, 3);
    if (number.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    const int value = std::stoi(number);
    return value >= 192 && value <= 255 ? 5 : 0;
}

// Whether a frame holds nothing: a text frame with no character but a byte
// order mark (or a genre of only empty references "()" and references to
// genres of no name, which TagLib reads as no genre), any other frame with
// only zero bytes.
bool contentEmpty(const std::string& id, std::string_view body)
{
    if (id[0] != 'T' || body.empty())
        return allZero(body);
    const uint8_t encoding = id3::byteAt(body, 0);
    if ((id == "TCON" || id == "TCO") && encoding != 1 && encoding != 2) {
        std::string text(body.substr(1));
        for (size_t at = 0; (at = text.find('(', at)) != std::string::npos;) {
            const size_t length = text.compare(at, 2, "()") == 0 ? 2 : unnamedGenreAt(text, at);
            if (length > 0)
                text.erase(at, length);
            else
                ++at;
        }
        return allZero(text);
    }
    return textEmpty(encoding, body.substr(1));
}

// Whether a COMM frame's text (behind its encoding, language and
// description) holds no character.
bool commentTextEmpty(std::string_view body)
{
    if (body.size() < 4)
        return true;
    const uint8_t encoding = id3::byteAt(body, 0);
    const bool wide = encoding == 1 || encoding == 2;
    size_t at = 4;
    if (wide) {
        while (at + 1 < body.size() && (body[at] != '\0' || body[at + 1] != '\0'))
            at += 2;
        at += 2;
    } else {
        while (at < body.size() && body[at] != '\0')
            ++at;
        at += 1;
    }
    if (at >= body.size())
        return true;
    return textEmpty(encoding, body.substr(at));
}

// Frames whose content starts with a text encoding byte, which TagLib
// takes to read (and write) their text.
bool startsWithEncoding(const std::string& id)
{
    static const std::set<std::string> kIds = {
        "COMM", "COM", "USLT", "ULT", "SYLT", "SLT", "APIC", "PIC", "GEOB", "GEO",
        "WXXX", "WXX", "USER", "OWNE", "COMR", "IPLS", "IPL",
    };
    return id[0] == 'T' || kIds.count(id) > 0;
}

// Whether TagLib writes `id` back with the very bytes it read where the
// frame is well formed: frames of no text (and of Latin-1 links without an
// encoding byte) of ID3v2.3 and 2.4, whose layout the upgrade keeps.
// Chapters hold frames of their own, which are upgraded and converted.
bool keepsItsBytes(const std::string& id, int version)
{
    static const std::set<std::string> kOther = {"CHAP", "CTOC", "GRP1", "MVNM", "MVIN"};
    return version != 2 && id.size() == 4 && !startsWithEncoding(id) && kOther.count(id) == 0;
}

// A digest of `content` with its trailing zeros left out, which TagLib
// may add (an absent play counter) or drop (a link's terminator).
uint64_t digestOf(std::string_view content)
{
    const size_t end = content.find_last_not_of('\0');
    uint64_t digest = 14695981039346656037ull;  // FNV-1a
    for (size_t i = 0; end != std::string_view::npos && i <= end; ++i)
        digest = (digest ^ id3::byteAt(content, i)) * 1099511628211ull;
    return digest;
}

// The link of a WXXX frame: what follows the end of its description (two
// zero bytes on a boundary of two in UTF-16), as TagLib finds it; the whole
// content where there is no end, which TagLib takes for the description.
std::string_view userLink(std::string_view content)
{
    const uint8_t encoding = content.empty() ? 0 : id3::byteAt(content, 0);
    const size_t step = encoding == 1 || encoding == 2 ? 2 : 1;
    for (size_t at = 1; at + step <= content.size(); at += step) {
        if (content.compare(at, step, std::string(step, '\0')) == 0)
            return content.substr(at + step);
    }
    return content;
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

using Ids = std::vector<std::string>;

// ID3v2.2 ids and what they become in ID3v2.4. Where TagLib versions and
// the tool's own frame factory differ, both successors are accepted.
const std::map<std::string, Ids>& v22Successors()
{
    static const std::map<std::string, Ids> table = {
        {"BUF", {"RBUF"}}, {"CNT", {"PCNT"}}, {"COM", {"COMM"}}, {"CRA", {"AENC"}},
        {"ETC", {"ETCO"}}, {"GEO", {"GEOB"}}, {"IPL", {"TIPL", "IPLS", "TMCL"}}, {"MCI", {"MCDI"}},
        {"MLL", {"MLLT"}}, {"PIC", {"APIC"}}, {"POP", {"POPM"}}, {"REV", {"RVRB"}},
        {"SLT", {"SYLT"}}, {"STC", {"SYTC"}}, {"TAL", {"TALB"}}, {"TBP", {"TBPM"}},
        {"TCM", {"TCOM"}}, {"TCO", {"TCON"}}, {"TCP", {"TCMP"}}, {"TCR", {"TCOP"}},
        {"TDY", {"TDLY"}}, {"TEN", {"TENC"}}, {"TFT", {"TFLT"}}, {"TKE", {"TKEY"}},
        {"TLA", {"TLAN"}}, {"TLE", {"TLEN"}}, {"TMT", {"TMED"}}, {"TOA", {"TOPE", "TOAL"}},
        {"TOF", {"TOFN"}}, {"TOL", {"TOLY"}}, {"TOR", {"TDOR", "TORY"}}, {"TOT", {"TOAL"}},
        {"TP1", {"TPE1"}}, {"TP2", {"TPE2"}}, {"TP3", {"TPE3"}}, {"TP4", {"TPE4"}},
        {"TPA", {"TPOS"}}, {"TPB", {"TPUB"}}, {"TRC", {"TSRC"}}, {"TRD", {"TDRC", "TRDA"}},
        {"TRK", {"TRCK"}}, {"TS2", {"TSO2"}}, {"TSA", {"TSOA"}}, {"TSC", {"TSOC"}},
        {"TSP", {"TSOP"}}, {"TSS", {"TSSE"}}, {"TST", {"TSOT"}}, {"TT1", {"TIT1"}},
        {"TT2", {"TIT2"}}, {"TT3", {"TIT3"}}, {"TXT", {"TEXT", "TOLY"}}, {"TXX", {"TXXX"}},
        {"TYE", {"TDRC", "TYER"}}, {"UFI", {"UFID"}}, {"ULT", {"USLT"}}, {"WAF", {"WOAF"}},
        {"WAR", {"WOAR"}}, {"WAS", {"WOAS"}}, {"WCM", {"WCOM"}}, {"WCP", {"WCOP"}},
        {"WPB", {"WPUB"}}, {"WXX", {"WXXX"}},
    };
    return table;
}

// ID3v2.3 ids that ID3v2.4 renamed, and the other way round. TagLib 2.2
// and later move the musicians of an involved people list of an older tag
// into TMCL, and drop the TIPL left without a pair.
const std::map<std::string, Ids> kV23Successors = {
    {"TORY", {"TDOR"}}, {"TYER", {"TDRC"}}, {"IPLS", {"TIPL", "IPLS", "TMCL"}}, {"TIPL", {"TIPL", "TMCL"}},
};
const std::map<std::string, Ids> kV24Predecessors = {
    {"TDOR", {"TORY"}}, {"TDRC", {"TYER"}}, {"TIPL", {"IPLS"}}, {"TMCL", {"IPLS"}},
};

// Frames without a successor in ID3v2.3 (gone from it, or new in ID3v2.4).
const std::set<std::string> kDroppedGoingTo23 = {
    "ASPI", "EQU2", "RVA2", "SEEK", "SIGN", "TDEN", "TDRL", "TDTG",
    "TMOO", "TPRO", "TSOA", "TSOT", "TSST", "TSOP",
};

// The ids a frame of the old tag may have in the new one; empty when the
// upgrade or downgrade drops it.
Ids successors(const std::string& id, int oldVersion, int writtenVersion)
{
    Ids ids{id};
    if (oldVersion == 2 || id.size() == 3) {  // also iTunes' ID3v2.2 frames in ID3v2.3
        const auto found = v22Successors().find(id);
        if (found == v22Successors().end())
            return {};  // no ID3v2.3/2.4 frame to carry it
        ids = found->second;
    } else if (oldVersion == 3 && writtenVersion == 4) {
        if (id3::droppedGoingTo24(id))
            return {};
        const auto found = kV23Successors.find(id);
        if (found != kV23Successors.end())
            ids = found->second;
    }
    if (writtenVersion == 3) {
        Ids down;
        for (const std::string& each : ids) {
            if (kDroppedGoingTo23.count(each))
                continue;
            const auto found = kV24Predecessors.find(each);
            down.push_back(found != kV24Predecessors.end() ? found->second.front() : each);
            down.push_back(each);
        }
        ids = down;
    }
    return ids;
}

}  // namespace

const char* whyNotKept(const RawFrame& frame)
{
    if (frame.groupedOrEncrypted)
        return messages::kFrameGroupedOrEncryptedSuffix;
    if (frame.lengthMisread)
        return messages::kFrameDataLengthSuffix;
    if (frame.unknownEncoding)
        return messages::kFrameUnknownEncodingSuffix;
    return nullptr;
}

std::optional<RawTag> readRawTag(std::string_view all, uint64_t offset)
{
    const auto header = offset <= all.size() ? id3::readTagHeader(all.substr(offset)) : std::nullopt;
    if (!header || offset + header->totalSize() > all.size())
        return std::nullopt;
    RawTag tag;
    tag.version = header->version;
    tag.end = offset + header->totalSize();
    std::string areaSpill;
    const std::string_view area = id3::frameArea(*header, all.substr(offset + 10, header->bodySize), areaSpill);
    const id3::FrameWalk walk = id3::walkFrames(area, tag.version);
    tag.complete = walk.complete;
    tag.frames.reserve(walk.frames.size());
    std::string contentSpill;
    for (id3::Frame frame : walk.frames) {
        RawFrame raw;
        raw.id = frame.id;
        // TagLib undoes the unsynchronisation of every ID3v2.4 frame where
        // the tag's header has it, whatever the frame's own flag says.
        if (tag.version == 4 && header->unsynchronised())
            frame.format |= 0x02;
        const auto content = id3::frameContent(frame, area, tag.version, contentSpill);
        raw.lengthMisread = !id3::dataLengthHolds(frame, area, tag.version, content.value_or(std::string_view()));
        raw.unknownEncoding =
            startsWithEncoding(frame.id) && content && !content->empty() && id3::byteAt(*content, 0) > 3;
        if (content && keepsItsBytes(frame.id, tag.version))
            raw.digest = digestOf(*content);
        else if (content && (frame.id == "WXXX" || frame.id == "WXX"))
            raw.digest = digestOf(userLink(*content));
        else if (content && tag.version != 2 && frame.id.size() == 4)
            raw.digest = fieldsDigest(frame.id, *content, tag.version);
        raw.empty = content && contentEmpty(frame.id, *content);
        if (frame.id[0] == 'T')
            raw.holdsText = content && !raw.empty;
        else if (frame.id == "COMM" || frame.id == "COM")
            raw.holdsText = content && !commentTextEmpty(*content);
        raw.discardOnAlter = frame.status & (tag.version == 3 ? 0x80 : 0x40);
        raw.groupedOrEncrypted = frame.format & (tag.version == 3 ? 0x60 : tag.version == 4 ? 0x44 : 0);
        tag.frames.push_back(std::move(raw));
    }
    return tag;
}

std::optional<std::string> findFrameLoss(const std::vector<RawTag>& oldTags,
                                         const std::optional<RawTag>& newTag, int writtenVersion)
{
    std::vector<const RawFrame*> unused;
    if (newTag) {
        for (const RawFrame& frame : newTag->frames)
            unused.push_back(&frame);
    }
    for (const RawTag& old : oldTags) {
        if (!old.complete)
            return old.frames.empty() ? messages::kUnreadFrames
                                      : messages::kUnreadPastFrame + old.frames.back().id;
        for (const RawFrame& frame : old.frames) {
            if (frame.empty || frame.discardOnAlter)
                continue;
            const Ids ids = successors(frame.id, old.version, writtenVersion);
            if (ids.empty())
                continue;
            if (const char* why = whyNotKept(frame))
                return messages::kFramePrefix + frame.id + why;
            auto has = [&ids](const RawFrame* f) {
                return std::find(ids.begin(), ids.end(), f->id) != ids.end();
            };
            // A frame that still holds something first, and of no text,
            // the same bytes.
            auto match = std::find_if(unused.begin(), unused.end(), [&](const RawFrame* f) {
                return has(f) && !f->empty && (!frame.digest || f->digest == frame.digest);
            });
            if (match == unused.end() && frame.digest
                && std::any_of(unused.begin(), unused.end(), [&](const RawFrame* f) { return has(f) && !f->empty; }))
                return messages::kFramePrefix + frame.id + messages::kFrameChangedSuffix;
            if (match == unused.end()) {
                const bool emptied = std::any_of(unused.begin(), unused.end(), has);
                return messages::kFramePrefix + frame.id
                       + (emptied ? messages::kFrameEmptiedSuffix : messages::kFrameLostSuffix);
            }
            unused.erase(match);
        }
    }
    return std::nullopt;
}

}  // namespace tagshifter::io
