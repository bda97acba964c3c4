#include "text/encoding_choice.h"

namespace tagshifter {

namespace {
const char kUnicode[] = "unicode";
const char kNone[] = "none";
const char kAuto[] = "auto";
const char kAutoListPrefix[] = "auto:";
}  // namespace

SourceEncoding SourceEncoding::parse(const std::string& name)
{
    if (name == kUnicode)
        return {Kind::Unicode, {}, false, {}};
    if (name == kAuto)
        return {Kind::Auto, {}, true, {}};
    if (name.rfind(kAutoListPrefix, 0) != 0)
        return ofCodePage(name);
    SourceEncoding source{Kind::Auto, {}, false, {}};
    const std::string list = name.substr(sizeof kAutoListPrefix - 1);
    for (size_t start = 0; start <= list.size();) {
        size_t end = list.find(',', start);
        if (end == std::string::npos)
            end = list.size();
        source.names.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return source;
}

std::string SourceEncoding::name() const
{
    switch (kind) {
    case Kind::CodePage: return codePage;
    case Kind::Unicode: return kUnicode;
    case Kind::Auto: break;
    }
    if (builtInList)
        return kAuto;
    std::string text = kAutoListPrefix;
    for (size_t i = 0; i < names.size(); ++i)
        text += (i ? "," : "") + names[i];
    return text;
}

TargetEncoding TargetEncoding::parse(const std::string& name, bool perFile)
{
    if (name == kNone)
        return {Kind::None, {}};
    if (name == kUnicode)
        return {Kind::Unicode, {}};
    if (perFile && name == kAuto)
        return {Kind::PerFile, {}};
    return {Kind::CodePage, name};
}

std::string TargetEncoding::name() const
{
    switch (kind) {
    case Kind::None: return kNone;
    case Kind::Unicode: return kUnicode;
    case Kind::PerFile: return kAuto;
    case Kind::CodePage: break;
    }
    return codePage;
}

}  // namespace tagshifter
