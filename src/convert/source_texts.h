// Which texts a conversion recodes from the source encoding, and gathering
// them, labelled, from a file's tags for the code-page guess to judge.
#pragma once

#include "text/labelled_text.h"

#include <taglib/tstring.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace TagLib {
class Tag;
namespace ID3v2 {
class Tag;
}
}  // namespace TagLib

namespace tagshifter {

// The bytes a conversion from a code page recodes `value` from: its Latin-1
// bytes, else its bytes through Windows-1252 (text a Western tool misread and
// saved as Unicode). Nothing when the text is Unicode already (cutting it to
// bytes would destroy it) or, under -p (`preserveUnicode`), when the -p rule
// keeps it as it is.
std::optional<std::string> sourceBytes(const TagLib::String& value, bool preserveUnicode);

// The -p rule: text misread from a code page has most of its bytes high.
bool mostlyHigh(const std::string& bytes);

// The frames of the five fields, which have lines of their own in the
// preview; a comment counts only without a description.
bool isFiveFieldFrame(const std::string& id, const TagLib::String& description);

struct FrameText;
struct TagField;

// A field's text as `combined` reads it, taken where it can be from the one
// text of its frame in `main` (an ID3v2 tag), shared: the getter would join
// the frame's texts into a new string, at 4 bytes a character.
TagLib::String fieldText(const TagLib::Tag& combined, const TagLib::Tag* main, const TagField& field);

// The label of a frame's texts: its id, and its description if it has one
// ("TXXX:note"), so that two frames of one id are told apart.
std::string labelOf(const FrameText& text);

// The texts of one file that a conversion would recode from the source, as
// the bytes behind them (empty ones left out), each labelled with its frame:
// the five fields of `combined` (`id3v2` tells which were saved in a Unicode
// frame), and with `otherFrames` (-a with an ID3v2 target) the texts and
// descriptions of the other text frames, TXXX, COMM and USLT of `id3v2`.
// `forGuess` (-s auto) adds the bytes of Unicode frames' texts through every
// further reader that holds them, and short texts that are Unicode already
// as evidence.
std::vector<LabelledText> sourceTexts(const TagLib::Tag& combined, const TagLib::ID3v2::Tag* id3v2,
                                      bool otherFrames, bool preserveUnicode, bool forGuess);

// The same for the five fields of legacy frames alone, given as their
// Latin-1 bytes (title, artist, album, comment, genre).
std::vector<LabelledText> sourceTexts(const std::array<std::string, 5>& fields, bool preserveUnicode);

}  // namespace tagshifter
