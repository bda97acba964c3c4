#include "convert/tag_converter.h"

#include "common/format.h"
#include "common/messages.h"

#include <taglib/tag.h>
#include <taglib/tstring.h>

namespace tagshifter {

namespace {

// The raw bytes the tag holds: code page bytes for a code page target,
// UTF-8 for a Unicode one. Nothing is converted for the terminal.
void addFields(std::vector<std::string>& lines, const TagLib::Tag& tag, bool unicode)
{
    lines.push_back(formatted(messages::kPreviewTitle, tag.title().to8Bit(unicode).c_str()));
    lines.push_back(formatted(messages::kPreviewArtist, tag.artist().to8Bit(unicode).c_str()));
    lines.push_back(formatted(messages::kPreviewAlbum, tag.album().to8Bit(unicode).c_str()));
    lines.push_back(formatted(messages::kPreviewComment, tag.comment().to8Bit(unicode).c_str()));
    lines.push_back(formatted(messages::kPreviewGenre, tag.genre().to8Bit(unicode).c_str()));
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
