#include "io/audio_guard.h"

#include "common/format.h"
#include "common/messages.h"
#include "id3/id3v2.h"
#include "io/mpeg_frame.h"

#include <algorithm>
#include <utility>

namespace tagshifter::io {

namespace {

using Range = std::pair<uint64_t, uint64_t>;  // [first, second)

// The runs of the original that the new content does not hold.
std::vector<Range> droppedRuns(const std::vector<Piece>& pieces, uint64_t size)
{
    std::vector<Range> kept;
    for (const Piece& piece : pieces)
        if (piece.original && piece.length > 0)
            kept.push_back({piece.from, piece.from + piece.length});
    std::sort(kept.begin(), kept.end());
    std::vector<Range> dropped;
    uint64_t at = 0;
    for (const Range& range : kept) {
        if (range.first > at)
            dropped.push_back({at, range.first});
        at = std::max(at, range.second);
    }
    if (at < size)
        dropped.push_back({at, size});
    return dropped;
}

uint32_t littleEndian(const std::string& bytes, size_t at)
{
    uint32_t value = 0;
    for (size_t i = 4; i-- > 0;)
        value = (value << 8) | id3::byteAt(bytes, at + i);
    return value;
}

// Whether [from, end) is the APE tag whose footer is `footer`: its header
// where the flags say there is one, then as many items as the footer
// counts, up to the footer (zeros aside). TagLib takes the size from the
// footer alone: one that claims more takes the audio before the tag.
bool apeTagFills(OriginalFile& original, uint64_t from, uint64_t end, const std::string& footer)
{
    uint64_t at = from;
    if (littleEndian(footer, 20) & 0x80000000u) {
        std::string header;
        original.read(from, 32, header);
        if (header.size() != 32 || header.compare(0, 8, "APETAGEX") != 0)
            return false;
        at += 32;
    }
    const uint64_t itemsEnd = end - 32;
    // Each item: its value's size and flags, a key of at most 255
    // characters and a zero, then the value.
    constexpr uint64_t kItemHead = 8 + 256;
    for (uint32_t items = littleEndian(footer, 16); items > 0 && at < itemsEnd; --items) {
        std::string head;
        original.read(at, std::min(kItemHead, itemsEnd - at), head);
        const size_t zero = head.find('\0', 8);
        if (head.size() < 8 || zero == std::string::npos)
            return false;
        at += zero + 1 + uint64_t{littleEndian(head, 0)};
    }
    if (at > itemsEnd)
        return false;
    std::string rest;
    original.read(at, itemsEnd - at, rest);
    return rest.size() == itemsEnd - at && rest.find_first_not_of('\0') == std::string::npos;
}

// Whether [from, size) holds nothing but an APE tag, an ID3v1 tag, or an
// APE tag and then an ID3v1 tag: what TagLib finds at the end of a file.
bool onlyEndTags(OriginalFile& original, uint64_t from)
{
    const uint64_t size = original.size();
    uint64_t end = size;
    if (end - from >= 128) {
        std::string id3v1;
        original.read(end - 128, 3, id3v1);
        if (id3v1 == "TAG")
            end -= 128;
    }
    if (end == from)
        return true;
    if (end - from < 32)
        return false;
    std::string footer;
    original.read(end - 32, 32, footer);
    if (footer.size() != 32 || footer.compare(0, 8, "APETAGEX") != 0)
        return false;
    // The size counts the items and the footer; a header, where the flags
    // say there is one, comes before them.
    const uint64_t tagSize = littleEndian(footer, 12) + ((littleEndian(footer, 20) & 0x80000000u) ? 32 : 0);
    return tagSize == end - from && apeTagFills(original, from, end, footer);
}

// A tag whose size reaches past the end of the file, as TagLib takes it,
// swallows whatever follows its frames: where that is not padding (zeros),
// it is audio behind a header that claims too much. The offset of its first
// byte, or the size of the file when the tag holds nothing else.
uint64_t audioInCutTag(OriginalFile& original, const id3::PlacedTag& placed)
{
    const uint64_t size = original.size();
    std::string head;
    original.read(placed.at, 10, head);
    const auto header = id3::readTagHeader(head);
    if (!header || placed.at + 10 >= size)
        return size;
    std::string body;
    original.read(placed.at + 10, size - placed.at - 10, body);
    std::string spill;
    const std::string_view area = id3::frameArea(*header, body, spill);
    const id3::FrameWalk walk = id3::walkFrames(area, header->version);
    const size_t framesEnd = walk.frames.empty() ? 0 : walk.frames.back().at + walk.frames.back().size;
    const size_t first = area.find_first_not_of('\0', framesEnd);
    if (first == std::string_view::npos)
        return size;
    // Counted from the end, where the cut body and its frame area meet.
    return std::max(placed.at + 10, size - std::min<uint64_t>(size, area.size() - first));
}

// A tag whose size claims more than its frames and padding can hold MPEG
// audio behind its zeros, which players that skip the tag by its size never
// play but players that look for frames do: dropping it with the tag loses
// it. The offset of its first frame there, or nothing.
std::optional<uint64_t> audioInPadding(OriginalFile& original, const id3::PlacedTag& placed)
{
    std::string head;
    original.read(placed.at, 10, head);
    const auto header = id3::readTagHeader(head);
    if (!header || header->unsynchronised())
        return std::nullopt;  // no frame sync survives unsynchronisation
    std::string spill;
    std::string areaSpill;
    const std::string_view body = original.bytesAt(placed.at + 10, header->bodySize, spill);
    const std::string_view area = id3::frameArea(*header, body, areaSpill);
    const id3::FrameWalk walk = id3::walkFrames(area, header->version);
    const size_t framesEnd = walk.frames.empty() ? 0 : walk.frames.back().at + walk.frames.back().size;
    // Only what lies behind the last frame is padding; a walk that stopped
    // short leaves frames there, which the frame guard answers for.
    if (!walk.complete || area.find_first_not_of('\0', framesEnd) == std::string_view::npos)
        return std::nullopt;
    const size_t audio = findMpegAudio(area, framesEnd);
    if (audio == std::string_view::npos)
        return std::nullopt;
    return placed.at + 10 + (body.size() - area.size()) + audio;
}

}  // namespace

std::optional<std::string> findAudioLoss(const std::vector<Piece>& pieces, OriginalFile& original)
{
    const uint64_t size = original.size();
    const id3::ReadBytes read = [&original](uint64_t offset, uint64_t length) {
        std::string bytes;
        original.read(offset, length, bytes);
        return bytes;
    };
    for (const Range& run : droppedRuns(pieces, size)) {
        const std::vector<id3::PlacedTag> tags = id3::tagChain(read, run.first);
        uint64_t audio = tags.empty() ? run.first : std::min(size, tags.back().end());
        if (!tags.empty() && tags.back().end() > size)
            audio = audioInCutTag(original, tags.back());
        for (const id3::PlacedTag& tag : tags) {
            if (tag.end() > size || tag.at >= audio)
                break;
            if (const auto inPadding = audioInPadding(original, tag)) {
                audio = *inPadding;
                break;
            }
        }
        if (audio >= run.second || (run.second == size && onlyEndTags(original, audio)))
            continue;
        return formatted(messages::kAudioWouldBeLost, static_cast<unsigned long long>(audio),
                         static_cast<unsigned long long>(run.second - 1));
    }
    return std::nullopt;
}

}  // namespace tagshifter::io
