// What an ID3v1 tag holds of each of its fields once rendered.
#pragma once

#include "convert/text_change.h"

#include <string>
#include <vector>

namespace TagLib::ID3v1 {
class Tag;
}

namespace tagshifter {

// The bytes the tag keeps of `bytes` in a text field: TagLib writes the
// first 30 (28 of the comment) and reads them back without the spaces they
// end in. Written so from the first, a text cut at a space is what a reader
// gets, and the next run, which would else write it without the space,
// holds it unchanged.
std::string id3v1AsReadBack(bool comment, std::string bytes);

// Sets the ID3v1 bytes of each of the five fields in `texts` to those the
// tag writes: a text cut to its room (30 bytes, 28 for the comment), without
// the zero bytes that pad it (nor the spaces a cut left at its end), and the genre as its one number byte.
void keepWrittenId3v1Bytes(const TagLib::ID3v1::Tag& tag, std::vector<TextChange>& texts);

}  // namespace tagshifter
