#include "convert/code_page_frames.h"

#include <taglib/commentsframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/textidentificationframe.h>

namespace tagshifter {

void keepCodePageBytes(TagLib::ID3v2::Tag& tag)
{
    for (const char* id : {"TIT2", "TPE1", "TALB", "TCON"}) {
        for (TagLib::ID3v2::Frame* frame : tag.frameListMap()[id]) {
            if (auto* text = dynamic_cast<TagLib::ID3v2::TextIdentificationFrame*>(frame))
                text->setTextEncoding(TagLib::String::Latin1);
        }
    }
    for (TagLib::ID3v2::Frame* frame : tag.frameListMap()["COMM"]) {
        if (auto* comment = dynamic_cast<TagLib::ID3v2::CommentsFrame*>(frame))
            comment->setTextEncoding(TagLib::String::Latin1);
    }
}

}  // namespace tagshifter
