// The text for people that an ID3v2 frame holds (T*** frames, TXXX, COMM,
// USLT), read and written the same way for every kind of frame.
#pragma once

#include <taglib/tstring.h>
#include <taglib/tstringlist.h>

#include <optional>
#include <string>

namespace TagLib::ID3v2 {
class Frame;
}

namespace tagshifter {

struct FrameText {
    std::string id;              // "TPE2", "TXXX", "COMM", ...
    bool described = false;      // TXXX, COMM and USLT carry a description
    TagLib::String description;  // empty when not described
    TagLib::StringList texts;    // a text frame's values; one text for COMM and USLT
    // Read as Unicode: any encoding byte but Latin-1's. Kept as a flag, since
    // a damaged frame's byte need not be one of TagLib's encodings.
    bool unicode = false;
};

// The frame's text, or nothing for a frame that holds none for people.
std::optional<FrameText> frameText(const TagLib::ID3v2::Frame& frame);

// Replaces the frame's description (where it has one) and texts with those
// of `text`, stored in `encoding`. `frame` is the frame `text` was read from.
void setFrameText(TagLib::ID3v2::Frame& frame, const FrameText& text, TagLib::String::Type encoding);

}  // namespace tagshifter
