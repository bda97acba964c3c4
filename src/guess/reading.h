// One way of reading a file's 8-bit tag text: a code page, UTF-8, or as it is.
#pragma once

#include <string>

namespace tagshifter::guess {

struct Reading {
    enum class Kind { CodePage, Utf8, AsItIs };

    Kind kind = Kind::AsItIs;
    std::string codePage;  // the iconv name, for Kind::CodePage only

    static Reading asItIs() { return {}; }
    static Reading utf8() { return {Kind::Utf8, {}}; }
    static Reading page(std::string name) { return {Kind::CodePage, std::move(name)}; }

    // What the preview shows: the code page's name as given ("cp1251"),
    // "utf-8", or "left as it is".
    std::string label() const
    {
        switch (kind) {
        case Kind::CodePage: return codePage;
        case Kind::Utf8: return "utf-8";
        case Kind::AsItIs: break;
        }
        return "left as it is";
    }

    bool operator==(const Reading& other) const
    {
        return kind == other.kind && codePage == other.codePage;
    }
    bool operator!=(const Reading& other) const { return !(*this == other); }
};

}  // namespace tagshifter::guess
