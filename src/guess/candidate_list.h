// The code pages a guess may choose from: "auto" or "auto:NAME[,NAME...]".
#pragma once

#include "text/encoding_choice.h"

#include <string>
#include <vector>

namespace tagshifter::guess {

class CandidateList {
public:
    // "auto" gives the built-in list of common legacy code pages; "auto:a,b"
    // gives a and b in that order (empty names are skipped, repeats dropped).
    // Every name must be one iconv can convert from to UTF-8: otherwise, or
    // when no name is left, throws the source-encoding Error
    // "Cannot open source encoding.\n".
    static CandidateList parse(const SourceEncoding& source);
    static CandidateList parse(const std::string& source) { return parse(SourceEncoding::parse(source)); }

    // The built-in list that plain "auto" stands for.
    static const std::vector<std::string>& builtIn();

    const std::vector<std::string>& codePages() const { return codePages_; }

private:
    explicit CandidateList(std::vector<std::string> codePages) : codePages_(std::move(codePages)) {}

    std::vector<std::string> codePages_;
};

}  // namespace tagshifter::guess
