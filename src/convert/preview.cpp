#include "convert/tag_converter.h"

#include "common/format.h"
#include "common/messages.h"
#include "text/fields.h"

#include <taglib/tag.h>
#include <taglib/tstring.h>

namespace tagshifter {

namespace {

// The raw bytes the tag holds: code page bytes for a code page target,
// UTF-8 for a Unicode one. Nothing is converted for the terminal.
void addFields(std::vector<std::string>& lines, const TagLib::Tag& tag, bool unicode)
{
    for (const TagField& field : kTagFields)
        lines.push_back(formatted(field.previewLine, (tag.*field.get)().to8Bit(unicode).c_str()));
}

std::string line(const char* text)
{
    return std::string(text) + "\n";
}

}  // namespace

std::vector<std::string> TagConverter::preview(const std::string& fileName) const
{
    std::vector<std::string> lines{fileName + "\n", line(messages::kPreviewId3v1Header)};
    if (id3v1Enabled)
        addFields(lines, *id3v1Tag, false);
    else
        lines.push_back(line(messages::kPreviewEmpty));
    lines.push_back(line(messages::kPreviewId3v2Header));
    if (id3v2Enabled) {
        addFields(lines, *id3v2Tag, id3v2IsUnicode);
        addOtherFrames(lines);
    } else
        lines.push_back(line(messages::kPreviewEmpty));
    return lines;
}

}  // namespace tagshifter
