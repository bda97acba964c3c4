// The -a walk: every frame of the ID3v2 tag that holds text for people
// (T*** frames, TXXX, COMM and USLT), recoded and listed.
#include "convert/tag_converter.h"

#include "common/format.h"
#include "common/messages.h"
#include "convert/frame_text.h"
#include "convert/source_texts.h"

#include <taglib/id3v2tag.h>

#include <vector>

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

// Control characters as escapes (\n, \t, \x1b...), so that a line break in
// a lyrics frame cannot break the listing's one line a frame.
std::string oneLine(const std::string& text)
{
    std::string shown;
    for (unsigned char c : text) {
        if (c >= 0x20 && c != 0x7f)
            shown += static_cast<char>(c);
        else if (c == '\n')
            shown += "\\n";
        else if (c == '\r')
            shown += "\\r";
        else if (c == '\t')
            shown += "\\t";
        else
            shown += formatted("\\x%02x", c);
    }
    return shown;
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
        // The five fields' frames are listed as the fields they are.
        const FrameText* listedAs = isFiveFieldFrame(text->id, text->description) ? nullptr : &*text;
        const std::string label = labelOf(*text);
        if (text->described)
            converted.description = convertFrameText(text->description, label, listedAs, true);
        converted.texts.clear();
        for (const TagLib::String& value : text->texts)
            converted.texts.append(convertFrameText(value, label, listedAs, false));
        setFrameText(*frame, converted, frameEncoding);
    }
}

void TagConverter::addOtherFrames(std::vector<std::string>& lines) const
{
    const auto* tag = dynamic_cast<const TagLib::ID3v2::Tag*>(id3v2Tag);
    if (!otherFramesConverted || !tag)
        return;
    for (const TagLib::ID3v2::Frame* frame : tag->frameList()) {
        const std::optional<FrameText> text = frameText(*frame);
        if (!text || isFiveFieldFrame(text->id, text->description))
            continue;
        const std::string value = oneLine(text->texts.toString().to8Bit(id3v2IsUnicode));
        if (text->description.isEmpty())
            lines.push_back(formatted(messages::kPreviewFrame, text->id.c_str(), value.c_str()));
        else
            lines.push_back(formatted(messages::kPreviewFrameWithDescription, text->id.c_str(),
                                      oneLine(text->description.to8Bit(id3v2IsUnicode)).c_str(),
                                      value.c_str()));
    }
}

}  // namespace tagshifter
