#include "convert/tag_converter.h"

#include "common/error.h"
#include "common/messages.h"
#include "convert/recode.h"

namespace tagshifter {

namespace {
const char kUnicode[] = "unicode";
const char kNone[] = "none";
const char kUtf8[] = "UTF-8";
const char kAuto[] = "auto";  // -1 auto: each file's own page
}  // namespace

TagConverter::TagConverter(const std::string& sourceEncoding, const std::string& id3v1Encoding,
                           const std::string& id3v2Encoding, TagLib::Tag* id3v1Tag,
                           TagLib::Tag* id3v2Tag, bool preserveUnicode)
    : id3v1Tag(id3v1Tag), id3v2Tag(id3v2Tag), preserveUnicode(preserveUnicode),
      sourceName(sourceEncoding), id3v1Name(id3v1Encoding), id3v2Name(id3v2Encoding)
{
    // Working copies: the settings keep "unicode" for the next file.
    std::string source = sourceEncoding;
    std::string id3v2 = id3v2Encoding;

    if (source == kUnicode) {
        sourceIsUnicode = true;
        source = kUtf8;
    }
    if (!sourceToUtf8.open(kUtf8, source.c_str()))
        throw Error(Error::Kind::SourceEncoding, messages::kCannotOpenSourceEncoding);

    if (id3v1Encoding == kUnicode)
        throw Error(Error::Kind::Id3v1NoUnicode, messages::kId3v1NoUnicode);
    if (id3v1Encoding == kAuto) {
        id3v1Auto_ = true;
        id3v1Enabled = true;
    } else if (id3v1Encoding != kNone) {
        if (!utf8ToId3v1.open(id3v1Encoding.c_str(), kUtf8))
            throw Error(Error::Kind::Id3v1Encoding, messages::kCannotOpenId3v1Encoding);
        id3v1Enabled = true;
    }

    if (id3v2 == kUnicode) {
        id3v2 = kUtf8;
        id3v2IsUnicode = true;
    } else if (id3v2 == kNone) {
        return;
    }
    if (!utf8ToId3v2.open(id3v2.c_str(), kUtf8))
        throw Error(Error::Kind::Id3v2Encoding, messages::kCannotOpenId3v2Encoding);
    id3v2Enabled = true;
}

TagConverter::~TagConverter()
{
    sourceToUtf8.close();
    utf8ToId3v1.close();
    utf8ToId3v2.close();
}

std::string TagConverter::recodeString(Conversion& conversion, const std::string& input)
{
    return recodeThrough(conversion.descriptor(), input, ::iconv);
}

}  // namespace tagshifter
