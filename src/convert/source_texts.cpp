#include "convert/source_texts.h"

#include "convert/frame_text.h"
#include "text/fields.h"

#include <taglib/id3v2tag.h>
#include <taglib/tag.h>
#include <taglib/textidentificationframe.h>

namespace tagshifter {

namespace {

// Whether the frame a field of the combined tag came from holds Unicode.
bool inUnicodeFrame(const TagLib::ID3v2::Tag* id3v2, const std::string& id)
{
    if (!id3v2)
        return false;
    for (const TagLib::ID3v2::Frame* frame : id3v2->frameList(id.c_str())) {
        const std::optional<FrameText> text = frameText(*frame);
        if (text && (id != "COMM" || text->description.isEmpty()))
            return text->unicode;
    }
    return false;
}

void addIfRecoded(std::vector<LabelledText>& texts, const std::string& label, const TagLib::String& value,
                  bool unicodeFrame, bool preserveUnicode, bool forGuess)
{
    if (value.isEmpty())
        return;
    std::optional<LabelledText> text;
    if (const std::optional<std::string> bytes = sourceBytes(value, preserveUnicode))
        text.emplace(label, *bytes, bytesThrough(value, Reader::Latin1) ? Reader::Latin1 : Reader::Windows1252,
                     unicodeFrame);
    // Only a tool that saved Unicode can have misread bytes through a
    // reader; the guess weighs each reader that holds the text.
    for (const Reader reader : readers()) {
        if (!forGuess || !unicodeFrame)
            break;
        std::optional<std::string> bytes = bytesThrough(value, reader);
        if (!bytes || !worthReading(*bytes, reader) || (preserveUnicode && !mostlyHigh(*bytes))
            || (text && text->bytesThrough(reader)) || (text && text->bytes == *bytes))
            continue;
        if (text)
            text->otherReaders.emplace_back(reader, std::move(*bytes));
        else
            text.emplace(label, std::move(*bytes), reader, unicodeFrame);
    }
    if (text) {
        texts.push_back(std::move(*text));
        return;
    }
    // Unicode text, a little of it, tells the guess the file's language.
    constexpr unsigned int kEvidenceLength = 64;
    if (forGuess && value.size() <= kEvidenceLength && !sourceBytes(value, false)) {
        LabelledText evidence(label, value.to8Bit(true), Reader::Latin1, unicodeFrame);
        evidence.evidenceOnly = true;
        texts.push_back(std::move(evidence));
    }
}

// Text misread through Windows-1252 shows the letters of the page as "À".."ÿ"
// (Cyrillic, Greek, Hebrew... all lie there). Without one, "€" or "—" among
// ASCII is genuine Unicode, such as this tool's own output of an earlier
// run, which must not be read again.
bool misreadLetters(const TagLib::String& value)
{
    for (unsigned int i = 0; i < value.size(); ++i)
        if (value[i] >= 0xC0 && value[i] <= 0xFF)
            return true;
    return false;
}

}  // namespace

TagLib::String fieldText(const TagLib::Tag& combined, const TagLib::Tag* main, const TagField& field)
{
    const std::string id = field.frameId;
    const auto* id3v2 = dynamic_cast<const TagLib::ID3v2::Tag*>(main);
    if (id3v2 && (id == "TIT2" || id == "TPE1" || id == "TALB")) {
        const TagLib::ID3v2::FrameList& frames = id3v2->frameList(field.frameId);
        const auto* frame =
            frames.isEmpty() ? nullptr : dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(frames.front());
        const TagLib::StringList texts = frame ? frame->fieldList() : TagLib::StringList();
        if (texts.size() == 1 && !texts.front().isEmpty())
            return texts.front();
    }
    return (combined.*field.get)();
}

std::string labelOf(const FrameText& text)
{
    return text.description.isEmpty() ? text.id : text.id + ":" + text.description.to8Bit(true);
}

bool mostlyHigh(const std::string& bytes)
{
    size_t high = 0;
    for (unsigned char c : bytes)
        high += c > 127;
    return 2 * high > bytes.size();
}

std::optional<std::string> sourceBytes(const TagLib::String& value, bool preserveUnicode)
{
    std::optional<std::string> bytes = bytesThrough(value, Reader::Latin1);
    if (!bytes && misreadLetters(value))
        bytes = bytesThrough(value, Reader::Windows1252);
    if (bytes && preserveUnicode && !mostlyHigh(*bytes))
        return std::nullopt;
    return bytes;
}

bool isFiveFieldFrame(const std::string& id, const TagLib::String& description)
{
    for (const TagField& field : kTagFields)
        if (id == field.frameId)
            return id != "COMM" || description.isEmpty();
    return false;
}

std::vector<LabelledText> sourceTexts(const TagLib::Tag& combined, const TagLib::ID3v2::Tag* id3v2,
                                      bool otherFrames, bool preserveUnicode, bool forGuess)
{
    std::vector<LabelledText> texts;
    for (const TagField& field : kTagFields)
        addIfRecoded(texts, field.frameId, (combined.*field.get)(), inUnicodeFrame(id3v2, field.frameId),
                     preserveUnicode, forGuess);
    if (!otherFrames || !id3v2)
        return texts;
    // The five fields' own frames are left out: counted twice, their text
    // would weigh double in the judgement.
    for (const TagLib::ID3v2::Frame* frame : id3v2->frameList()) {
        const std::optional<FrameText> text = frameText(*frame);
        if (!text || isFiveFieldFrame(text->id, text->description))
            continue;
        const bool unicode = text->unicode;
        const std::string label = labelOf(*text);
        addIfRecoded(texts, label, text->description, unicode, preserveUnicode, forGuess);
        for (const TagLib::String& value : text->texts)
            addIfRecoded(texts, label, value, unicode, preserveUnicode, forGuess);
    }
    return texts;
}

std::vector<LabelledText> sourceTexts(const std::array<std::string, 5>& fields, bool preserveUnicode)
{
    std::vector<LabelledText> texts;
    for (size_t i = 0; i < fields.size(); ++i)
        if (!fields[i].empty() && (!preserveUnicode || mostlyHigh(fields[i])))
            texts.emplace_back(kTagFields[i].frameId, fields[i], Reader::Latin1, false);
    return texts;
}

}  // namespace tagshifter
