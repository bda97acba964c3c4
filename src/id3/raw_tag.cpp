#include "id3/raw_tag.h"

#include "id3/id3v2.h"

#include <algorithm>

namespace tagshifter::id3 {

namespace {

bool allZero(std::string_view bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == '\0'; });
}

// Whether a frame holds nothing: a text frame with no character but a byte
// order mark (or a genre of only empty references "()", which TagLib reads as
// no genre), any other frame with only zero bytes.
bool contentEmpty(const std::string& id, std::string_view body)
{
    if (id[0] != 'T' || body.empty())
        return allZero(body);
    const uint8_t encoding = byteAt(body, 0);
    if (encoding != 1 && encoding != 2) {
        std::string text(body.substr(1));
        for (size_t at; (id == "TCON" || id == "TCO") && (at = text.find("()")) != std::string::npos;)
            text.erase(at, 2);
        return allZero(text);
    }
    for (size_t i = 1; i + 1 < body.size(); i += 2) {
        const uint16_t unit = static_cast<uint16_t>(byteAt(body, i) << 8 | byteAt(body, i + 1));
        if (unit != 0 && unit != 0xFEFF && unit != 0xFFFE)
            return false;
    }
    return true;
}

}  // namespace

std::optional<RawTag> readRawTag(const std::string& bytes, uint64_t offset)
{
    const std::string_view all(bytes);
    const auto header = offset <= all.size() ? readTagHeader(all.substr(offset, 10)) : std::nullopt;
    if (!header || offset + header->totalSize() > all.size())
        return std::nullopt;
    RawTag tag;
    tag.version = header->version;
    tag.end = offset + header->totalSize();
    const std::string area = frameArea(*header, all.substr(offset + 10, header->bodySize));
    const FrameWalk walk = walkFrames(area, tag.version);
    tag.complete = walk.complete;
    for (const Frame& frame : walk.frames) {
        RawFrame raw{frame.id};
        const auto content = frameContent(frame, area, tag.version);
        raw.empty = content && contentEmpty(frame.id, *content);
        raw.discardOnAlter = frame.status & (tag.version == 3 ? 0x80 : 0x40);
        tag.frames.push_back(std::move(raw));
    }
    return tag;
}

}  // namespace tagshifter::id3
