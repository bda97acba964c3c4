// The one error type of the tool: what went wrong, and where, told apart by
// its kind. text/, guess/ and convert/ throw it; app/ makes it of what sys/,
// io/ and undo/ return, and catches it (see HACKING.md, "Errors").
#pragma once

#include <stdexcept>
#include <string>

namespace tagshifter {

struct Error : std::runtime_error {
    enum class Kind {
        CannotOpenFile,     // the file does not open, or is not an MPEG file
        SourceEncoding,     // -s names an encoding iconv does not know
        Id3v1Encoding,      // -1 likewise
        Id3v2Encoding,      // -2 likewise
        Id3v1NoUnicode,     // -1 unicode
        Conversion,         // a text that cannot be converted
        SaveFailed,         // TagLib's save of the new tags failed
        NotWritten,         // the disk refused the new content
        Refused,            // the new tag would lose a frame: the file is kept
        Other,              // anything else the run cannot go on from
    };

    // `text` is the message of the "Error: " line, byte for byte.
    Error(Kind kind, std::string text) : std::runtime_error(text), kind(kind) {}

    // An encoding name is wrong for every file: no file is to blame.
    bool isEncodingName() const
    {
        return kind == Kind::SourceEncoding || kind == Kind::Id3v1Encoding
               || kind == Kind::Id3v2Encoding || kind == Kind::Id3v1NoUnicode;
    }

    Kind kind;
    std::string file;        // the file it happened in, once known
    std::string where;       // the field or frame of a conversion; the option of an encoding name
    std::string conversion;  // what it was converted from and to, in words
    std::string reason;      // why a file did not open or was not written; the encoding name
};

}  // namespace tagshifter
