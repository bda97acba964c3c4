#include "convert/tag_converter.h"

#include "common/messages.h"

#include <taglib/tag.h>
#include <taglib/tstring.h>

#include <cstdio>

namespace tagshifter {

namespace {

// Prints the raw bytes the tag holds: code page bytes for a code page
// target, UTF-8 for a Unicode one. Nothing is converted for the terminal.
void printFields(const TagLib::Tag& tag, bool unicode)
{
    std::printf(messages::kPreviewTitle, tag.title().to8Bit(unicode).c_str());
    std::printf(messages::kPreviewArtist, tag.artist().to8Bit(unicode).c_str());
    std::printf(messages::kPreviewAlbum, tag.album().to8Bit(unicode).c_str());
    std::printf(messages::kPreviewComment, tag.comment().to8Bit(unicode).c_str());
    std::printf(messages::kPreviewGenre, tag.genre().to8Bit(unicode).c_str());
}

}  // namespace

void TagConverter::printPreview(const std::string& fileName) const
{
    std::puts(fileName.c_str());
    std::puts(messages::kPreviewId3v1Header);
    if (id3v1Enabled)
        printFields(*id3v1Tag, false);
    else
        std::puts(messages::kPreviewEmpty);
    std::puts(messages::kPreviewId3v2Header);
    if (id3v2Enabled) {
        printFields(*id3v2Tag, id3v2IsUnicode);
        printOtherFrames();
    } else
        std::puts(messages::kPreviewEmpty);
}

}  // namespace tagshifter
