// What an ID3v1 tag holds of each of its fields once rendered.
#pragma once

#include "convert/text_change.h"

#include <vector>

namespace TagLib::ID3v1 {
class Tag;
}

namespace tagshifter {

// Sets the ID3v1 bytes of each of the five fields in `texts` to those the
// tag writes: a text cut to its room (30 bytes, 28 for the comment), without
// the zero bytes that pad it, and the genre as its one number byte.
void keepWrittenId3v1Bytes(const TagLib::ID3v1::Tag& tag, std::vector<TextChange>& texts);

}  // namespace tagshifter
