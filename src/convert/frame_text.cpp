#include "convert/frame_text.h"

#include <taglib/commentsframe.h>
#include <taglib/textidentificationframe.h>
#include <taglib/unsynchronizedlyricsframe.h>

namespace tagshifter {

using TagLib::ID3v2::CommentsFrame;
using TagLib::ID3v2::Frame;
using TagLib::ID3v2::TextIdentificationFrame;
using TagLib::ID3v2::UnsynchronizedLyricsFrame;
using TagLib::ID3v2::UserTextIdentificationFrame;

std::optional<FrameText> frameText(const Frame& frame)
{
    const TagLib::ByteVector id = frame.frameID();
    FrameText text;
    text.id.assign(id.data(), id.size());
    if (const auto* plain = dynamic_cast<const TextIdentificationFrame*>(&frame)) {
        text.unicode = plain->textEncoding() != TagLib::String::Latin1;
        text.texts = plain->fieldList();  // for TXXX, the description first
        if (dynamic_cast<const UserTextIdentificationFrame*>(&frame) && !text.texts.isEmpty()) {
            text.described = true;
            text.description = text.texts.front();
            text.texts.erase(text.texts.begin());
        }
    } else if (const auto* comment = dynamic_cast<const CommentsFrame*>(&frame)) {
        text.unicode = comment->textEncoding() != TagLib::String::Latin1;
        text.described = true;
        text.description = comment->description();
        text.texts.append(comment->text());
    } else if (const auto* lyrics = dynamic_cast<const UnsynchronizedLyricsFrame*>(&frame)) {
        text.unicode = lyrics->textEncoding() != TagLib::String::Latin1;
        text.described = true;
        text.description = lyrics->description();
        text.texts.append(lyrics->text());
    } else {
        return std::nullopt;
    }
    return text;
}

void setFrameText(Frame& frame, const FrameText& text, TagLib::String::Type encoding)
{
    if (auto* plain = dynamic_cast<TextIdentificationFrame*>(&frame)) {
        TagLib::StringList fields;
        if (text.described)
            fields.append(text.description);
        fields.append(text.texts);
        plain->setTextEncoding(encoding);
        plain->setText(fields);  // TextIdentificationFrame's: all fields, TXXX's description too
    } else if (auto* comment = dynamic_cast<CommentsFrame*>(&frame)) {
        comment->setTextEncoding(encoding);
        comment->setDescription(text.description);
        comment->setText(text.texts.toString());
    } else if (auto* lyrics = dynamic_cast<UnsynchronizedLyricsFrame*>(&frame)) {
        lyrics->setTextEncoding(encoding);
        lyrics->setDescription(text.description);
        lyrics->setText(text.texts.toString());
    }
}

}  // namespace tagshifter
