#include "convert/source_texts.h"

#include <taglib/commentsframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/tag.h>
#include <taglib/textidentificationframe.h>
#include <taglib/unsynchronizedlyricsframe.h>

#include <cstdint>

namespace tagshifter {

namespace {

using TagLib::ID3v2::CommentsFrame;
using TagLib::ID3v2::Frame;
using TagLib::ID3v2::TextIdentificationFrame;
using TagLib::ID3v2::UnsynchronizedLyricsFrame;
using TagLib::ID3v2::UserTextIdentificationFrame;

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
    for (const Frame* frame : otherFrames->frameList()) {
        const TagLib::ByteVector idBytes = frame->frameID();
        const std::string id(idBytes.data(), idBytes.size());
        if (const auto* text = dynamic_cast<const TextIdentificationFrame*>(frame)) {
            const TagLib::StringList fields = text->fieldList();
            const bool described = dynamic_cast<const UserTextIdentificationFrame*>(frame) != nullptr;
            if (isFiveFieldFrame(id, described && !fields.isEmpty() ? fields.front() : TagLib::String()))
                continue;
            for (const TagLib::String& field : fields)
                addIfRecoded(texts, field, preserveUnicode);
        } else if (const auto* comment = dynamic_cast<const CommentsFrame*>(frame)) {
            if (isFiveFieldFrame(id, comment->description()))
                continue;
            addIfRecoded(texts, comment->description(), preserveUnicode);
            addIfRecoded(texts, comment->text(), preserveUnicode);
        } else if (const auto* lyrics = dynamic_cast<const UnsynchronizedLyricsFrame*>(frame)) {
            addIfRecoded(texts, lyrics->description(), preserveUnicode);
            addIfRecoded(texts, lyrics->text(), preserveUnicode);
        }
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
