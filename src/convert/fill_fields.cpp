#include "convert/fill_fields.h"

#include <taglib/tag.h>

#include <utility>

namespace tagshifter {

void fillMissingFields(const TagLib::Tag& source, TagLib::Tag& target)
{
    using Text = TagLib::String (TagLib::Tag::*)() const;
    using SetText = void (TagLib::Tag::*)(const TagLib::String&);
    const std::pair<Text, SetText> texts[] = {
        {&TagLib::Tag::title, &TagLib::Tag::setTitle},     {&TagLib::Tag::artist, &TagLib::Tag::setArtist},
        {&TagLib::Tag::album, &TagLib::Tag::setAlbum},     {&TagLib::Tag::comment, &TagLib::Tag::setComment},
        {&TagLib::Tag::genre, &TagLib::Tag::setGenre},
    };
    for (const auto& [get, set] : texts) {
        if (!(target.*get)().isEmpty())
            continue;
        const TagLib::String value = (source.*get)();
        if (!value.isEmpty())
            (target.*set)(value);
    }
    if (target.year() == 0 && source.year() != 0)
        target.setYear(source.year());
    if (target.track() == 0 && source.track() != 0)
        target.setTrack(source.track());
}

}  // namespace tagshifter
