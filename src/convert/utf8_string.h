// A TagLib string made from UTF-8, and UTF-8 made from one, at the size
// their characters take.
#pragma once

#include <taglib/tstring.h>

#include <string>

namespace tagshifter {

// The same string as TagLib::String(utf8, UTF8), for text that is valid
// UTF-8. TagLib sizes that one by the bytes, 4 bytes each, and keeps the
// room: a large text of 2-byte letters would take twice what it needs.
// `utf8` is let go as soon as it is read, before the string is made.
TagLib::String stringFromUtf8(std::string utf8);

// The same bytes as value.to8Bit(true), made a piece at a time: TagLib
// makes room for 4 bytes a character of the whole text before it converts.
std::string utf8Of(const TagLib::String& value);

// The same for the Latin-1 text `latin1` spells, without its TagLib string.
std::string utf8OfLatin1(const std::string& latin1);

}  // namespace tagshifter
