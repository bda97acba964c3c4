#include "convert/source_texts.h"

#include "convert/frame_text.h"

#include <taglib/id3v2tag.h>
#include <taglib/tag.h>

#include <cstdint>

namespace tagshifter {

namespace {

void addIfRecoded(std::vector<std::string>& texts, const TagLib::String& value, bool preserveUnicode)
{
    if (!value.isEmpty() && isRecodedFromSource(value, preserveUnicode))
        texts.push_back(value.to8Bit(false));
}

}  // namespace

bool holdsWideCharacter(const TagLib::String& value)
{
    for (unsigned int i = 0; i < value.size(); ++i) {
        if (static_cast<int32_t>(value[i]) >= 256)
            return true;
    }
    return false;
}

bool looksLikeMisreadCodePage(const TagLib::String& value)
{
    uint32_t high = 0;
    for (unsigned int i = 0; i < value.size(); ++i) {
        if (static_cast<int32_t>(value[i]) > 127)
            ++high;
    }
    return 2 * high > static_cast<uint32_t>(value.size());
}

bool isRecodedFromSource(const TagLib::String& value, bool preserveUnicode)
{
    return !holdsWideCharacter(value) && (!preserveUnicode || looksLikeMisreadCodePage(value));
}

bool isFiveFieldFrame(const std::string& id, const TagLib::String& description)
{
    return id == "TIT2" || id == "TPE1" || id == "TALB" || id == "TCON"
           || (id == "COMM" && description.isEmpty());
}

std::vector<std::string> sourceTexts(const TagLib::Tag& combined, const TagLib::ID3v2::Tag* otherFrames,
                                     bool preserveUnicode)
{
    std::vector<std::string> texts;
    for (const TagLib::String& field :
         {combined.title(), combined.artist(), combined.album(), combined.comment(), combined.genre()})
        addIfRecoded(texts, field, preserveUnicode);
    if (!otherFrames)
        return texts;
    // The five fields' own frames are left out: counted twice, their text
    // would weigh double in the judgement.
    for (const TagLib::ID3v2::Frame* frame : otherFrames->frameList()) {
        const std::optional<FrameText> text = frameText(*frame);
        if (!text || isFiveFieldFrame(text->id, text->description))
            continue;
        addIfRecoded(texts, text->description, preserveUnicode);
        for (const TagLib::String& value : text->texts)
            addIfRecoded(texts, value, preserveUnicode);
    }
    return texts;
}

std::vector<std::string> sourceTexts(const std::array<std::string, 5>& fields, bool preserveUnicode)
{
    std::vector<std::string> texts;
    for (const std::string& field : fields) {
        size_t high = 0;
        for (unsigned char c : field)
            high += c > 127;
        if (!field.empty() && (!preserveUnicode || 2 * high > field.size()))
            texts.push_back(field);
    }
    return texts;
}

}  // namespace tagshifter
