#include "io/frame_guard.h"

#include "common/messages.h"
#include "id3/id3v2.h"
#include "io/frame_fields.h"

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
            // A frame marked to go on any change may go where TagLib
            // does not know it (or it is grouped), never one of text.
            if (frame.empty || (frame.discardOnAlter && (!frame.holdsText || frame.groupedOrEncrypted)))
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
