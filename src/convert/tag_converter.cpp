#include "convert/tag_converter.h"

#include "common/error.h"
#include "common/format.h"
#include "common/messages.h"
#include "convert/frame_factory.h"
#include "convert/frame_text.h"
#include "convert/id3v1_bytes.h"
#include "convert/packed_text.h"
#include "convert/preview.h"
#include "convert/source_texts.h"
#include "convert/utf8_string.h"
#include "text/fields.h"

#include <taglib/commentsframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/tag.h>
#include <taglib/tstring.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>

namespace tagshifter {

namespace {

// What a large field holds between its old text and its new one.
const char kStandIn[] = "-";

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

TagConverter::SourceText TagConverter::sourceText(const TagLib::String& value, const std::string& label)
{
    if (recoding.sourceIsUnicode)
        return {utf8Of(value)};
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
        return {std::move(*bytes)};
    return {utf8Of(value), false};  // recoded for each target as it is
}

// A text the guess's plan does not name is read from the source page as
// it would be without a plan.
bool TagConverter::isPlanned(const std::string& label) const
{
    const auto& kept = plan_.keptAsItIs;
    return plan_.keepAll || std::find(kept.begin(), kept.end(), label) != kept.end()
           || std::any_of(plan_.readers.begin(), plan_.readers.end(),
                          [&label](const auto& reader) { return reader.first == label; });
}

std::string TagConverter::utf8Text(const TagLib::String& value, const std::string& label)
{
    SourceText source = sourceText(value, label);
    return source.recoded ? recodeStep(Step::Source, source.bytes) : std::move(source.bytes);
}

bool TagConverter::isLarge(const TagLib::String& value, Setter setter) const
{
    return packVersion_ != 0 && id3v2Tag != nullptr && value.size() > kLargeText
           && (setter == &TagLib::Tag::setTitle || setter == &TagLib::Tag::setArtist
               || setter == &TagLib::Tag::setAlbum || setter == &TagLib::Tag::setComment);
}

// Once its bytes are taken, the old text goes from `value` and from the
// ID3v2 frame the field is set on (which holds a stand-in until the new
// text is set): at 4 bytes a character, it need not wait for the new one.
// With an ID3v2 target the field is set again all the same; without, that
// tag is not written. The report keeps the text as read in `change`: the
// source's bytes themselves where they are its Latin-1, else its UTF-8.
std::string TagConverter::releasedUtf8Text(TagLib::String& value, const std::string& label, Setter setter,
                                           TextChange& change)
{
    SourceText source = sourceText(value, label);
    const bool latin1 = recording && source.recoded && !isPlanned(label) && value.isLatin1();
    if (recording && !latin1)
        change.before = utf8Of(value);
    value = TagLib::String();
    (id3v2Tag->*setter)(TagLib::String(kStandIn));
    if (!source.recoded)
        return std::move(source.bytes);
    std::string utf8 = recodeStep(Step::Source, source.bytes);
    if (latin1) {
        change.before = std::move(source.bytes);
        change.beforeIsLatin1 = true;
    }
    std::string().swap(source.bytes);
    return utf8;
}

// The frame TagLib's setter put the stand-in in is given the new text as
// the bytes it writes; where that cannot be, the text is set as usual.
void TagConverter::setPacked(TextChange& change, const char* frameId, Setter setter)
{
    std::string bytes = recodeStep(Step::Id3v2, change.after);
    // The report shows a code page's bytes; a Unicode target's are `after`,
    // made again from the bytes read once the file is closed.
    if (!recording)
        change = TextChange();
    else if (!recoding.id3v2IsUnicode)
        change.id3v2 = bytes;
    if (recording && change.beforeIsLatin1 && !recoding.id3v1PerFile) {
        std::string().swap(change.after);
        change.afterLetGo = true;
    }
    auto* tag = dynamic_cast<TagLib::ID3v2::Tag*>(id3v2Tag);
    TagLib::ID3v2::Frame* standIn = nullptr;
    if (tag != nullptr) {
        // As the setter chooses: a comment without description first.
        const TagLib::ID3v2::FrameList& frames = tag->frameList(frameId);
        for (TagLib::ID3v2::Frame* frame : frames) {
            const auto* comment = dynamic_cast<const TagLib::ID3v2::CommentsFrame*>(frame);
            if (standIn == nullptr && comment != nullptr && comment->description().isEmpty())
                standIn = frame;
        }
        if (standIn == nullptr && !frames.isEmpty())
            standIn = frames.front();
    }
    if (standIn != nullptr && standIn->toString() == kStandIn
        && packText(*tag, *standIn, bytes, recoding.id3v2IsUnicode, packVersion_))
        return;
    (id3v2Tag->*setter)(recoding.id3v2IsUnicode ? stringFromUtf8(std::move(bytes))
                                                : TagLib::String(bytes, TagLib::String::Latin1));
}

// A code page's bytes travel one per Latin-1 character; only a Unicode
// ID3v2 target gets its characters decoded.
TagLib::String TagConverter::id3v2Text(TextChange& change)
{
    change.id3v2 = recodeStep(Step::Id3v2, change.after);
    // The report shows the bytes of a code page alone; UTF-8 is `after`.
    if (recording && recoding.id3v2IsUnicode) {
        std::string bytes = std::move(*change.id3v2);
        change.id3v2.reset();
        return stringFromUtf8(std::move(bytes));
    }
    if (recording)
        return TagLib::String(*change.id3v2, TagLib::String::Latin1);
    // Not reported: each step is let go before the next is made.
    std::string().swap(change.after);
    std::string bytes = std::move(*change.id3v2);
    change.id3v2.reset();
    return recoding.id3v2IsUnicode ? stringFromUtf8(std::move(bytes))
                                   : TagLib::String(bytes, TagLib::String::Latin1);
}

void TagConverter::convertField(TagLib::String&& value, Setter setter)
{
    const TagField& field = fieldOf(setter);
    failedWhere = field.name;
    TextChange change;
    const bool large = isLarge(value, setter);
    change.after = large ? releasedUtf8Text(value, field.frameId, setter, change) : utf8Text(value, field.frameId);
    setOnTargets(change, field, setter, large);
    if (recording) {
        change.field = failedWhere;
        if (!large)
            change.before = utf8Of(value);
        changes.push_back(std::move(change));
    }
}

// As sourceText reads the TagLib string of the Latin-1 text `bytes` spell,
// without -p's rule or a Unicode source: that string takes 4 bytes a character.
TagConverter::SourceText TagConverter::latin1SourceText(std::string bytes, const std::string& label) const
{
    const auto& kept = plan_.keptAsItIs;
    if (plan_.keepAll || std::find(kept.begin(), kept.end(), label) != kept.end())
        return {utf8OfLatin1(bytes), false};
    for (const auto& [through, reader] : plan_.readers)
        if (through == label && readLatin1Through(bytes, reader))
            break;
    return {std::move(bytes)};
}

void TagConverter::convertLatin1Field(std::string&& bytes, Setter setter)
{
    const TagField& field = fieldOf(setter);
    const bool planned = isPlanned(field.frameId);
    if (recoding.sourceIsUnicode || (preserveUnicode && (planned || !mostlyHigh(bytes))))
        return convertField(TagLib::String(bytes, TagLib::String::Latin1), setter);
    failedWhere = field.name;
    TextChange change;
    if (planned) {
        // The report keeps the bytes as read; else they are read in place.
        SourceText source = latin1SourceText(recording ? std::string(bytes) : std::move(bytes), field.frameId);
        change.after = source.recoded ? recodeStep(Step::Source, source.bytes) : std::move(source.bytes);
    } else {
        change.after = recodeStep(Step::Source, bytes);
    }
    // The report shows the text as read: the bytes themselves, kept.
    if (recording) {
        change.before = std::move(bytes);
        change.beforeIsLatin1 = true;
    }
    std::string().swap(bytes);
    setOnTargets(change, field, setter, false);
    if (recording) {
        change.field = failedWhere;
        changes.push_back(std::move(change));
    }
}

void TagConverter::remakeTextsLetGo(std::vector<TextChange>& taken)
{
    for (TextChange& change : taken)
        if (change.afterLetGo) {
            change.after = recodeStep(Step::Source, change.before);
            change.afterLetGo = false;
        }
}

bool TagConverter::isAside(const TextChange& change, Setter setter) const
{
    return asideForPreview_ && !recording && change.after.size() > kLargeText
           && (setter == &TagLib::Tag::setTitle || setter == &TagLib::Tag::setArtist
               || setter == &TagLib::Tag::setAlbum || setter == &TagLib::Tag::setComment);
}

// The ID3v1 tag is given what it writes of the text, the ID3v2 tag a
// stand-in; the preview shows the lines kept here instead, each made round
// its text as it is converted. A Unicode ID3v2 line holds the UTF-8 text
// as it is: it is made first, the text let go, and the ID3v1 text made
// from it, so that the text is not held three times over.
void TagConverter::setAside(TextChange& change, const TagField& field, Setter setter)
{
    const size_t index = static_cast<size_t>(&field - kTagFields.data());
    const ShownLine shown(field);
    const size_t head = shown.head.size();
    std::optional<std::string> id3v2Line;
    if (recoding.id3v2Enabled && recoding.id3v2IsUnicode) {
        id3v2Line = recoding.recode(Step::Id3v2, change.after.data(), change.after.size(), failedWhere, shown.head,
                                    shown.tail.size());
        std::string().swap(change.after);
    }
    if (recoding.id3v1Enabled) {
        const char* text = id3v2Line ? id3v2Line->data() + head : change.after.data();
        const size_t size = id3v2Line ? id3v2Line->size() - head : change.after.size();
        std::string line = recoding.recode(Step::Id3v1, text, size, failedWhere, shown.head, shown.tail.size());
        const size_t room = setter == &TagLib::Tag::setComment ? 28 : kId3v1Room;
        (id3v1Tag->*setter)(TagLib::String(line.substr(head, room), TagLib::String::Latin1));
        shown.end(line);
        id3v1Aside_[index] = std::move(line);
    }
    if (recoding.id3v2Enabled) {
        if (!id3v2Line)
            id3v2Line = recoding.recode(Step::Id3v2, change.after.data(), change.after.size(), failedWhere,
                                        shown.head, shown.tail.size());
        std::string().swap(change.after);
        (id3v2Tag->*setter)(TagLib::String(kStandIn));
        shown.end(*id3v2Line);
        id3v2Aside_[index] = std::move(*id3v2Line);
    }
}

void TagConverter::setOnTargets(TextChange& change, const TagField& field, Setter setter, bool large)
{
    if (!recoding.id3v1PerFile && isAside(change, setter))
        return setAside(change, field, setter);
    if (recoding.id3v1PerFile) {
        pendingId3v1_.push_back({setter, change.after, recording ? changes.size() : SIZE_MAX,
                                 (id3v1Tag->*field.get)().to8Bit(false)});
    } else if (recoding.id3v1Enabled) {
        change.id3v1 = recodeStep(Step::Id3v1, change.after);
        // The tag writes the first 30 bytes of a text field (of the comment
        // 28), one byte a character: a longer text need not be held whole,
        // at 4 bytes a character, but where the preview shows it. Cut, it
        // is written as a reader gets it back, without the spaces it ends in.
        // The cut is made of the head alone (one byte past the room, so that
        // it is known to be cut): a large text is not copied.
        const bool cut = id3v1CutToRoom_ && setter != &TagLib::Tag::setGenre;
        (id3v1Tag->*setter)(TagLib::String(
            cut ? id3v1AsReadBack(setter == &TagLib::Tag::setComment, change.id3v1->substr(0, kId3v1Room + 1))
                : *change.id3v1,
            TagLib::String::Latin1));
        if (!recording)
            change.id3v1.reset();
    }
    if (recoding.id3v2Enabled && large) {
        setPacked(change, field.frameId, setter);
    } else if (recoding.id3v2Enabled) {
        // An empty text deletes every frame of the field, frames that hold
        // other things among them (a COMM with only a description, a TCON of
        // "()"): a field that is empty and stays empty is left as it is.
        const TagLib::String text = id3v2Text(change);
        if (!recording)
            change = TextChange();  // a large text is not held more than it must
        if (!text.isEmpty() || !(id3v2Tag->*field.get)().isEmpty())
            (id3v2Tag->*setter)(text);
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
        change.before = utf8Of(value);
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
    const TagLib::String::Type encoding = id3v2TextEncoding(recoding.id3v2IsUnicode, id3v2Version);
    // Every text of a frame is recoded before any is set, so a failure
    // leaves the frame in hand as it was (and the caller drops the file).
    // The frames as they stand, taken out of TagLib's list (a copy of
    // which would own them): a packed text takes its frame's place.
    const TagLib::ID3v2::FrameList& list = tag->frameList();
    const std::vector<TagLib::ID3v2::Frame*> frames(list.begin(), list.end());
    for (TagLib::ID3v2::Frame* frame : frames) {
        std::optional<FrameText> text = frameText(*frame);
        if (!text)
            continue;
        failedWhere = nameOf(*text);
        FrameText converted = *text;
        // The five fields' frames are listed as the fields they are.
        const FrameText* listedAs = isFiveFieldFrame(text->id, text->description) ? nullptr : &*text;
        const std::string label = labelOf(*text);
        if (text->described)
            converted.description = convertFrameText(text->description, label, listedAs, true);
        if (isLargeFrameText(*text)) {
            converted.texts.clear();
            convertLargeFrameText(*frame, *text, converted, label, encoding);
            continue;
        }
        converted.texts.clear();
        for (const TagLib::String& value : text->texts)
            converted.texts.append(convertFrameText(value, label, listedAs, false));
        setFrameText(*frame, converted, encoding);
    }
}

bool TagConverter::isLargeFrameText(const FrameText& text) const
{
    return packVersion_ != 0 && !recording && text.texts.size() == 1 && text.texts.front().size() > kLargeText;
}

// As for a large field: the old text goes from the frame (a stand-in until
// the new one comes) once its bytes are taken, and the new one is set as
// the bytes the frame writes, or where that cannot be as usual.
void TagConverter::convertLargeFrameText(TagLib::ID3v2::Frame& frame, FrameText& text, FrameText& converted,
                                         const std::string& label, TagLib::String::Type encoding)
{
    SourceText source = sourceText(text.texts.front(), label);
    text.texts.clear();
    converted.texts.append(TagLib::String(kStandIn));
    setFrameText(frame, converted, encoding);
    converted.texts.clear();
    std::string utf8 = source.recoded ? recodeStep(Step::Source, source.bytes) : std::move(source.bytes);
    std::string().swap(source.bytes);
    std::string bytes = recodeStep(Step::Id3v2, utf8);
    std::string().swap(utf8);
    auto& tag = dynamic_cast<TagLib::ID3v2::Tag&>(*id3v2Tag);
    if (packText(tag, frame, bytes, recoding.id3v2IsUnicode, packVersion_))
        return;
    converted.texts.append(recoding.id3v2IsUnicode ? stringFromUtf8(std::move(bytes))
                                                   : TagLib::String(bytes, TagLib::String::Latin1));
    setFrameText(frame, converted, encoding);
}

std::vector<std::string> TagConverter::preview(const std::string& fileName)
{
    return previewLines(fileName, recoding.id3v1Enabled ? id3v1Tag : nullptr,
                        recoding.id3v2Enabled ? id3v2Tag : nullptr, recoding.id3v2IsUnicode, otherFramesConverted,
                        std::exchange(id3v1Aside_, {}), std::exchange(id3v2Aside_, {}));
}

}  // namespace tagshifter
