#include "id3/id3v2.h"

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

// Takes out the zero that unsynchronisation puts behind every 0xFF.
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
    return header;
}

std::string frameArea(const TagHeader& header, std::string_view body)
{
    std::string area = header.version < 4 && header.unsynchronised() ? resynchronise(body)
                                                                      : std::string(body);
    if (!header.hasExtendedHeader() || area.size() < 4)
        return area;
    // ID3v2.3 counts the size without its own four bytes, ID3v2.4 with them.
    const auto v24Size = syncSafe(area, 0);
    const uint64_t skip = header.version == 3 ? 4 + uint64_t{bigEndian(area, 0, 4)}
                          : header.version == 4 && v24Size ? *v24Size
                                                           : area.size();
    return area.substr(std::min<uint64_t>(skip, area.size()));
}

FrameWalk walkFrames(std::string_view area, int version)
{
    const size_t idSize = version == 2 ? 3 : 4;
    const size_t headerSize = version == 2 ? 6 : 10;
    FrameWalk walk;
    walk.frames.reserve(16);
    size_t at = 0;
    // As TagLib: a frame header must leave a byte; a zero byte starts padding.
    while (at + headerSize < area.size() && area[at] != '\0') {
        Frame frame;
        frame.id = std::string(area.substr(at, idSize));
        if (version == 3 && frame.id[3] == '\0')
            frame.id.pop_back();
        if (!validId(frame.id))
            return walk;
        if (version == 2) {
            frame.size = bigEndian(area, at + 3, 3);
        } else {
            frame.size = version == 3 ? bigEndian(area, at + 4, 4) : v24FrameSize(area, at);
            frame.status = byteAt(area, at + 8);
            frame.format = byteAt(area, at + 9);
        }
        const uint32_t least = version == 4 && (frame.format & 0x01) ? 4 : 0;  // data length
        if (frame.size <= least || frame.size > area.size() - at - headerSize)
            return walk;
        frame.at = at + headerSize;
        at = frame.at + frame.size;
        walk.frames.push_back(std::move(frame));
    }
    walk.complete = true;
    return walk;
}

std::optional<std::string> frameContent(const Frame& frame, std::string_view area, int version)
{
    std::string content(area.substr(frame.at, frame.size));
    if (version == 3) {
        if (frame.format & 0xC0)
            return std::nullopt;  // compressed or encrypted
        if (frame.format & 0x20)
            content.erase(0, 1);  // group id
    } else if (version == 4) {
        if (frame.format & 0x0C)
            return std::nullopt;
        if (frame.format & 0x40)
            content.erase(0, 1);
        if (frame.format & 0x01)
            content.erase(0, 4);  // data length indicator
        if (frame.format & 0x02)
            content = resynchronise(content);
    }
    return content;
}

bool droppedGoingTo24(std::string_view id)
{
    return id == "TDAT" || id == "TIME" || id == "TRDA" || id == "TSIZ" || id == "EQUA"
           || id == "RVAD";
}

}  // namespace tagshifter::id3
