#include "convert/recoding.h"

#include "common/error.h"
#include "common/format.h"
#include "common/messages.h"
#include "convert/recode.h"
#include "sys/fd.h"
#include "text/script.h"

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

std::string through(Conversion& conversion, const char* input, size_t size, std::string head, size_t tailRoom)
{
    return recodeThrough(conversion.descriptor(), input, size, ::iconv, std::move(head), tailRoom);
}
}  // namespace

Recoding::Recoding(const SourceEncoding& source, const TargetEncoding& id3v1, const TargetEncoding& id3v2)
    : id3v1Name(id3v1.name()), sourceName(source.name()), id3v2Name(id3v2.name())
{
    sourceIsUnicode = source.kind == SourceEncoding::Kind::Unicode;
    if (!sourceToUtf8.open(kUtf8, sourceIsUnicode ? kUtf8 : sourceName.c_str()))
        cannotOpen(Error::Kind::SourceEncoding, messages::kCannotOpenSourceEncoding);

    switch (id3v1.kind) {
    case TargetEncoding::Kind::None: break;
    case TargetEncoding::Kind::Unicode: throw Error(Error::Kind::Id3v1NoUnicode, messages::kId3v1NoUnicode);
    case TargetEncoding::Kind::PerFile: id3v1PerFile = id3v1Enabled = true; break;
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

std::string Recoding::recode(Step step, const std::string& input, const std::string& where)
{
    return recode(step, input.data(), input.size(), where, std::string(), 0);
}

std::string Recoding::recode(Step step, const char* input, size_t size, const std::string& where, std::string head,
                             size_t tailRoom)
{
    try {
        switch (step) {
        case Step::Source: return through(sourceToUtf8, input, size, std::move(head), tailRoom);
        case Step::Id3v1: return through(utf8ToId3v1, input, size, std::move(head), tailRoom);
        case Step::Id3v2: break;
        }
        return through(utf8ToId3v2, input, size, std::move(head), tailRoom);
    } catch (Error& error) {
        error.where = where;
        error.conversion = step == Step::Source ? formatted(messages::kFromSource, sourceName.c_str())
                           : step == Step::Id3v1 ? formatted(messages::kToId3v1, id3v1Name.c_str())
                                                 : formatted(messages::kToId3v2, id3v2Name.c_str());
        throw;
    }
}

std::vector<std::string> Recoding::choosePage(const std::vector<std::string>& pages,
                                              const std::vector<std::string>& texts, const std::string& where)
{
    // A page of the texts' own script, when the list has one, even if a page
    // of another script holds every character (EUC-JP and GBK hold Greek and
    // Cyrillic, and the accents of a French comment besides): a player
    // reads a Greek ID3v1 as cp1253, and a stray "é" is better transliterated
    // there than the whole tag written in a page no one would try.
    const Script script = mainScript(texts);
    std::vector<std::string> own;
    if (script != Script::None)
        for (const std::string& page : pages)
            if (pageScript(page) == script)
                own.push_back(page);
    const std::vector<std::string>& tried = own.empty() ? pages : own;
    std::vector<std::string> recoded;
    for (const std::string& page : tried) {
        if (!utf8ToId3v1.open(page.c_str(), kUtf8))
            continue;
        recoded.clear();
        try {
            for (const std::string& text : texts)
                recoded.push_back(through(utf8ToId3v1, text.data(), text.size(), std::string(), 0));
        } catch (const Error&) {
            continue;
        }
        id3v1Name = page;
        return recoded;
    }
    id3v1Name = tried.front() + kTranslit;
    if (!utf8ToId3v1.open(id3v1Name.c_str(), kUtf8))
        cannotOpen(Error::Kind::Id3v1Encoding, messages::kCannotOpenId3v1Encoding);
    recoded.clear();
    for (const std::string& text : texts)
        recoded.push_back(recode(Step::Id3v1, text, where));
    return recoded;
}

}  // namespace tagshifter
