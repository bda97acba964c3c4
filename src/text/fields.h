// The five fields every tag holds, in the one order they are read,
// converted, listed and reported in.
#pragma once

#include "common/messages.h"

#include <taglib/tag.h>

#include <array>

namespace tagshifter {

struct TagField {
    TagLib::String (TagLib::Tag::*get)() const;
    void (TagLib::Tag::*set)(const TagLib::String&);
    const char* name;         // in messages and JSON
    const char* frameId;      // its ID3v2 frame: the field's label in the guess's plan
    const char* previewLine;  // its line in the preview
};

inline constexpr std::array<TagField, 5> kTagFields = {{
    {&TagLib::Tag::title, &TagLib::Tag::setTitle, messages::kFieldTitle, "TIT2", messages::kPreviewTitle},
    {&TagLib::Tag::artist, &TagLib::Tag::setArtist, messages::kFieldArtist, "TPE1", messages::kPreviewArtist},
    {&TagLib::Tag::album, &TagLib::Tag::setAlbum, messages::kFieldAlbum, "TALB", messages::kPreviewAlbum},
    {&TagLib::Tag::comment, &TagLib::Tag::setComment, messages::kFieldComment, "COMM", messages::kPreviewComment},
    {&TagLib::Tag::genre, &TagLib::Tag::setGenre, messages::kFieldGenre, "TCON", messages::kPreviewGenre},
}};

}  // namespace tagshifter
