// One way of reading a file's 8-bit tag text: a code page, UTF-8, or as it
// is; and what else was decided for the file's fields.
#pragma once

#include "text/misreading.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tagshifter::guess {

struct Reading {
    enum class Kind { CodePage, Utf8, AsItIs };

    Kind kind = Kind::AsItIs;
    std::string codePage;  // the iconv name, for Kind::CodePage only

    // Beyond the reading itself (not compared by ==):
    std::vector<std::string> keptAsItIs;  // labels of fields that read better as they are
    // Labels of the fields recoded, each with the reader its bytes came through.
    std::vector<std::pair<std::string, Reader>> readers;
    bool nothingFits = false;  // as it is because no reading gave plausible text
    // How far, in penalty points, the file's next most plausible reading lies
    // behind this one (negative when this one is not the most plausible, as
    // when a margin was not met); nothing when no other reading is valid.
    std::optional<double> margin;
    // Each judged field of a file read in a page or UTF-8: whether it was
    // read so or kept as it is, and how far, in penalty points, the other
    // of the two lies behind (nothing when the reading cannot decode it).
    struct Field {
        std::string label;
        bool asItIs = false;
        std::optional<double> margin;
    };
    std::vector<Field> fields;

    static Reading asItIs() { return {}; }
    static Reading utf8() { return of(Kind::Utf8, {}); }
    static Reading page(std::string name) { return of(Kind::CodePage, std::move(name)); }
    static Reading of(Kind kind, std::string codePage)
    {
        Reading reading;
        reading.kind = kind;
        reading.codePage = std::move(codePage);
        return reading;
    }

    // What the preview shows: the code page's name as given ("cp1251"),
    // "utf-8", or "left as it is", then each field kept as it is
    // ("cp1251; comment as it is"); or "no page of the list fits".
    std::string label() const;

    bool operator==(const Reading& other) const
    {
        return kind == other.kind && codePage == other.codePage;
    }
    bool operator!=(const Reading& other) const { return !(*this == other); }
};

}  // namespace tagshifter::guess
