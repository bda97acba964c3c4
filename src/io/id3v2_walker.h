// A small reader of raw ID3v2 tags of the tool's own, independent of TagLib:
// which frames a tag holds, their size, and whether their content is empty.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tagshifter::io {

struct RawFrame {
    std::string id;
    uint32_t size = 0;            // as stored, without the frame header
    bool empty = false;           // no text (text frames) or only zero bytes
    bool discardOnAlter = false;  // the writer asked for it to go on any change
};

struct RawTag {
    int version = 0;  // 2, 3 or 4
    std::vector<RawFrame> frames;
    uint64_t end = 0;  // offset just behind the tag, footer included
};

// The size of the tag that starts at the beginning of `head` (at least ten
// bytes), header and footer included, or nothing when no tag starts there.
std::optional<uint64_t> id3v2TagSize(const std::string& head);

// Reads the tag at `offset` of `bytes`, which hold all of it.
std::optional<RawTag> walkId3v2(const std::string& bytes, uint64_t offset = 0);

}  // namespace tagshifter::io
