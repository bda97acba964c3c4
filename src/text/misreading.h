// The readers through which tag writers misread legacy bytes and saved what
// they showed as Unicode: one list, each reader a table of the 256 bytes.
#pragma once

#include <taglib/tstring.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace tagshifter {

// One reader of the list (readers()).
struct Reader {
    unsigned char index = 0;

    // The readers the code names: the plain ones, through which genuine text
    // is also read, and the one a test or two name.
    static const Reader Latin1;
    static const Reader Windows1252;
    static const Reader MacRoman;

    bool operator==(Reader other) const { return index == other.index; }
    bool operator!=(Reader other) const { return index != other.index; }
};
inline constexpr Reader Reader::Latin1{0};
inline constexpr Reader Reader::Windows1252{1};
inline constexpr Reader Reader::MacRoman{2};

// Every reader, in the order the guess tries them.
const std::vector<Reader>& readers();

// Its name in a test's message ("windows-1252", "cp1251 of UTF-8").
const char* readerName(Reader reader);

// A plain reader is how genuine text reaches a legacy frame; any other,
// when nothing plainer holds a text, shows that the text was misread.
bool isPlain(Reader reader);

// Whether the bytes behind a text read through `reader` can be text in a
// code page (Latin-1, Windows-1252, Mac OS Roman), or only in UTF-8 (a
// legacy page of its own that showed UTF-8: "РџСЂРёРІРµС‚").
bool readsUtf8Only(Reader reader);

// The character `reader` shows for `byte`; a byte its page leaves undefined
// shows as the C1 control of its value, as Windows shows it.
char32_t readerPoint(Reader reader, unsigned char byte);
// The same for every byte at once, for a caller that reads many.
const std::array<char32_t, 256>& readerPoints(Reader reader);

// The bytes behind `text` through `reader`, or nothing when a character lies
// outside the reader's image.
std::optional<std::string> bytesThrough(const TagLib::String& text, Reader reader);

// The same for the Latin-1 text `latin1` spells, made in place without the
// TagLib string (4 bytes a character): false, the bytes left as they were,
// when a character lies outside the reader's image.
bool readLatin1Through(std::string& latin1, Reader reader);

// Whether bytes that came through `reader` are worth a guess: some are not
// ASCII and, for a reader of UTF-8 only, they are whole UTF-8.
bool worthReading(const std::string& bytes, Reader reader);

}  // namespace tagshifter
