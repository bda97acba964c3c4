// The -w listing of what a file's tags would hold.
#pragma once

#include <string>
#include <vector>

namespace TagLib {
class Tag;
}  // namespace TagLib

namespace tagshifter {

// The preview's lines, each ending in a newline: the file name and the five
// fields of both target tags (null: not written), with `otherFrames` (-a)
// the other text frames of the ID3v2 tag too, control characters escaped.
// The raw bytes are shown: code page bytes, or UTF-8 for `id3v2Unicode`.
std::vector<std::string> previewLines(const std::string& fileName, const TagLib::Tag* id3v1,
                                      const TagLib::Tag* id3v2, bool id3v2Unicode, bool otherFrames);

}  // namespace tagshifter
