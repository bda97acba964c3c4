#include "convert/id3v1_bytes.h"

#include "common/messages.h"

#include <taglib/id3v1tag.h>

#include <algorithm>
#include <cstring>

namespace tagshifter {

namespace {

struct Place {
    const char* field;
    unsigned offset, size;
};

// The layout of the 128-byte block TagLib renders (ID3v1.1).
constexpr Place kPlaces[] = {
    {messages::kFieldTitle, 3, 30},    {messages::kFieldArtist, 33, 30},
    {messages::kFieldAlbum, 63, 30},   {messages::kFieldComment, 97, 28},
    {messages::kFieldGenre, 127, 1},
};

}  // namespace

std::string id3v1AsReadBack(bool comment, std::string bytes)
{
    const size_t room = comment ? 28 : 30;
    if (bytes.size() <= room)
        return bytes;
    bytes.resize(room);
    bytes.erase(bytes.find_last_not_of(' ') + 1);
    return bytes;
}

void keepWrittenId3v1Bytes(const TagLib::ID3v1::Tag& tag, std::vector<TextChange>& texts)
{
    // Rendering recodes every field: only when a text asks for its bytes
    // (texts are kept for the JSON output only).
    if (std::none_of(texts.begin(), texts.end(), [](const TextChange& change) {
            return change.id3v1 && !change.isFrame && !change.isDescription;
        }))
        return;
    const TagLib::ByteVector block = tag.render();
    if (block.size() != 128)
        return;
    for (TextChange& change : texts) {
        if (!change.id3v1 || change.isFrame || change.isDescription)
            continue;
        for (const Place& place : kPlaces) {
            if (change.field != place.field)
                continue;
            std::string bytes(block.data() + place.offset, place.size);
            if (place.size > 1)
                bytes.erase(bytes.find_last_not_of('\0') + 1);
            // Cut, it is written as it reads back (a preview's tag holds it whole).
            if (place.size > 1 && change.id3v1->size() > place.size)
                bytes.erase(bytes.find_last_not_of(' ') + 1);
            change.id3v1 = bytes;
        }
    }
}

}  // namespace tagshifter
