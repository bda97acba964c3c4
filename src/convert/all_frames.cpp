// The -a walk: every frame of the ID3v2 tag that holds text for people
// (T*** frames, TXXX, COMM and USLT), recoded and listed.
#include "convert/tag_converter.h"

#include "common/format.h"
#include "common/messages.h"
#include "convert/source_texts.h"

#include <taglib/commentsframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/textidentificationframe.h>
#include <taglib/unsynchronizedlyricsframe.h>

#include <cstdio>

namespace tagshifter {

namespace {

using TagLib::ID3v2::CommentsFrame;
using TagLib::ID3v2::Frame;
using TagLib::ID3v2::TextIdentificationFrame;
using TagLib::ID3v2::UnsynchronizedLyricsFrame;

std::string idOf(const Frame& frame)
{
    const TagLib::ByteVector id = frame.frameID();
    return std::string(id.data(), id.size());
}

// What a message calls the frame: its id, and its description if it has one.
std::string nameOf(const Frame& frame, const TagLib::String& description)
{
    return description.isEmpty()
               ? formatted(messages::kFrame, idOf(frame).c_str())
               : formatted(messages::kFrameWithDescription, idOf(frame).c_str(),
                           description.to8Bit(true).c_str());
}

}  // namespace

void TagConverter::convertOtherFrames(TagLib::String::Type frameEncoding)
{
    auto* tag = dynamic_cast<TagLib::ID3v2::Tag*>(id3v2Tag);
    if (!id3v2Enabled || !tag)
        return;
    otherFramesConverted = true;
    // Every text is recoded before any is set, frame by frame, so a failure
    // leaves the frame in hand as it was (and the caller drops the file).
    for (Frame* frame : tag->frameList()) {
        if (auto* text = dynamic_cast<TextIdentificationFrame*>(frame)) {
            // For TXXX the first field is the description.
            const TagLib::StringList fields = text->fieldList();
            failedWhere = nameOf(*frame, dynamic_cast<TagLib::ID3v2::UserTextIdentificationFrame*>(frame)
                                             ? fields.front() : TagLib::String());
            TagLib::StringList converted;
            for (const TagLib::String& field : fields)
                converted.append(convertFrameText(field));
            text->setTextEncoding(frameEncoding);
            text->setText(converted);  // TextIdentificationFrame's: all fields
        } else if (auto* comment = dynamic_cast<CommentsFrame*>(frame)) {
            failedWhere = nameOf(*frame, comment->description());
            const TagLib::String description = convertFrameText(comment->description());
            const TagLib::String body = convertFrameText(comment->text());
            comment->setTextEncoding(frameEncoding);
            comment->setDescription(description);
            comment->setText(body);
        } else if (auto* lyrics = dynamic_cast<UnsynchronizedLyricsFrame*>(frame)) {
            failedWhere = nameOf(*frame, lyrics->description());
            const TagLib::String description = convertFrameText(lyrics->description());
            const TagLib::String body = convertFrameText(lyrics->text());
            lyrics->setTextEncoding(frameEncoding);
            lyrics->setDescription(description);
            lyrics->setText(body);
        }
    }
}

void TagConverter::printOtherFrames() const
{
    const auto* tag = dynamic_cast<const TagLib::ID3v2::Tag*>(id3v2Tag);
    if (!otherFramesConverted || !tag)
        return;
    for (const Frame* frame : tag->frameList()) {
        TagLib::String description;
        TagLib::String text;
        if (const auto* plain = dynamic_cast<const TextIdentificationFrame*>(frame)) {
            TagLib::StringList fields = plain->fieldList();  // all fields, TXXX's description first
            if (dynamic_cast<const TagLib::ID3v2::UserTextIdentificationFrame*>(frame) && !fields.isEmpty()) {
                description = fields.front();
                fields.erase(fields.begin());
            }
            text = fields.toString();
        } else if (const auto* comment = dynamic_cast<const CommentsFrame*>(frame)) {
            description = comment->description();
            text = comment->text();
        } else if (const auto* lyrics = dynamic_cast<const UnsynchronizedLyricsFrame*>(frame)) {
            description = lyrics->description();
            text = lyrics->text();
        } else {
            continue;
        }
        const std::string id = idOf(*frame);
        if (isFiveFieldFrame(id, description))
            continue;
        const std::string value = text.to8Bit(id3v2IsUnicode);
        if (description.isEmpty())
            std::printf(messages::kPreviewFrame, id.c_str(), value.c_str());
        else
            std::printf(messages::kPreviewFrameWithDescription, id.c_str(),
                        description.to8Bit(id3v2IsUnicode).c_str(), value.c_str());
    }
}

}  // namespace tagshifter
