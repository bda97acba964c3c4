#include "io/id3v2_walker.h"

#include <algorithm>

namespace tagshifter::io {

namespace {

uint8_t byteAt(const std::string& bytes, size_t at)
{
    return static_cast<uint8_t>(bytes[at]);
}

uint32_t bigEndian(const std::string& bytes, size_t at, int count)
{
    uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << 8) | byteAt(bytes, at + static_cast<size_t>(i));
    return value;
}

std::optional<uint32_t> syncSafe(const std::string& bytes, size_t at)
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
std::string resynchronise(const std::string& bytes)
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

bool validId(const std::string& id)
{
    return std::all_of(id.begin(), id.end(),
                       [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); });
}

bool allZero(const std::string& bytes, size_t from)
{
    return std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(std::min(from, bytes.size())),
                       bytes.end(), [](char c) { return c == '\0'; });
}

// Whether a frame holds nothing: a text frame with no character but a byte
// order mark, any other frame with only zero bytes.
bool contentEmpty(const std::string& id, const std::string& body)
{
    if (id[0] != 'T' || body.empty())
        return allZero(body, 0);
    const uint8_t encoding = byteAt(body, 0);
    if (encoding != 1 && encoding != 2)
        return allZero(body, 1);
    for (size_t i = 1; i + 1 < body.size(); i += 2) {
        const uint16_t unit = static_cast<uint16_t>(byteAt(body, i) << 8 | byteAt(body, i + 1));
        if (unit != 0 && unit != 0xFEFF && unit != 0xFFFE)
            return false;
    }
    return true;
}

}  // namespace

std::optional<uint64_t> id3v2TagSize(const std::string& head)
{
    if (head.size() < 10 || head.compare(0, 3, "ID3") != 0)
        return std::nullopt;
    const uint8_t version = byteAt(head, 3);
    if (version < 2 || version > 4 || byteAt(head, 4) == 0xFF)
        return std::nullopt;
    const auto size = syncSafe(head, 6);
    if (!size)
        return std::nullopt;
    const bool footer = version == 4 && (byteAt(head, 5) & 0x10);
    return uint64_t{10} + *size + (footer ? 10 : 0);
}

std::optional<RawTag> walkId3v2(const std::string& bytes, uint64_t offset)
{
    if (offset > bytes.size())
        return std::nullopt;
    const auto total = id3v2TagSize(bytes.substr(offset, 10));
    if (!total || offset + *total > bytes.size())
        return std::nullopt;
    RawTag tag;
    tag.version = byteAt(bytes, offset + 3);
    tag.end = offset + *total;
    const uint8_t flags = byteAt(bytes, offset + 5);
    const uint32_t bodySize = *syncSafe(bytes, offset + 6);
    std::string body = bytes.substr(offset + 10, bodySize);
    if (tag.version < 4 && (flags & 0x80))
        body = resynchronise(body);

    size_t at = 0;
    if (flags & 0x40) {  // extended header
        if (tag.version == 3 && body.size() >= 4) {
            at = 4 + bigEndian(body, 0, 4);
        } else if (tag.version == 4 && body.size() >= 4) {
            const auto size = syncSafe(body, 0);
            at = size ? *size : body.size();
        }
    }
    const size_t idSize = tag.version == 2 ? 3 : 4;
    const size_t headerSize = tag.version == 2 ? 6 : 10;
    while (at + headerSize <= body.size()) {
        RawFrame frame;
        frame.id = body.substr(at, idSize);
        if (!validId(frame.id))
            break;  // padding, or nothing a reader could take for a frame
        uint32_t size = 0;
        uint8_t status = 0;
        uint8_t format = 0;
        if (tag.version == 2) {
            size = bigEndian(body, at + 3, 3);
        } else if (tag.version == 3) {
            size = bigEndian(body, at + 4, 4);
            status = byteAt(body, at + 8);
            format = byteAt(body, at + 9);
        } else {
            const auto safe = syncSafe(body, at + 4);
            if (!safe)
                break;
            size = *safe;
            status = byteAt(body, at + 8);
            format = byteAt(body, at + 9);
        }
        if (size > body.size() - at - headerSize)
            break;
        frame.size = size;
        std::string content = body.substr(at + headerSize, size);
        bool opaque = false;
        if (tag.version == 3) {
            frame.discardOnAlter = status & 0x80;
            opaque = format & 0xC0;  // compressed or encrypted
            if (format & 0x20)
                content.erase(0, 1);  // group id
        } else if (tag.version == 4) {
            frame.discardOnAlter = status & 0x40;
            opaque = format & 0x0C;
            if (format & 0x40)
                content.erase(0, 1);
            if (format & 0x01)
                content.erase(0, 4);  // data length indicator
            if (format & 0x02)
                content = resynchronise(content);
        }
        frame.empty = !opaque && contentEmpty(frame.id, content);
        tag.frames.push_back(std::move(frame));
        at += headerSize + size;
    }
    return tag;
}

}  // namespace tagshifter::io
