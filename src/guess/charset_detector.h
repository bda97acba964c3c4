// uchardet's proposal for a text, and how its answer maps onto a candidate list.
#pragma once

#include "guess/reading.h"

#include <optional>
#include <string>
#include <vector>

struct uchardet;

namespace tagshifter::guess {

// One uchardet instance, reset before every text; deleted with the object.
class CharsetDetector {
public:
    CharsetDetector();
    ~CharsetDetector();
    CharsetDetector(const CharsetDetector&) = delete;
    CharsetDetector& operator=(const CharsetDetector&) = delete;

    // uchardet's name for the charset of `bytes` as it gives it ("WINDOWS-1251",
    // "KOI8-R", "ASCII", "UTF-8", ...), or "" when it has no answer.
    std::string detect(const std::string& bytes);

private:
    struct uchardet* handle_;
};

// The reading that uchardet's answer stands for among `codePages`: "UTF-8"
// gives the UTF-8 reading; a code page gives the first of `codePages` that is
// it or a near relative (koi8-u for koi8-r, cp1253 for iso-8859-7, cp1250
// for iso-8859-2, ...). Names are compared without case, '-' or '_'. Gives
// nothing for an answer outside the list, for ASCII and for Latin-1 (the
// text as it is already reads as Latin-1).
std::optional<Reading> mapProposal(const std::string& detectedName,
                                   const std::vector<std::string>& codePages);

// Whether two page names are one page or near relatives (cp1253 and
// iso-8859-7), which uchardet tells apart no better than their texts do.
bool relatives(const std::string& name, const std::string& other);

// Whether uchardet's answer is a page of a script that no page of
// `codePages` writes (Greek for a Cyrillic list): the list misses the page.
bool answersAnotherScript(const std::string& detectedName, const std::vector<std::string>& codePages);

}  // namespace tagshifter::guess
