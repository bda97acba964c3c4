#include "id3/id3v2.h"

#include "id3/inflated_size.h"

#include <algorithm>

namespace tagshifter::id3 {

uint8_t byteAt(std::string_view bytes, size_t at)
{
    return static_cast<uint8_t>(bytes[at]);
}

namespace {

uint32_t bigEndian(std::string_view bytes, size_t at, int count)
{
    uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << 8) | byteAt(bytes, at + static_cast<size_t>(i));
    return value;
}

// Four bytes of seven bits each; nothing when a byte has its top bit set.
std::optional<uint32_t> syncSafe(std::string_view bytes, size_t at)
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        const uint8_t b = byteAt(bytes, at + i);
        if (b & 0x80)
            return std::nullopt;
        value = (value << 7) | b;
    }
    return value;
}

bool validId(std::string_view id)
{
    return std::all_of(id.begin(), id.end(),
                       [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); });
}

// A four-character frame id at `at`, inside `area`.
bool frameIdAt(std::string_view area, uint64_t at)
{
    return at + 4 <= area.size() && validId(area.substr(at, 4));
}

// TagLib's reading of an ID3v2.4 frame size: sync-safe where it can be and
// where it leads to the next frame, else a plain number.
uint32_t v24FrameSize(std::string_view area, size_t at)
{
    const uint32_t plain = bigEndian(area, at + 4, 4);
    const uint32_t size = syncSafe(area, at + 4).value_or(plain);
    if (size > 127 && !frameIdAt(area, at + 10 + uint64_t{size})
        && frameIdAt(area, at + 10 + uint64_t{plain}))
        return plain;
    return size;
}

}  // namespace

std::string resynchronise(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        if (byteAt(bytes, i) == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == '\0')
            ++i;
    }
    return out;
}

std::optional<TagHeader> readTagHeader(std::string_view head)
{
    if (head.size() < 10 || head.compare(0, 3, "ID3") != 0)
        return std::nullopt;
    TagHeader header;
    header.version = byteAt(head, 3);
    header.flags = byteAt(head, 5);
    const auto size = syncSafe(head, 6);
    if (header.version < 2 || header.version > 4 || byteAt(head, 4) == 0xFF || !size)
        return std::nullopt;
    header.bodySize = *size;
    if (head.size() >= 10 + uint64_t{header.bodySize})
        header.footer = footerStands(header, head.substr(10 + uint64_t{header.bodySize}));
    return header;
}

bool footerStands(const TagHeader& header, std::string_view behind)
{
    return header.version == 4 && header.claimsFooter() && behind.size() >= 10
           && behind.compare(0, 3, "3DI") == 0;
}

std::vector<PlacedTag> tagChain(const ReadBytes& read, uint64_t offset, size_t most)
{
    std::vector<PlacedTag> chain;
    while (chain.size() < most) {
        const std::string head = read(offset, 10);
        if (head.size() < 10 || head.compare(0, 3, "ID3") != 0)
            break;
        // As TagLib spans them: any version but 0xFF; a size that is not
        // sync-safe makes a tag of the header alone, its flags unread.
        TagHeader header;
        const auto size = syncSafe(head, 6);
        if (size && byteAt(head, 3) != 0xFF && byteAt(head, 4) != 0xFF) {
            header.version = byteAt(head, 3);
            header.flags = byteAt(head, 5);
            header.bodySize = *size;
        }
        if (header.claimsFooter())
            header.footer = footerStands(header, read(offset + 10 + header.bodySize, 10));
        chain.push_back({offset, header});
        offset = chain.back().end();
    }
    return chain;
}

std::string frameArea(const TagHeader& header, std::string_view body)
{
    std::string spill;
    return std::string(frameArea(header, body, spill));
}

std::string_view frameArea(const TagHeader& header, std::string_view body, std::string& spill)
{
    std::string_view area = body;
    if (header.version < 4 && header.unsynchronised()) {
        spill = resynchronise(body);
        area = spill;
    }
    if (!header.hasExtendedHeader() || area.size() < 4)
        return area;
    return area.substr(extendedHeaderLength(header, area));
}

uint64_t extendedHeaderLength(const TagHeader& header, std::string_view area)
{
    if (area.size() < 4)
        return 0;
    // ID3v2.3 counts the size without its own four bytes; where that fits,
    // TagLib is handed it counted its way (see StagedFile).
    const uint64_t v23Size = 4 + uint64_t{bigEndian(area, 0, 4)};
    if (header.version == 3 && v23Size <= area.size())
        return v23Size;
    // TagLib's reading, of any version (the compression bit of ID3v2.2
    // included): sync-safe, else a plain number; skipped only where it
    // fits, else the frames are looked for from the first byte.
    const uint64_t size = syncSafe(area, 0).value_or(bigEndian(area, 0, 4));
    return size <= area.size() ? size : 0;
}

