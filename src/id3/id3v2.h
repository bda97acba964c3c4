// The one reader of ID3v2 bytes: the tag header and footer, sizes, the
// extended header, unsynchronisation and the walk over the frames, each read
// by the rules TagLib reads it by, so that what is found here is what TagLib
// finds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tagshifter::id3 {

uint8_t byteAt(std::string_view bytes, size_t at);

struct TagHeader {
    int version = 0;  // 2, 3 or 4
    uint8_t flags = 0;
    uint32_t bodySize = 0;  // what lies between the header and the footer
    // A footer stands behind the body (see footerStands); the flag alone
    // does not make one.
    bool footer = false;
    bool unsynchronised() const { return flags & 0x80; }
    bool hasExtendedHeader() const { return flags & 0x40; }
    // TagLib takes this bit of any version for a footer, and 10 bytes
    // behind the body with it, whatever stands there.
    bool claimsFooter() const { return flags & 0x10; }
    uint64_t totalSize() const { return 10 + uint64_t{bodySize} + (footer ? 10 : 0); }
};

// The header at the start of `head`; nothing when no tag starts there (as
// for TagLib, a size that is not sync-safe makes no tag). Its footer is
// settled when `head` reaches past the body (else see footerStands).
std::optional<TagHeader> readTagHeader(std::string_view head);

// Whether the footer the flags announce stands in `behind`, the bytes right
// behind the body: only ID3v2.4 has one, and only where "3DI" stands.
bool footerStands(const TagHeader& header, std::string_view behind);

// Reads [offset, offset + length) of a file, or as much of it as there is.
using ReadBytes = std::function<std::string(uint64_t offset, uint64_t length)>;

struct PlacedTag {
    uint64_t at = 0;
    TagHeader header;
    uint64_t end() const { return at + header.totalSize(); }
};

// The ID3v2 tag at `offset` and those right behind it, which TagLib reads
// as part of the first (at most `most`), each with its footer settled: the
// bytes TagLib takes for tags there, footers aside. Unlike readTagHeader, a
// header of any version counts (version 0 where its size is unusable).
std::vector<PlacedTag> tagChain(const ReadBytes& read, uint64_t offset = 0, size_t most = 16);

// The frames (and padding) of a tag whose body is `body`: the whole-tag
// unsynchronisation of ID3v2.2 and 2.3 undone, the extended header skipped.
std::string frameArea(const TagHeader& header, std::string_view body);
// The same, a view of `body` where nothing needs undoing, else of `spill`.
std::string_view frameArea(const TagHeader& header, std::string_view body, std::string& spill);
// The length of the extended header at the start of `area` (the body with
// unsynchronisation undone) as TagLib skips it: 0 where its size does not
// fit and TagLib looks for frames from the first byte.
uint64_t extendedHeaderLength(const TagHeader& header, std::string_view area);

struct Frame {
    // Three characters for ID3v2.2 frames, and for those iTunes wrote into
    // ID3v2.3 tags as "TT2\0".
    std::string id;
    size_t at = 0;     // where its content starts in the frame area
    uint32_t size = 0;  // of the content as stored
    uint8_t status = 0;  // the two flag bytes of ID3v2.3 and 2.4
    uint8_t format = 0;
};

struct FrameWalk {
    std::vector<Frame> frames;
    // The walk ended at the end of the frames or at padding with no frame
    // behind it: no frame was left unread.
    bool complete = false;
};

// The frame whose header starts at `at` in `area`, read as the walk reads
// it; nothing where the walk would stop there (padding, no frame id, a frame
// of no content or longer than what is left).
std::optional<Frame> frameAt(std::string_view area, size_t at, int version);

// Takes out the zero that unsynchronisation puts behind every 0xFF.
std::string resynchronise(std::string_view bytes);

// The frames of `area` in the order TagLib reads them. Like TagLib it stops
// at a zero byte (padding), at an id that is not one, and at a frame of no
// content or longer than what is left; an ID3v2.4 size whose bytes are not
// sync-safe is a plain number, and so is one over 127 that leads to no frame
// id where the plain number does (as iTunes wrote them).
FrameWalk walkFrames(std::string_view area, int version);

// A frame's content with its own format flags undone: a view of `area`,
// or of `spill` where unsynchronisation is undone; nothing when it is
// compressed or encrypted.
std::optional<std::string_view> frameContent(const Frame& frame, std::string_view area, int version,
                                             std::string& spill);

// Whether the data length indicator of an ID3v2.4 frame (where it has one)
// gives the length of its content with its unsynchronisation undone, or
// inflated where it is compressed: TagLib reads that many bytes whatever the
// content holds; and whether TagLib reads the size a compressed ID3v2.3
// frame gives its data as the number it is. `content`: the frame's content
// as frameContent gives it (empty where it gives none).
bool dataLengthHolds(const Frame& frame, std::string_view area, int version, std::string_view content);

// ID3v2.3 frames that ID3v2.4 has no place for (merged into TDRC, or gone
// from the standard): TagLib drops them when it upgrades a tag.
bool droppedGoingTo24(std::string_view id);

}  // namespace tagshifter::id3
