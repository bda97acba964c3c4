// Tag text as the guess and the conversion see it: the readers through which
// tag writers misread legacy bytes, and the labelled texts of one file.
#pragma once

#include <taglib/tstring.h>

#include <optional>
#include <string>

namespace tagshifter {

// How a writer turned a tag's bytes into the characters it saved: Latin-1
// (each byte its own code point), Windows-1252 (0x80-0x9F as "€…‰Œ" and the
// like; its five holes kept as C1 controls, as Windows does) or Mac OS Roman.
enum class Reader { Latin1, Windows1252, MacRoman };

// The character `reader` shows for `byte`.
char32_t readerPoint(Reader reader, unsigned char byte);

// The bytes behind `text` through `reader`, or nothing when a character lies
// outside the reader's image.
std::optional<std::string> bytesThrough(const TagLib::String& text, Reader reader);

// One text of a file's tag, labelled with the frame it came from (TIT2,
// TPE1, TALB, COMM, TCON, or another frame's id under -a), as the bytes
// behind it.
struct LabelledText {
    LabelledText() = default;
    // Latin-1 bytes of a legacy frame with no label (tests, benchmarks).
    LabelledText(std::string latin1) : bytes(std::move(latin1)) {}  // NOLINT: implicit on purpose
    LabelledText(const char* latin1) : bytes(latin1) {}            // NOLINT: implicit on purpose
    LabelledText(std::string label, std::string bytes, Reader reader, bool unicodeFrame)
        : label(std::move(label)), bytes(std::move(bytes)), reader(reader), unicodeFrame(unicodeFrame)
    {
    }

    std::string label;
    std::string bytes;                  // through `reader`
    Reader reader = Reader::Latin1;
    std::optional<std::string> macBytes;  // through Mac OS Roman, when its image holds the text
    bool unicodeFrame = false;          // saved in a frame of a Unicode encoding
    bool evidenceOnly = false;  // Unicode already, in UTF-8: never judged, but tells the language

    bool operator==(const LabelledText& other) const
    {
        return label == other.label && bytes == other.bytes && reader == other.reader
               && macBytes == other.macBytes && unicodeFrame == other.unicodeFrame
               && evidenceOnly == other.evidenceOnly;
    }
};

}  // namespace tagshifter
