// The guard against losses in the tag library: the frames a file's ID3v2
// tag held before the save against those of the tag about to be written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tagshifter::io {

struct RawFrame {
    std::string id;
    bool empty = false;           // no text (text frames) or only zero bytes
    bool holdsText = false;       // a text frame or COMM with a character of text
    bool discardOnAlter = false;  // the writer asked for it to go on any change
    // A group byte or encryption: TagLib reads the group byte as content
    // and writes either frame back without its flag, so neither survives.
    bool groupedOrEncrypted = false;
    // A data length indicator TagLib reads past the content or short of it.
    bool lengthMisread = false;
    // A text encoding byte ID3v2 has none for: TagLib reads the text as
    // UTF-16 or worse, and a conversion makes other characters of it.
    bool unknownEncoding = false;
    // Frames of no text, which TagLib parses into fields and renders again:
    // a digest of the content (its trailing zeros aside), which the new tag
    // must hold as it was. A malformed one comes back changed. For WXXX,
    // a digest of the link, which a description without its end swallows.
    std::optional<uint64_t> digest;
};

// Why TagLib does not keep `frame` as it stands (the end of a sentence that
// starts with the frame), or nullptr when it does.
const char* whyNotKept(const RawFrame& frame);

struct RawTag {
    int version = 0;  // 2, 3 or 4
    std::vector<RawFrame> frames;
    bool complete = false;  // every frame was read: none lies behind a stop
    uint64_t end = 0;       // offset just behind the tag, footer included
};

// Reads the tag at `offset` of `bytes`, which hold all of it.
std::optional<RawTag> readRawTag(std::string_view bytes, uint64_t offset = 0);

// Checks that every frame of the old tags (the first and any right behind
// it) that held something is in the new tag, under its own id or the one the
// upgrade to `writtenVersion` (4, or 3) gives it, and still holds something
// (a frame of no text, the same bytes).
// Frames the upgrade drops (ID3v2.2 frames without a successor, TDAT, TIME,
// TRDA, TSIZ, EQUA, RVAD, ...), frames marked to be discarded on alteration
// (but those holding text) and empty frames may go. Returns why the new tag would lose a frame, or
// nothing when it keeps them all; an old tag not read to its end loses
// whatever lay behind, so it is refused too, and so is a grouped or
// encrypted frame that the new tag would carry, spoilt.
std::optional<std::string> findFrameLoss(const std::vector<RawTag>& oldTags,
                                         const std::optional<RawTag>& newTag,
                                         int writtenVersion = 4);

}  // namespace tagshifter::io
