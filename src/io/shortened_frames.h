// Where the ID3v2 tag goes, its large frames are handed to TagLib cut short:
// TagLib would hold each text at 4 bytes a character, only for the tag to be
// removed. The few field texts the ID3v1 tag needs are read from the file.
#pragma once

#include "id3/id3v2.h"
#include "io/edit_stream.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tagshifter::io {

// A tag past this size is looked at frame by frame, and a frame whose
// content is past kShortenedFrame is cut to its first kShortenedHead bytes
// of text (and what stands before them).
inline constexpr uint64_t kShortenedTag = 1 << 20;
inline constexpr uint32_t kShortenedFrame = 256 << 10;
inline constexpr size_t kShortenedHead = 64;

// The text of a title, artist, album or comment frame that TagLib reads cut
// short: the one frame of its id, Latin-1, one text without a zero byte.
struct ShortenedText {
    std::string frameId;
    uint64_t at = 0;    // where the text starts in the file
    uint64_t size = 0;  // its bytes, the zeros that end it left out
    std::string head;   // what TagLib reads of it
};

struct ShortenedTag {
    uint64_t end = 0;  // the end of the tag in the file: no byte of it may be written back
    uint64_t mark = 0;  // the stream's bytes written up to here are the shortened frames'
    std::vector<ShortenedText> texts;

    // Whether nothing of the shortened tag is left in `stream`: no byte of
    // the old tag, none of those written to shorten it, and no new tag made
    // from it at the start.
    bool gone(const EditStream& stream) const;
};

// Cuts short, in `stream` (which has not been edited within the tag), the
// large frames of the tag at the start of the file, `first`, and returns
// what was cut; nothing where the tag is small or laid out in a way this
// does not follow exactly as TagLib does (ID3v2.2, unsynchronisation, an
// extended header or footer, frames that cannot all be read, an ID3v2.2 id
// in an ID3v2.3 tag). Frames with format flags are left whole, and so are
// the five fields' frames but for the texts above (the genre always).
std::optional<ShortenedTag> shortenLargeFrames(const id3::PlacedTag& first, const id3::ReadBytes& read,
                                               EditStream& stream);

}  // namespace tagshifter::io
