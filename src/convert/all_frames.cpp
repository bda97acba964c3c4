// The -a walk: every frame of the ID3v2 tag that holds text for people
// (T*** frames, TXXX, COMM and USLT), recoded and listed.
#include "convert/tag_converter.h"

#include "common/format.h"
#include "common/messages.h"
#include "convert/frame_text.h"
#include "convert/source_texts.h"

#include <taglib/id3v2tag.h>

#include <cstdio>

namespace tagshifter {

namespace {

// What a message calls the frame: its id, and its description if it has one.
std::string nameOf(const FrameText& text)
{
    return text.description.isEmpty()
               ? formatted(messages::kFrame, text.id.c_str())
               : formatted(messages::kFrameWithDescription, text.id.c_str(),
                           text.description.to8Bit(true).c_str());
}

}  // namespace

void TagConverter::convertOtherFrames(TagLib::String::Type frameEncoding)
{
    auto* tag = dynamic_cast<TagLib::ID3v2::Tag*>(id3v2Tag);
    if (!id3v2Enabled || !tag)
        return;
    otherFramesConverted = true;
    // Every text of a frame is recoded before any is set, so a failure
    // leaves the frame in hand as it was (and the caller drops the file).
    for (TagLib::ID3v2::Frame* frame : tag->frameList()) {
        const std::optional<FrameText> text = frameText(*frame);
        if (!text)
            continue;
        failedWhere = nameOf(*text);
        FrameText converted = *text;
        const std::string label = labelOf(*text);
        if (text->described)
            converted.description = convertFrameText(text->description, label);
        converted.texts.clear();
        for (const TagLib::String& value : text->texts)
            converted.texts.append(convertFrameText(value, label));
        setFrameText(*frame, converted, frameEncoding);
    }
}

void TagConverter::printOtherFrames() const
{
    const auto* tag = dynamic_cast<const TagLib::ID3v2::Tag*>(id3v2Tag);
    if (!otherFramesConverted || !tag)
        return;
    for (const TagLib::ID3v2::Frame* frame : tag->frameList()) {
        const std::optional<FrameText> text = frameText(*frame);
        if (!text || isFiveFieldFrame(text->id, text->description))
            continue;
        const std::string value = text->texts.toString().to8Bit(id3v2IsUnicode);
        if (text->description.isEmpty())
            std::printf(messages::kPreviewFrame, text->id.c_str(), value.c_str());
        else
            std::printf(messages::kPreviewFrameWithDescription, text->id.c_str(),
                        text->description.to8Bit(id3v2IsUnicode).c_str(), value.c_str());
    }
}

}  // namespace tagshifter
