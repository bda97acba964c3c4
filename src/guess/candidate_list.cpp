// Parsing the candidate list and the built-in list of legacy code pages.
#include "guess/candidate_list.h"

#include "common/error.h"
#include "common/messages.h"

#include "text/code_page.h"

#include <algorithm>

namespace tagshifter::guess {

const std::vector<std::string>& CandidateList::builtIn()
{
    // The legacy pages that tag writers actually used, most common first
    // within each script (the earlier one wins when two read a text alike).
    // Supersets stand for their base: cp932 for shift_jis, gbk for gb2312,
    // cp949 for euc-kr.
    static const std::vector<std::string> pages = {
        "cp1251", "koi8-r", "koi8-u", "cp866", "iso-8859-5",  // Cyrillic
        "cp1250", "iso-8859-2",                               // Central European
        "cp1252",                                             // Western
        "cp1253", "iso-8859-7",                               // Greek
        "cp1254",                                             // Turkish
        "cp1255",                                             // Hebrew
        "cp1256",                                             // Arabic
        "cp1257", "iso-8859-4",                               // Baltic
        "cp1258",                                             // Vietnamese
        "cp874",                                              // Thai
        "cp932",                                              // Japanese
        "gbk",                                                // Chinese, simplified
        "big5",                                               // Chinese, traditional
        "cp949",                                              // Korean
        "euc-jp",  // Japanese on Unix: last, as short Chinese text reads in it too
    };
    return pages;
}

CandidateList CandidateList::parse(const SourceEncoding& source)
{
    if (source.isAuto() && source.builtInList)
        return CandidateList(builtIn());
    std::vector<std::string> pages;
    for (const std::string& name : source.names) {
        if (!name.empty() && std::find(pages.begin(), pages.end(), name) == pages.end()) {
            if (!codePageKnown(name)) {
                Error error = cannotOpenCodePage();
                if (error.kind == Error::Kind::SourceEncoding)
                    error.reason = name;  // the name at fault, not the whole list
                throw error;
            }
            pages.push_back(name);
        }
    }
    if (pages.empty())
        throw Error(Error::Kind::SourceEncoding, messages::kCannotOpenSourceEncoding);
    return CandidateList(std::move(pages));
}

}  // namespace tagshifter::guess
