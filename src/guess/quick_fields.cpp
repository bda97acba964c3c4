#include "guess/quick_fields.h"

#include "id3/id3v2.h"
#include "io/original_file.h"
#include "sys/fd.h"

#include <taglib/id3v1genres.h>
#include <taglib/tstring.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tagshifter::guess {
namespace {

enum Field { kTitle, kArtist, kAlbum, kComment, kGenre };

// A text frame in Latin-1 holding one value (trailing zeros allowed).
bool singleText(const std::string& body, std::string& text)
{
    if (body.empty() || body[0] != 0)
        return false;
    size_t end = body.size();
    while (end > 1 && body[end - 1] == '\0')
        --end;
    text = body.substr(1, end - 1);
    return text.find('\0') == std::string::npos;
}

// A comment frame in Latin-1: language, description up to a zero, text.
// TagLib sees neither when nothing follows the first zero.
bool commentText(const std::string& body, std::string& description, std::string& text)
{
    description.clear(), text.clear();
    if (body.empty() || body[0] != 0)
        return false;
    if (body.size() < 5)
        return true;
    const size_t zero = body.find('\0', 4);
    if (zero == std::string::npos || zero + 1 >= body.size())
        return true;
    description = body.substr(4, zero - 4);
    text = body.substr(zero + 1, body.find('\0', zero + 1) - zero - 1);
    return true;
}

// What TagLib makes of a genre frame's one value: a number is a genre of ID3v1.
bool genreText(std::string& text)
{
    if (!text.empty() && text[0] == '(')
        return false;  // "(17)" references
    bool number = false;
    const int value = TagLib::String(text, TagLib::String::Latin1).toInt(&number);
    if (number)
        text = value >= 0 && value <= 255 ? TagLib::ID3v1::genre(value).to8Bit(false) : text;
    return true;
}

bool readId3v2(const std::string& head, uint64_t fileSize, FiveFields& fields, uint64_t& tagEnd)
{
    const auto header = id3::readTagHeader(head);
    if (!header || (header->version != 3 && header->version != 4) || (header->flags & 0xD0)
        || header->bodySize < 10 || header->totalSize() > fileSize || header->totalSize() > head.size())
        return false;
    tagEnd = header->totalSize();
    const std::string_view area = std::string_view(head).substr(10, header->bodySize);
    const id3::FrameWalk walk = id3::walkFrames(area, header->version);
    if (!walk.complete)
        return false;
    bool seen[5] = {};
    bool commentChosen = false;
    for (const id3::Frame& frame : walk.frames) {
        // Flags on its content, an ID3v2.2 id TagLib renames, or a frame its
        // upgrade drops: TagLib's reading may differ from this one.
        if (frame.format != 0 || frame.id.size() != 4
            || (header->version == 3 && id3::droppedGoingTo24(frame.id)))
            return false;
        const std::string body(area.substr(frame.at, frame.size));
        const std::string& id = frame.id;
        const int field = id == "TIT2" ? kTitle : id == "TPE1" ? kArtist : id == "TALB" ? kAlbum
                          : id == "TCON" ? kGenre : id == "COMM" ? kComment : -1;
        if (field == kComment) {
            std::string description, text;
            if (!commentText(body, description, text))
                return false;
            // The first comment without a description, else the first comment.
            if (!commentChosen && (description.empty() || !seen[kComment])) {
                fields[kComment] = text;
                commentChosen = description.empty();
            }
            seen[kComment] = true;
        } else if (field >= 0 && !seen[field]) {
            seen[field] = true;
            if (!singleText(body, fields[field]) || (field == kGenre && !genreText(fields[field])))
                return false;
        }
    }
    return true;
}

// TagLib's reading of an ID3v1 text: up to the first zero, without the
// spaces around it.
std::string id3v1Text(const std::string& tag, size_t at, size_t length)
{
    const std::string raw = tag.substr(at, length);
    return TagLib::String(raw.substr(0, raw.find('\0')), TagLib::String::Latin1)
        .stripWhiteSpace()
        .to8Bit(false);
}

}  // namespace

std::optional<FiveFields> quickFiveFields(const std::string& head, const std::string& tail,
                                          uint64_t fileSize)
{
    FiveFields fields;
    uint64_t tagEnd = 0;
    if (!readId3v2(head, fileSize, fields, tagEnd))
        return std::nullopt;
    if (tail.size() != std::min(fileSize, kQuickTail))
        return std::nullopt;
    const bool hasId3v1 = tail.size() >= 128 && tail.compare(tail.size() - 128, 3, "TAG") == 0;
    if (hasId3v1 && fileSize - 128 < tagEnd)
        return std::nullopt;  // the ID3v1 tag lies inside the ID3v2 tag
    // An APE tag ends just before the ID3v1 tag, or the file.
    const size_t apeFooter = tail.size() - (hasId3v1 ? 128 : 0);
    if (apeFooter >= 32 && tail.compare(apeFooter - 32, 8, "APETAGEX") == 0)
        return std::nullopt;
    if (!hasId3v1)
        return fields;

    const std::string tag = tail.substr(tail.size() - 128);
    const size_t offsets[4] = {3, 33, 63, 97};  // title, artist, album, comment
    for (int field = kTitle; field <= kComment; ++field) {
        if (!fields[field].empty())
            continue;
        if (field == kComment && tag[125] == '\0' && tag[126] != '\0') {
            fields[field] = id3v1Text(tag, 97, 28);  // ID3v1.1: a track number follows
        } else if (field == kComment) {
            // TagLib keeps the spaces of a 30-byte comment.
            const std::string raw = tag.substr(97, 30);
            fields[field] = raw.substr(0, raw.find('\0'));
        } else {
            fields[field] = id3v1Text(tag, offsets[field], 30);
        }
    }
    if (fields[kGenre].empty())
        fields[kGenre] = TagLib::ID3v1::genre(id3::byteAt(tag, 127)).to8Bit(false);
    return fields;
}

std::optional<FiveFields> readQuickFiveFields(const std::string& name)
{
    const sys::Fd file(open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat status {};
    if (!file.valid() || fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    const uint64_t size = static_cast<uint64_t>(status.st_size);
    std::string head, tail;
    if (!io::preadFully(file.get(), 0, std::min(size, kQuickHead), head))
        return std::nullopt;
    const auto header = id3::readTagHeader(head);
    const uint64_t tagSize = header ? header->totalSize() : 0;
    if (tagSize > head.size() && tagSize <= size
        && !io::preadFully(file.get(), head.size(), tagSize - head.size(), head))
        return std::nullopt;
    const uint64_t tailSize = std::min(size, kQuickTail);
    if (!io::preadFully(file.get(), size - tailSize, tailSize, tail))
        return std::nullopt;
    return quickFiveFields(head, tail, size);
}

}  // namespace tagshifter::guess
