// The tool's own ID3v2 frame factory: the text encoding of the frames it
// makes, and the right names for the ID3v2.2 frames TagLib misnames.
#pragma once

#include <taglib/id3v2frame.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/taglib.h>
#include <taglib/tstring.h>

namespace tagshifter {

#if TAGLIB_MAJOR_VERSION >= 2
using FrameHeader = TagLib::ID3v2::Frame::Header;
#else
// TagLib 1 keeps the frame header's name to frames and its own factory; a
// class derived from Frame may name it, and passes the name on.
struct FrameHeaderName : TagLib::ID3v2::Frame {
    using Header = TagLib::ID3v2::Frame::Header;
};
using FrameHeader = FrameHeaderName::Header;
#endif

class FrameFactory : public TagLib::ID3v2::FrameFactory {
public:
    // Frames parsed or created through this factory take `textEncoding`.
    explicit FrameFactory(TagLib::String::Type textEncoding);
    // Frames keep the encoding they were saved in: for reading only.
    FrameFactory() = default;
    ~FrameFactory() = default;
    FrameFactory(const FrameFactory&) = delete;
    FrameFactory& operator=(const FrameFactory&) = delete;

    // The ID3v2.2 ids TOA (original artist) and TXT (lyricist) become TOPE
    // and TEXT; TagLib's own table turns them into TOAL (original album) and
    // TOLY (original lyricist). Everything else is left to TagLib.
    static bool renameId3v22Frame(FrameHeader* header);

#if TAGLIB_MAJOR_VERSION >= 2
    // An unsynchronised ID3v2.4 frame is undone here, as the tool's own
    // reader undoes it, and handed on as a plain frame: TagLib 2.2 and
    // later compare the size it declares with the smaller one undone and
    // read the frame as empty.
    TagLib::ID3v2::Frame* createFrame(const TagLib::ByteVector& data,
                                      const TagLib::ID3v2::Header* tagHeader) const override;
#endif

protected:
    bool updateFrame(FrameHeader* header) const override;
};

// The text encoding for frames of an ID3v2 target: UTF-8 for "unicode" in
// ID3v2.4, UTF-16 in 2.3, which has no UTF-8; Latin-1 for a code page, whose
// bytes travel one per Latin-1 character.
TagLib::String::Type id3v2TextEncoding(bool unicodeTarget, int id3v2Version);

// A writer's "drop this frame on any change" is meant for frames a reader
// does not know, but TagLib drops every frame that has it, a title among
// them: frames TagLib parsed into their kind (grouped ones aside) lose it.
void keepKnownFrames(TagLib::ID3v2::Tag& tag);

}  // namespace tagshifter
