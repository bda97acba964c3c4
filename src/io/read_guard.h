// The guard against text TagLib does not read: the frames of the five
// fields as the tool's own reader finds them, against TagLib's reading.
#pragma once

#include "io/frame_guard.h"

#include <optional>
#include <string>
#include <vector>

namespace TagLib::ID3v2 {
class Tag;
}

namespace tagshifter::io {

// Checks that where `old` (the file's first ID3v2 tag, read by the tool's
// own reader) has a title, artist, album, comment or genre frame holding
// text, TagLib's `tag` reads text from a frame of that field too; that none
// of the field's frames is grouped or encrypted; and that a tag TagLib read
// no frame of is not one whose frames cannot be read, nor one read only up to
// a frame that stops the walk. Returns why not: the conversion would take the
// field for empty, or for other text.
std::optional<std::string> findMisreadFrame(const RawTag& old, const TagLib::ID3v2::Tag& tag);

// A second ID3v2 tag right behind the first, which TagLib takes as part of
// the first and never reads: a field's frame holding text there would be
// lost with the tag (-1 alone), so its name is returned.
std::optional<std::string> findUnreadField(const std::vector<RawTag>& tags);

}  // namespace tagshifter::io
