#include "io/quick_fields.h"

#include "io/original_file.h"

#include <taglib/id3v1genres.h>
#include <taglib/tstring.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tagshifter::io {
namespace {

enum Field { kTitle, kArtist, kAlbum, kComment, kGenre };

uint8_t byteAt(const std::string& bytes, size_t at) { return static_cast<uint8_t>(bytes[at]); }

uint32_t bigEndian(const std::string& bytes, size_t at)
{
    return uint32_t{byteAt(bytes, at)} << 24 | uint32_t{byteAt(bytes, at + 1)} << 16
           | uint32_t{byteAt(bytes, at + 2)} << 8 | byteAt(bytes, at + 3);
}

bool syncSafe(const std::string& bytes, size_t at, uint32_t& value)
{
    value = 0;
    for (size_t i = 0; i < 4; ++i) {
        if (byteAt(bytes, at + i) & 0x80)
            return false;
        value = value << 7 | byteAt(bytes, at + i);
    }
    return true;
}

// Four capitals or digits at `at`, before `end`.
bool frameIdAt(const std::string& bytes, uint64_t at, size_t end)
{
    if (at + 4 > end)
        return false;
    for (size_t i = at; i < at + 4; ++i)
        if (!((bytes[i] >= 'A' && bytes[i] <= 'Z') || (bytes[i] >= '0' && bytes[i] <= '9')))
            return false;
    return true;
}

// Frames TagLib drops from an ID3v2.3 tag, ending its reading of the tag there.
bool droppedByTagLib(const std::string& id)
{
    return id == "EQUA" || id == "RVAD" || id == "TIME" || id == "TRDA" || id == "TSIZ"
           || id == "TDAT";
}

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
    if (head.size() < 10 || head.compare(0, 3, "ID3") != 0)
        return false;
    const uint8_t version = byteAt(head, 3);
    const uint8_t flags = byteAt(head, 5);
    uint32_t size = 0;
    if ((version != 3 && version != 4) || byteAt(head, 4) == 0xFF || (flags & 0xD0)
        || !syncSafe(head, 6, size) || size < 10 || 10 + uint64_t{size} > fileSize
        || 10 + size_t{size} > head.size())
        return false;
    tagEnd = 10 + uint64_t{size};
    const size_t end = 10 + size_t{size};
    bool seen[5] = {};
    bool commentChosen = false;
    size_t at = 10;
    while (at + 10 < end) {  // as TagLib: a frame header must leave a byte
        if (head[at] == '\0')
            break;  // padding
        const std::string id = head.substr(at, 4);
        uint32_t frameSize = 0;
        if (!frameIdAt(head, at, end) || head[at + 9] != 0)  // no id, or flags on its content
            return false;
        if (version == 3) {
            frameSize = bigEndian(head, at + 4);
            if (droppedByTagLib(id))
                return false;
        } else if (!syncSafe(head, at + 4, frameSize)) {
            return false;
        } else if (frameSize > 127 && !frameIdAt(head, at + 10 + uint64_t{frameSize}, end)
                   && frameIdAt(head, at + 10 + uint64_t{bigEndian(head, at + 4)}, end)) {
            return false;  // TagLib would take the size for a plain number, as iTunes wrote it
        }
        if (frameSize == 0 || frameSize > end - at - 10)
            return false;
        const std::string body = head.substr(at + 10, frameSize);
        at += 10 + frameSize;

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
        fields[kGenre] = TagLib::ID3v1::genre(byteAt(tag, 127)).to8Bit(false);
    return fields;
}

std::optional<FiveFields> readQuickFiveFields(const std::string& name)
{
    struct Descriptor {
        int fd;
        ~Descriptor()
        {
            if (fd >= 0)
                close(fd);
        }
    } file{open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    struct stat status {};
    if (file.fd < 0 || fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    const uint64_t size = static_cast<uint64_t>(status.st_size);
    std::string head, tail;
    if (!preadFully(file.fd, 0, std::min(size, kQuickHead), head))
        return std::nullopt;
    uint32_t tagSize = 0;
    if (head.size() >= 10 && head.compare(0, 3, "ID3") == 0 && syncSafe(head, 6, tagSize)
        && 10 + uint64_t{tagSize} > head.size() && 10 + uint64_t{tagSize} <= size
        && !preadFully(file.fd, head.size(), 10 + uint64_t{tagSize} - head.size(), head))
        return std::nullopt;
    const uint64_t tailSize = std::min(size, kQuickTail);
    if (!preadFully(file.fd, size - tailSize, tailSize, tail))
        return std::nullopt;
    return quickFiveFields(head, tail, size);
}

}  // namespace tagshifter::io
