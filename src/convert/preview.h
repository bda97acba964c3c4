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

// Lines of the five fields (in the order of kTagFields) shown in place of
// what a tag holds, whole (see ShownLine).
using ShownFields = std::array<std::optional<std::string>, kTagFields.size()>;

// A field's preview line made round its text's bytes where they lie: the
// text is converted after `head`, then `end` makes it the line.
struct ShownLine {
    explicit ShownLine(const TagField& field);
    std::string head, tail;
    // `line`, begun with head and the text's bytes, cut at a zero byte (as
    // the field's format line would show them), then ended with tail.
    void end(std::string& line) const;
};

// The preview's lines, each ending in a newline: the file name and the five
// fields of both target tags (null: not written), with `otherFrames` (-a)
// the other text frames of the ID3v2 tag too, control characters escaped.
// The raw bytes are shown: code page bytes, or UTF-8 for `id3v2Unicode`;
// a line of `id3v1Shown` or `id3v2Shown` in place of its tag's field,
// moved into the listing.
std::vector<std::string> previewLines(const std::string& fileName, const TagLib::Tag* id3v1,
                                      const TagLib::Tag* id3v2, bool id3v2Unicode, bool otherFrames,
                                      ShownFields id3v1Shown = {}, ShownFields id3v2Shown = {});

}  // namespace tagshifter
