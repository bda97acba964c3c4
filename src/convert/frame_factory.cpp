#include "convert/frame_factory.h"

#include <taglib/id3v2frame.h>

namespace tagshifter {

FrameFactory::FrameFactory(TagLib::String::Type textEncoding)
{
    setDefaultTextEncoding(textEncoding);
}

bool FrameFactory::renameId3v22Frame(FrameHeader* header)
{
    if (header->version() >= 3)
        return false;
    const TagLib::ByteVector id = header->frameID();
    if (id == "TOA")
        header->setFrameID("TOPE");
    else if (id == "TXT")
        header->setFrameID("TEXT");
    else
        return false;
    return true;
}

bool FrameFactory::updateFrame(FrameHeader* header) const
{
    if (renameId3v22Frame(header))
        return true;
    return TagLib::ID3v2::FrameFactory::updateFrame(header);
}

TagLib::String::Type id3v2TextEncoding(bool unicodeTarget, int id3v2Version)
{
    if (!unicodeTarget)
        return TagLib::String::Latin1;
    return id3v2Version == 3 ? TagLib::String::UTF16 : TagLib::String::UTF8;
}

}  // namespace tagshifter
