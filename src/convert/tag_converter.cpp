#include "convert/tag_converter.h"

#include "common/error.h"
#include "common/format.h"
#include "common/messages.h"
#include "convert/frame_factory.h"
#include "convert/frame_text.h"
#include "convert/preview.h"
#include "convert/source_texts.h"
#include "convert/utf8_string.h"
#include "text/fields.h"

#include <taglib/id3v2tag.h>
#include <taglib/tag.h>
#include <taglib/tstring.h>

#include <algorithm>
#include <cstdint>

namespace tagshifter {

namespace {

const TagField& fieldOf(TagConverter::Setter setter)
{
    for (const TagField& field : kTagFields)
        if (field.set == setter)
            return field;
    return kTagFields.back();
}

// What a message calls the frame: its id, and its description if it has one.
std::string nameOf(const FrameText& text)
{
    return text.description.isEmpty()
               ? formatted(messages::kFrame, text.id.c_str())
               : formatted(messages::kFrameWithDescription, text.id.c_str(),
                           text.description.to8Bit(true).c_str());
}

}  // namespace

TagConverter::TagConverter(const SourceEncoding& source, const TargetEncoding& id3v1,
                           const TargetEncoding& id3v2, TagLib::Tag* id3v1Tag,
                           TagLib::Tag* id3v2Tag, bool preserveUnicode)
    : recoding(source, id3v1, id3v2), id3v1Tag(id3v1Tag), id3v2Tag(id3v2Tag), preserveUnicode(preserveUnicode)
{
}

std::string TagConverter::utf8Text(const TagLib::String& value, const std::string& label)
{
    if (recoding.sourceIsUnicode)
        return recodeStep(Step::Source, value.to8Bit(true));
    auto among = [&label](const std::vector<std::string>& labels) {
        return std::find(labels.begin(), labels.end(), label) != labels.end();
    };
    const bool kept = plan_.keepAll || among(plan_.keptAsItIs);
    std::optional<std::string> bytes;
    for (const auto& [through, reader] : plan_.readers)
        if (!kept && !bytes && through == label) {
            bytes = bytesThrough(value, reader);
            if (bytes && preserveUnicode && !mostlyHigh(*bytes))
                bytes.reset();
        }
    if (!kept && !bytes)
        bytes = sourceBytes(value, preserveUnicode);
    if (bytes)
        return recodeStep(Step::Source, *bytes);
    return value.to8Bit(true);  // recoded for each target as it is
}

// A code page's bytes travel one per Latin-1 character; only a Unicode
// ID3v2 target gets its characters decoded.
TagLib::String TagConverter::id3v2Text(TextChange& change)
{
    change.id3v2 = recodeStep(Step::Id3v2, change.after);
    if (recording)
        return recoding.id3v2IsUnicode ? stringFromUtf8(*change.id3v2)
                                       : TagLib::String(*change.id3v2, TagLib::String::Latin1);
    // Not reported: each step is let go before the next is made.
    std::string().swap(change.after);
    std::string bytes = std::move(*change.id3v2);
    change.id3v2.reset();
    return recoding.id3v2IsUnicode ? stringFromUtf8(std::move(bytes))
                                   : TagLib::String(bytes, TagLib::String::Latin1);
}

void TagConverter::convertField(const TagLib::String& value, Setter setter)
{
    const TagField& field = fieldOf(setter);
    failedWhere = field.name;
    TextChange change;
    change.after = utf8Text(value, field.frameId);
    if (recoding.id3v1PerFile) {
        pendingId3v1_.push_back({setter, change.after, recording ? changes.size() : SIZE_MAX,
                                 (id3v1Tag->*field.get)().to8Bit(false)});
    } else if (recoding.id3v1Enabled) {
        change.id3v1 = recodeStep(Step::Id3v1, change.after);
        // The tag writes the first 30 bytes of a text field (of the comment
        // 28), one byte a character: a longer text need not be held whole,
        // at 4 bytes a character, but where the preview shows it.
        const bool cut = id3v1CutToRoom_ && setter != &TagLib::Tag::setGenre && change.id3v1->size() > kId3v1Room;
        (id3v1Tag->*setter)(TagLib::String(cut ? change.id3v1->substr(0, kId3v1Room) : *change.id3v1,
                                           TagLib::String::Latin1));
        if (!recording)
            change.id3v1.reset();
    }
    if (recoding.id3v2Enabled) {
        // An empty text deletes every frame of the field, frames that hold
        // other things among them (a COMM with only a description, a TCON of
        // "()"): a field that is empty and stays empty is left as it is.
        const TagLib::String text = id3v2Text(change);
        if (!recording)
            change = TextChange();  // a large text is not held more than it must
        if (!text.isEmpty() || !(id3v2Tag->*field.get)().isEmpty())
            (id3v2Tag->*setter)(text);
    }
    if (recording) {
        change.field = failedWhere;
        change.before = value.to8Bit(true);
        changes.push_back(std::move(change));
    }
}

TagLib::String TagConverter::convertFrameText(const TagLib::String& value, const std::string& label,
                                              const FrameText* listedAs, bool isDescription)
{
    TextChange change;
    change.after = utf8Text(value, label);
    TagLib::String converted = id3v2Text(change);
    if (recording && listedAs) {
        change.field = listedAs->id;
        change.isFrame = true;
        change.description = listedAs->description.to8Bit(true);
        change.isDescription = isDescription;
        change.before = value.to8Bit(true);
        changes.push_back(std::move(change));
    }
    return converted;
}

void TagConverter::convertOtherFrames(int id3v2Version)
{
    auto* tag = dynamic_cast<TagLib::ID3v2::Tag*>(id3v2Tag);
    if (!recoding.id3v2Enabled || !tag)
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
        setFrameText(*frame, converted, id3v2TextEncoding(recoding.id3v2IsUnicode, id3v2Version));
    }
}

std::vector<std::string> TagConverter::preview(const std::string& fileName) const
{
    return previewLines(fileName, recoding.id3v1Enabled ? id3v1Tag : nullptr,
                        recoding.id3v2Enabled ? id3v2Tag : nullptr, recoding.id3v2IsUnicode, otherFramesConverted);
}

}  // namespace tagshifter
