#include "io/read_guard.h"

#include "common/messages.h"

#include <taglib/id3v2frame.h>
#include <taglib/id3v2tag.h>

#include <algorithm>

namespace tagshifter::io {

std::optional<std::string> findMisreadFrame(const RawTag& old, const TagLib::ID3v2::Tag& tag)
{
    // Each field's frame id, and its ID3v2.2 id, which TagLib renames.
    static const std::pair<const char*, const char*> kFields[] = {
        {"TIT2", "TT2"}, {"TPE1", "TP1"}, {"TALB", "TAL"}, {"COMM", "COM"}, {"TCON", "TCO"},
    };
    const TagLib::ID3v2::FrameListMap& frames = tag.frameListMap();
    for (const auto& [id, v22] : kFields) {
        const bool holdsText = std::any_of(old.frames.begin(), old.frames.end(), [&](const RawFrame& frame) {
            return frame.holdsText && (frame.id == id || frame.id == v22);
        });
        if (!holdsText)
            continue;
        const auto found = frames.find(id);
        const bool read = found != frames.end()
                          && std::any_of(found->second.begin(), found->second.end(),
                                         [](const TagLib::ID3v2::Frame* frame) { return !frame->toString().isEmpty(); });
        if (!read)
            return messages::kFramePrefix + std::string(id) + messages::kFrameReadEmptySuffix;
    }
    return std::nullopt;
}

}  // namespace tagshifter::io
