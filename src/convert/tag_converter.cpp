#include "convert/tag_converter.h"

#include "common/error.h"
#include "common/messages.h"
#include "convert/recode.h"
#include "sys/fd.h"

namespace tagshifter {

namespace {
const char kUtf8[] = "UTF-8";
const char kTranslit[] = "//TRANSLIT";

// A conversion that did not open: the encoding's name is to blame unless
// the process ran out of descriptors, which is said as such.
[[noreturn]] void cannotOpen(Error::Kind kind, const char* message)
{
    if (const int exhausted = sys::descriptorsExhausted())
        throw Error(Error::Kind::Other, sys::describe(messages::kCannotOpenConversion, exhausted));
    throw Error(kind, message);
}
}  // namespace

TagConverter::TagConverter(const SourceEncoding& source, const TargetEncoding& id3v1,
                           const TargetEncoding& id3v2, TagLib::Tag* id3v1Tag,
                           TagLib::Tag* id3v2Tag, bool preserveUnicode)
    : id3v1Tag(id3v1Tag), id3v2Tag(id3v2Tag), preserveUnicode(preserveUnicode),
      sourceName(source.name()), id3v1Name(id3v1.name()), id3v2Name(id3v2.name())
{
    sourceIsUnicode = source.kind == SourceEncoding::Kind::Unicode;
    if (!sourceToUtf8.open(kUtf8, sourceIsUnicode ? kUtf8 : sourceName.c_str()))
        cannotOpen(Error::Kind::SourceEncoding, messages::kCannotOpenSourceEncoding);

    switch (id3v1.kind) {
    case TargetEncoding::Kind::None: break;
    case TargetEncoding::Kind::Unicode: throw Error(Error::Kind::Id3v1NoUnicode, messages::kId3v1NoUnicode);
    case TargetEncoding::Kind::PerFile: id3v1Auto_ = id3v1Enabled = true; break;
    case TargetEncoding::Kind::CodePage:
        if (!utf8ToId3v1.open(id3v1Name.c_str(), kUtf8))
            cannotOpen(Error::Kind::Id3v1Encoding, messages::kCannotOpenId3v1Encoding);
        id3v1Enabled = true;
        break;
    }

    if (!id3v2.isWritten())
        return;
    id3v2IsUnicode = id3v2.kind == TargetEncoding::Kind::Unicode;
    if (!utf8ToId3v2.open(id3v2IsUnicode ? kUtf8 : id3v2Name.c_str(), kUtf8))
        cannotOpen(Error::Kind::Id3v2Encoding, messages::kCannotOpenId3v2Encoding);
    id3v2Enabled = true;
}

TagConverter::~TagConverter()
{
    sourceToUtf8.close();
    utf8ToId3v1.close();
    utf8ToId3v2.close();
}

void TagConverter::finishId3v1()
{
    if (!id3v1Auto_ || id3v1Pages_.empty())
        return;
    std::vector<std::string> recoded;
    for (const std::string& page : id3v1Pages_) {
        if (!utf8ToId3v1.open(page.c_str(), kUtf8))
            continue;
        recoded.clear();
        try {
            for (const auto& field : pendingId3v1_)
                recoded.push_back(recodeString(utf8ToId3v1, field.utf8));
        } catch (const Error&) {
            continue;
        }
        id3v1Name = page;
        break;
    }
    if (recoded.size() != pendingId3v1_.size()) {
        id3v1Name = id3v1Pages_.front() + kTranslit;
        if (!utf8ToId3v1.open(id3v1Name.c_str(), kUtf8))
            cannotOpen(Error::Kind::Id3v1Encoding, messages::kCannotOpenId3v1Encoding);
        recoded.clear();
        for (const auto& field : pendingId3v1_)
            recoded.push_back(recodeStep(Step::Id3v1, field.utf8));
    }
    for (size_t i = 0; i < recoded.size(); ++i) {
        const PendingId3v1& field = pendingId3v1_[i];
        (id3v1Tag->*field.setter)(TagLib::String(recoded[i], TagLib::String::Latin1));
        if (field.change < changes.size())
            changes[field.change].id3v1 = recoded[i];
    }
    pendingId3v1_.clear();
}

std::string TagConverter::recodeString(Conversion& conversion, const std::string& input)
{
    return recodeThrough(conversion.descriptor(), input, ::iconv);
}

}  // namespace tagshifter
