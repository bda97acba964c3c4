#include "convert/tag_converter.h"

#include "common/error.h"
#include "common/format.h"
#include "common/messages.h"
#include "convert/frame_text.h"
#include "convert/source_texts.h"
#include "text/fields.h"

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

}  // namespace

std::string TagConverter::recodeStep(Step step, const std::string& input)
{
    try {
        switch (step) {
        case Step::Source: return recodeString(sourceToUtf8, input);
        case Step::Id3v1: return recodeString(utf8ToId3v1, input);
        case Step::Id3v2: break;
        }
        return recodeString(utf8ToId3v2, input);
    } catch (Error& error) {
        error.where = failedWhere;
        error.conversion = step == Step::Source ? formatted(messages::kFromSource, sourceName.c_str())
                           : step == Step::Id3v1 ? formatted(messages::kToId3v1, id3v1Name.c_str())
                                                 : formatted(messages::kToId3v2, id3v2Name.c_str());
        throw;
    }
}

std::string TagConverter::utf8Text(const TagLib::String& value, const std::string& label)
{
    if (sourceIsUnicode)
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
    const auto type = id3v2IsUnicode ? TagLib::String::UTF8 : TagLib::String::Latin1;
    return TagLib::String(*change.id3v2, type);
}

void TagConverter::convertField(const TagLib::String& value, Setter setter)
{
    const TagField& field = fieldOf(setter);
    failedWhere = field.name;
    TextChange change;
    change.after = utf8Text(value, field.frameId);
    if (id3v1Auto_) {
        pendingId3v1_.push_back({setter, change.after, recording ? changes.size() : SIZE_MAX,
                                 (id3v1Tag->*field.get)().to8Bit(false)});
    } else if (id3v1Enabled) {
        change.id3v1 = recodeStep(Step::Id3v1, change.after);
        (id3v1Tag->*setter)(TagLib::String(*change.id3v1, TagLib::String::Latin1));
    }
    if (id3v2Enabled) {
        // An empty text deletes every frame of the field, frames that hold
        // other things among them (a COMM with only a description, a TCON of
        // "()"): a field that is empty and stays empty is left as it is.
        const TagLib::String text = id3v2Text(change);
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

}  // namespace tagshifter
