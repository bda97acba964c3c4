// One text of a file's tag as the guess and the conversion see it: labelled
// with its frame, as the bytes behind it through each reader that holds it.
#pragma once

#include "text/misreading.h"

#include <string>
#include <utility>
#include <vector>

namespace tagshifter {

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
    std::string bytes;  // through `reader`
    Reader reader = Reader::Latin1;
    // Through the further readers whose image holds the text, bytes unlike these.
    std::vector<std::pair<Reader, std::string>> otherReaders;
    bool unicodeFrame = false;  // saved in a frame of a Unicode encoding
    bool evidenceOnly = false;  // Unicode already, in UTF-8: never judged, but tells the language

    // The bytes behind the text through `through`, when it holds the text.
    const std::string* bytesThrough(Reader through) const
    {
        if (through == reader)
            return &bytes;
        for (const auto& [other, otherBytes] : otherReaders)
            if (other == through)
                return &otherBytes;
        return nullptr;
    }

    bool operator==(const LabelledText& other) const
    {
        return label == other.label && bytes == other.bytes && reader == other.reader
               && otherReaders == other.otherReaders && unicodeFrame == other.unicodeFrame
               && evidenceOnly == other.evidenceOnly;
    }
};

}  // namespace tagshifter
