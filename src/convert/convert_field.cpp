#include "convert/tag_converter.h"

#include <taglib/tag.h>
#include <taglib/tstring.h>

#include <cstdint>

namespace tagshifter {

namespace {

// Text that holds any character from U+0100 up cannot be code page bytes
// read as Latin-1: it is Unicode already, and cutting it to bytes would
// destroy it.
bool holdsWideCharacter(const TagLib::String& value)
{
    for (unsigned int i = 0; i < value.size(); ++i) {
        if (static_cast<int32_t>(value[i]) >= 256)
            return true;
    }
    return false;
}

// Text read as Latin-1 from a code page tag has most characters in 128..255.
bool looksLikeMisreadCodePage(const TagLib::String& value)
{
    uint32_t high = 0;
    for (unsigned int i = 0; i < value.size(); ++i) {
        if (static_cast<int32_t>(value[i]) > 127)
            ++high;
    }
    return 2 * high > static_cast<uint32_t>(value.size());
}

}  // namespace

std::string TagConverter::utf8Text(const TagLib::String& value)
{
    if (sourceIsUnicode)
        return recodeString(sourceToUtf8, value.to8Bit(true));
    if (holdsWideCharacter(value))
        return value.to8Bit(true);  // recoded for each target as it is
    if (!preserveUnicode || looksLikeMisreadCodePage(value))
        return recodeString(sourceToUtf8, value.to8Bit(false));
    return value.to8Bit(true);
}

void TagConverter::convertField(const TagLib::String& value, Setter setter)
{
    const std::string utf8 = utf8Text(value);
    // A code page's bytes travel one per Latin-1 character; only a Unicode
    // ID3v2 target gets its characters decoded.
    if (id3v1Enabled) {
        (id3v1Tag->*setter)(TagLib::String(recodeString(utf8ToId3v1, utf8), TagLib::String::Latin1));
    }
    if (id3v2Enabled) {
        const auto type = id3v2IsUnicode ? TagLib::String::UTF8 : TagLib::String::Latin1;
        (id3v2Tag->*setter)(TagLib::String(recodeString(utf8ToId3v2, utf8), type));
    }
}

}  // namespace tagshifter
