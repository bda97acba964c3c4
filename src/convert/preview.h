// The -w listing of what a file's tags would hold.
#pragma once

#include "text/fields.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace TagLib {
class Tag;
}  // namespace TagLib

namespace tagshifter {

// Texts of the five fields (in the order of kTagFields) shown in place of
// what a tag holds, as the bytes shown.
using ShownFields = std::array<std::optional<std::string>, kTagFields.size()>;

// The preview's lines, each ending in a newline: the file name and the five
// fields of both target tags (null: not written), with `otherFrames` (-a)
// the other text frames of the ID3v2 tag too, control characters escaped.
// The raw bytes are shown: code page bytes, or UTF-8 for `id3v2Unicode`;
// a field of `id3v1Shown` or `id3v2Shown` in place of its tag's.
std::vector<std::string> previewLines(const std::string& fileName, const TagLib::Tag* id3v1,
                                      const TagLib::Tag* id3v2, bool id3v2Unicode, bool otherFrames,
                                      const ShownFields& id3v1Shown = {}, const ShownFields& id3v2Shown = {});

}  // namespace tagshifter
