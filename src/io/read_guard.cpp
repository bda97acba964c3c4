#include "io/read_guard.h"

#include "common/messages.h"
#include "text/fields.h"

#include <taglib/id3v2frame.h>
#include <taglib/id3v2tag.h>

#include <algorithm>
#include <iterator>

namespace tagshifter::io {

std::optional<std::string> findMisreadFrame(const RawTag& old, const TagLib::ID3v2::Tag& tag)
{
    // Each field's ID3v2.2 id, which TagLib renames to its frame id.
    static const char* const kId3v22Ids[] = {"TT2", "TP1", "TAL", "COM", "TCO"};
    static_assert(std::size(kId3v22Ids) == kTagFields.size());
    const TagLib::ID3v2::FrameListMap& frames = tag.frameListMap();
    for (size_t i = 0; i < kTagFields.size(); ++i) {
        const std::string id = kTagFields[i].frameId;
        const std::string v22 = kId3v22Ids[i];
        const bool holdsText = std::any_of(old.frames.begin(), old.frames.end(), [&](const RawFrame& frame) {
            return frame.holdsText && (frame.id == id || frame.id == v22);
        });
        if (!holdsText)
            continue;
        const auto found = frames.find(kTagFields[i].frameId);
        const bool read = found != frames.end()
                          && std::any_of(found->second.begin(), found->second.end(),
                                         [](const TagLib::ID3v2::Frame* frame) { return !frame->toString().isEmpty(); });
        if (!read)
            return messages::kFramePrefix + id + messages::kFrameReadEmptySuffix;
    }
    return std::nullopt;
}

}  // namespace tagshifter::io
