// Filling one tag's missing fields from the other's before a save that
// writes both, as TagLib's duplication would, without its deletions.
#pragma once

namespace TagLib {
class Tag;
}

namespace tagshifter {

// Gives each of `target`'s seven fields (title, artist, album, comment,
// genre, year, track) that is empty or zero the value `source` has. Unlike
// TagLib's duplication, an empty or zero value is never set: for TagLib it
// deletes every frame of the field, frames that hold other things among
// them (a COMM with only a description, a TCON of "()", a TDRC or TRCK in
// which TagLib finds no number).
void fillMissingFields(const TagLib::Tag& source, TagLib::Tag& target);

}  // namespace tagshifter
