#include "convert/frame_factory.h"

#include "id3/id3v2.h"

#include <taglib/id3v2frame.h>
#include <taglib/unknownframe.h>

#include <string>
#include <string_view>

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

#if TAGLIB_MAJOR_VERSION >= 2
TagLib::ID3v2::Frame* FrameFactory::createFrame(const TagLib::ByteVector& data,
                                                const TagLib::ID3v2::Header* tagHeader) const
{
    using Base = TagLib::ID3v2::FrameFactory;
    if (tagHeader == nullptr || tagHeader->majorVersion() != 4)
        return Base::createFrame(data, tagHeader);
    const std::string_view area(data.data(), data.size());
    const auto frame = id3::frameAt(area, 0, 4);
    // Only the unsynchronisation and the data length it undoes are taken
    // off; frames with other format flags are left to TagLib.
    if (!frame || (frame->format & ~0x03) != 0
        || !(tagHeader->unsynchronisation() || (frame->format & 0x02)))
        return Base::createFrame(data, tagHeader);
    std::string content = id3::resynchronise(area.substr(frame->at, frame->size));
    if (frame->format & 0x01)
        content.erase(0, 4);  // the data length, now the content's own
    const uint32_t size = static_cast<uint32_t>(content.size());
    std::string plain = frame->id;
    for (int shift = 21; shift >= 0; shift -= 7)
        plain += static_cast<char>((size >> shift) & 0x7F);
    plain += static_cast<char>(frame->status);
    plain += '\0';
    plain += content;
    static const TagLib::ID3v2::Header plainTag(TagLib::ByteVector("ID3\x04\0\0\0\0\0\0", 10));
    TagLib::ID3v2::Frame* made =
        Base::createFrame(TagLib::ByteVector(plain.data(), static_cast<unsigned int>(plain.size())), &plainTag);
    // The tag is read on by the size as stored.
    if (made != nullptr)
        made->header()->setFrameSize(frame->size);
    return made;
}
#endif

TagLib::String::Type id3v2TextEncoding(bool unicodeTarget, int id3v2Version)
{
    if (!unicodeTarget)
        return TagLib::String::Latin1;
    return id3v2Version == 3 ? TagLib::String::UTF16 : TagLib::String::UTF8;
}

void keepKnownFrames(TagLib::ID3v2::Tag& tag)
{
#if TAGLIB_MAJOR_VERSION >= 2
    auto headerOf = [](TagLib::ID3v2::Frame* frame) { return frame->header(); };
#else
    // TagLib 1 keeps a frame's header to the frame classes.
    struct Reader : TagLib::ID3v2::Frame {
        static FrameHeader* of(TagLib::ID3v2::Frame* frame) { return (frame->*&Reader::header)(); }
    };
    auto headerOf = [](TagLib::ID3v2::Frame* frame) { return Reader::of(frame); };
#endif
    for (TagLib::ID3v2::Frame* frame : tag.frameList()) {
        FrameHeader* header = headerOf(frame);
        if (header->tagAlterPreservation() && !header->groupingIdentity()
            && dynamic_cast<TagLib::ID3v2::UnknownFrame*>(frame) == nullptr)
            header->setTagAlterPreservation(false);
    }
}

}  // namespace tagshifter
