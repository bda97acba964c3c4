#include "io/shortened_frames.h"

#include <algorithm>
#include <map>

namespace tagshifter::io {

namespace {

// The frames whose text the ID3v1 tag takes; the genre (TCON) is parsed by
// TagLib's own rules and always read whole.
bool isFieldFrame(const std::string& id)
{
    return id == "TIT2" || id == "TPE1" || id == "TALB" || id == "COMM" || id == "TCON";
}

// What TagLib reads of a large field frame, and how many of its bytes it is
// handed for that: the text start and kShortenedHead bytes. Nothing where its
// reading would not be the text as it stands: not Latin-1, several texts, a
// zero inside, or a comment whose description leaves no room.
std::optional<ShortenedText> shortenedField(const id3::Frame& frame, std::string_view content, size_t& keep)
{
    if (content.empty() || content[0] != '\0')
        return std::nullopt;
    size_t start = 1;
    if (frame.id == "COMM") {
        const size_t ends = content.size() < 5 ? std::string_view::npos : content.find('\0', 4);
        if (ends == std::string_view::npos)
            return std::nullopt;
        start = ends + 1;
    }
    // A shortened frame's size stays under 128, which ID3v2.4 reads one way only.
    keep = start + kShortenedHead;
    if (keep > 127)
        return std::nullopt;
    std::string_view text = content.substr(start);
    const size_t last = text.find_last_not_of('\0');
    text = text.substr(0, last == std::string_view::npos ? 0 : last + 1);
    if (text.size() <= kShortenedHead || text.find('\0') != std::string_view::npos)
        return std::nullopt;
    ShortenedText shortened;
    shortened.frameId = frame.id;
    shortened.at = 10 + frame.at + start;
    shortened.size = text.size();
    shortened.head = std::string(text.substr(0, kShortenedHead));
    return shortened;
}

}  // namespace

bool ShortenedTag::gone(const EditStream& stream) const
{
    const std::vector<Piece>& pieces = stream.pieces();
    const bool oldBytesLeft = std::any_of(pieces.begin(), pieces.end(), [this](const Piece& piece) {
        return piece.original ? piece.from < end : piece.from < mark;
    });
    // A tag rendered from what TagLib read, in the old one's place.
    const bool newTag = !pieces.empty() && !pieces.front().original
                        && stream.writtenBytes(pieces.front()).substr(0, 3) == "ID3";
    return !oldBytesLeft && !newTag;
}

std::optional<ShortenedTag> shortenLargeFrames(const id3::PlacedTag& first, const id3::ReadBytes& read,
                                               EditStream& stream)
{
    const id3::TagHeader& header = first.header;
    // Unsynchronisation, an extended header and a footer each move the
    // frames from where the tag's bytes put them.
    if (first.at != 0 || (header.version != 3 && header.version != 4) || (header.flags & 0xD0) != 0
        || header.totalSize() <= kShortenedTag)
        return std::nullopt;
    const std::string area = read(10, header.bodySize);
    if (area.size() != header.bodySize)
        return std::nullopt;
    const id3::FrameWalk walk = id3::walkFrames(area, header.version);
    if (!walk.complete)
        return std::nullopt;
    std::map<std::string, int> count;
    for (const id3::Frame& frame : walk.frames) {
        if (frame.id.size() != 4)  // an ID3v2.2 id, which TagLib may rename to a field's
            return std::nullopt;
        ++count[frame.id];
    }

    ShortenedTag tag;
    tag.end = first.end();
    struct Cut {
        size_t frameAt;  // where the frame's content starts in the area
        size_t keep;
        uint32_t size;
    };
    std::vector<Cut> cuts;
    for (const id3::Frame& frame : walk.frames) {
        if (frame.size <= kShortenedFrame || frame.format != 0)
            continue;
        size_t keep = kShortenedHead;
        if (isFieldFrame(frame.id)) {
            if (frame.id == "TCON" || count[frame.id] != 1)
                continue;
            auto text = shortenedField(frame, std::string_view(area).substr(frame.at, frame.size), keep);
            if (!text)
                continue;
            tag.texts.push_back(std::move(*text));
        }
        cuts.push_back({frame.at, keep, frame.size});
    }
    if (cuts.empty())
        return std::nullopt;

    // Back to front, so that each cut's offsets still hold.
    uint64_t removed = 0;
    for (auto cut = cuts.rbegin(); cut != cuts.rend(); ++cut) {
        stream.removeBlock(static_cast<StreamStart>(10 + cut->frameAt + cut->keep), cut->size - cut->keep);
        removed += cut->size - cut->keep;
        // Under 128: the same four bytes in ID3v2.3 and, sync-safe, in 2.4.
        const char size[4] = {0, 0, 0, static_cast<char>(cut->keep)};
        stream.seek(static_cast<StreamOffset>(cut->frameAt + 4));  // the frame's header is 10 bytes before its content
        stream.writeBlock(TagLib::ByteVector(size, 4));
    }
    const uint64_t body = header.bodySize - removed;
    char syncSafe[4];
    for (int i = 0; i < 4; ++i)
        syncSafe[i] = static_cast<char>((body >> (7 * (3 - i))) & 0x7F);
    stream.seek(6);
    stream.writeBlock(TagLib::ByteVector(syncSafe, 4));
    stream.seek(0);
    tag.mark = stream.writtenSize();
    return tag;
}

}  // namespace tagshifter::io