std::optional<Frame> frameAt(std::string_view area, size_t at, int version)
{
    const size_t idSize = version == 2 ? 3 : 4;
    const size_t headerSize = version == 2 ? 6 : 10;
    // As TagLib: a frame header must leave a byte; a zero byte starts padding.
    if (at >= area.size() || area.size() - at <= headerSize || area[at] == '\0')
        return std::nullopt;
    Frame frame;
    frame.id = std::string(area.substr(at, idSize));
    if (version == 3 && frame.id[3] == '\0')
        frame.id.pop_back();
    if (!validId(frame.id))
        return std::nullopt;
    if (version == 2) {
        frame.size = bigEndian(area, at + 3, 3);
    } else {
        frame.size = version == 3 ? bigEndian(area, at + 4, 4) : v24FrameSize(area, at);
        frame.status = byteAt(area, at + 8);
        frame.format = byteAt(area, at + 9);
    }
    const uint32_t least = version == 4 && (frame.format & 0x01) ? 4 : 0;  // data length
    if (frame.size <= least || frame.size > area.size() - at - headerSize)
        return std::nullopt;
    frame.at = at + headerSize;
    return frame;
}

FrameWalk walkFrames(std::string_view area, int version)
{
    FrameWalk walk;
    walk.frames.reserve(16);
    size_t at = 0;
    const size_t headerSize = version == 2 ? 6 : 10;
    while (at + headerSize < area.size() && area[at] != '\0') {
        auto frame = frameAt(area, at, version);
        if (!frame)
            return walk;
        at = frame->at + frame->size;
        walk.frames.push_back(std::move(*frame));
    }
    // A frame standing behind the zeros, right there or behind stray bytes,
    // is one TagLib never reads, and a save would drop: the walk did not
    // reach it.
    walk.complete = true;
    for (size_t behind = area.find_first_not_of('\0', at); behind != std::string_view::npos;
         behind = area.find_first_not_of('\0', behind + 1)) {
        if (frameAt(area, behind, version)) {
            walk.complete = false;
            break;
        }
    }
    return walk;
}

std::optional<std::string_view> frameContent(const Frame& frame, std::string_view area, int version,
                                             std::string& spill)
{
    std::string_view content = area.substr(frame.at, frame.size);
    if (version == 3) {
        if (frame.format & 0xC0)
            return std::nullopt;  // compressed or encrypted
        if (frame.format & 0x20)
            content.remove_prefix(std::min<size_t>(1, content.size()));  // group id
    } else if (version == 4) {
        if (frame.format & 0x0C)
            return std::nullopt;
        if (frame.format & 0x40)
            content.remove_prefix(std::min<size_t>(1, content.size()));
        if (frame.format & 0x01)
            content.remove_prefix(std::min<size_t>(4, content.size()));  // data length indicator
        if (frame.format & 0x02) {
            spill = resynchronise(content);
            content = spill;
        }
    }
    return content;
}

bool dataLengthHolds(const Frame& frame, std::string_view area, int version, std::string_view content)
{
    // TagLib reads the size an ID3v2.3 frame gives its data before
    // compression sync-safe where it can, and inflates only that much.
    if (version == 3 && (frame.format & 0x80) && frame.size >= 4) {
        const uint32_t plain = bigEndian(area, frame.at, 4);
        return syncSafe(area, frame.at).value_or(plain) == plain;
    }
    if (version != 4 || !(frame.format & 0x01) || frame.size < 4)
        return true;
    // Read as TagLib reads it: sync-safe, else a plain number.
    const uint32_t length = syncSafe(area, frame.at).value_or(bigEndian(area, frame.at, 4));
    if (frame.format & 0x08) {
        // Compressed: TagLib 2 inflates as much as the indicator says, so a
        // wrong one cuts the text it writes back.
        std::string_view data = area.substr(frame.at + 4, frame.size - 4);
        std::string spill;
        if (frame.format & 0x02)
            data = spill = resynchronise(data);
        return inflatedSize(data, length) == std::optional<uint64_t>(length);
    }
    return length == content.size();
}

bool droppedGoingTo24(std::string_view id)
{
    return id == "TDAT" || id == "TIME" || id == "TRDA" || id == "TSIZ" || id == "EQUA"
           || id == "RVAD";
}

}  // namespace tagshifter::id3
