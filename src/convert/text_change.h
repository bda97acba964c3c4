// One text a conversion went through: where it sits, what it was, what it
// became on each target tag.
#pragma once

#include <optional>
#include <string>

namespace tagshifter {

struct TextChange {
    std::string field;           // the name of one of the five fields (text/fields.h), or a frame id
    bool isFrame = false;        // field is a frame id (-a)
    std::string description;     // a described frame's (TXXX, COMM, USLT) description as read
    bool isDescription = false;  // the text is that description itself
    std::string before;          // as the tag read it, in UTF-8 (but see beforeIsLatin1)
    // `before` holds the frame's own Latin-1 bytes, one a character: a large
    // text read from its bytes is kept as they are, not at twice their size.
    bool beforeIsLatin1 = false;
    std::string after;           // converted, in UTF-8
    // `after` was let go while the file is saved (a large text the tag
    // holds packed), to be made again from the Latin-1 `before`.
    bool afterLetGo = false;
    // The bytes set on each enabled target: code-page bytes for a code page.
    // A Unicode ID3v2 target's are `after` itself, not kept twice.
    std::optional<std::string> id3v1, id3v2;
};

}  // namespace tagshifter
