// What a tag holds, frame by frame, for the guard against losses: each
// frame's id, whether it holds anything, and whether its writer wants it gone
// on any change.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tagshifter::id3 {

struct RawFrame {
    std::string id;
    bool empty = false;           // no text (text frames) or only zero bytes
    bool discardOnAlter = false;  // the writer asked for it to go on any change
};

struct RawTag {
    int version = 0;  // 2, 3 or 4
    std::vector<RawFrame> frames;
    bool complete = false;  // every frame was read: none lies behind a stop
    uint64_t end = 0;       // offset just behind the tag, footer included
};

// Reads the tag at `offset` of `bytes`, which hold all of it.
std::optional<RawTag> readRawTag(const std::string& bytes, uint64_t offset = 0);

}  // namespace tagshifter::id3
