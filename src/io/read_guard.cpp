#include "io/read_guard.h"

#include "common/messages.h"
#include "text/fields.h"

#include <taglib/id3v2frame.h>
#include <taglib/id3v2tag.h>
#include <taglib/textidentificationframe.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <string_view>
#include <typeinfo>

namespace tagshifter::io {

namespace {

// Whether TagLib reads text from `frame`: its toString() is not empty. A
// plain text frame's is its fields joined by a space, so it is empty only
// where it holds one empty field or none; asked without building the text,
// since this runs on every file.
bool readsText(const TagLib::ID3v2::Frame& frame)
{
    if (typeid(frame) != typeid(TagLib::ID3v2::TextIdentificationFrame))
        return !frame.toString().isEmpty();
    const TagLib::StringList fields = static_cast<const TagLib::ID3v2::TextIdentificationFrame&>(frame).fieldList();
    return fields.size() > 1 || (fields.size() == 1 && !fields.front().isEmpty());
}

// Each field's ID3v2.2 id, which TagLib renames to its frame id.
const char* const kId3v22Ids[] = {"TT2", "TP1", "TAL", "COM", "TCO"};
static_assert(std::size(kId3v22Ids) == kTagFields.size());

}  // namespace

std::optional<std::string> findUnreadField(const std::vector<RawTag>& tags)
{
    for (size_t t = 1; t < tags.size(); ++t) {
        for (const RawFrame& frame : tags[t].frames) {
            for (size_t i = 0; frame.holdsText && i < kTagFields.size(); ++i) {
                if (frame.id == kTagFields[i].frameId || frame.id == kId3v22Ids[i])
                    return messages::kFramePrefix + frame.id + messages::kFrameLostSuffix;
            }
        }
    }
    return std::nullopt;
}

std::optional<std::string> findMisreadFrame(const RawTag& old, const TagLib::ID3v2::Tag& tag)
{
    // The map's keys, made once.
    static const auto kFrameIds = [] {
        std::array<TagLib::ByteVector, kTagFields.size()> ids;
        for (size_t i = 0; i < ids.size(); ++i)
            ids[i] = kTagFields[i].frameId;
        return ids;
    }();
    // TagLib reads a group byte as the frame's first byte of content,
    // cannot read an encrypted frame, and reads as many bytes as a data
    // length indicator says: its text is not the field's.
    for (const RawFrame& frame : old.frames) {
        const char* why = whyNotKept(frame);
        if (why == nullptr)
            continue;
        for (size_t i = 0; i < kTagFields.size(); ++i) {
            if (frame.id == kTagFields[i].frameId || frame.id == kId3v22Ids[i])
                return messages::kFramePrefix + frame.id + why;
        }
    }
    // A tag TagLib read no frame of, whose frames this reader cannot read
    // either (compressed, or behind an extended header that does not fit),
    // is not an empty tag. Nor is one read up to a frame that stops the
    // walk: a field behind it would go unread, and with the tag removed
    // (-1 alone) lost.
    if (!old.complete && old.frames.empty() && tag.frameList().isEmpty())
        return std::string(messages::kUnreadFrames);
    if (!old.complete && !old.frames.empty())
        return messages::kUnreadPastFrame + old.frames.back().id;
    const TagLib::ID3v2::FrameListMap& frames = tag.frameListMap();
    for (size_t i = 0; i < kTagFields.size(); ++i) {
        // TagLib's reading first: where it reads text, the raw frames need no look.
        const auto found = frames.find(kFrameIds[i]);
        if (found != frames.end()
            && std::any_of(found->second.begin(), found->second.end(),
                           [](const TagLib::ID3v2::Frame* frame) { return readsText(*frame); }))
            continue;
        const std::string_view id = kTagFields[i].frameId;
        const std::string_view v22 = kId3v22Ids[i];
        const bool holdsText = std::any_of(old.frames.begin(), old.frames.end(), [&](const RawFrame& frame) {
            return frame.holdsText && (frame.id == id || frame.id == v22);
        });
        if (holdsText)
            return messages::kFramePrefix + std::string(id) + messages::kFrameReadEmptySuffix;
    }
    return std::nullopt;
}

}  // namespace tagshifter::io
