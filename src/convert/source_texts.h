// Which texts a conversion recodes from the source encoding, and gathering
// them from a file's tags for the code-page guess to judge.
#pragma once

#include <taglib/tstring.h>

#include <array>
#include <string>
#include <vector>

namespace TagLib {
class Tag;
namespace ID3v2 {
class Tag;
}
}  // namespace TagLib

namespace tagshifter {

// Text that holds any character from U+0100 up cannot be code page bytes
// read as Latin-1: it is Unicode already, and cutting it to bytes would
// destroy it.
bool holdsWideCharacter(const TagLib::String& value);

// Text read as Latin-1 from a code page tag has most characters in 128..255.
bool looksLikeMisreadCodePage(const TagLib::String& value);

// Whether a conversion from a code page recodes `value` (rather than keeping
// it as it is), under -p when `preserveUnicode`.
bool isRecodedFromSource(const TagLib::String& value, bool preserveUnicode);

// The frames of the five fields, which have lines of their own in the
// preview; a comment counts only without a description.
bool isFiveFieldFrame(const std::string& id, const TagLib::String& description);

// The texts of one file that a conversion would recode from the source, as
// their Latin-1 bytes (empty ones left out): the five fields of `combined`,
// and, when `otherFrames` is given (-a with an ID3v2 target), the texts and
// descriptions of its other text frames, TXXX, COMM and USLT.
std::vector<std::string> sourceTexts(const TagLib::Tag& combined, const TagLib::ID3v2::Tag* otherFrames,
                                     bool preserveUnicode);

// The same for the five fields alone, given as their Latin-1 bytes (title,
// artist, album, comment, genre).
std::vector<std::string> sourceTexts(const std::array<std::string, 5>& fields, bool preserveUnicode);

}  // namespace tagshifter
