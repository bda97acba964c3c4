#include "convert/fill_fields.h"

#include "convert/packed_text.h"
#include "text/fields.h"

#include <taglib/tag.h>

namespace tagshifter {

void fillMissingFields(const TagLib::Tag& source, TagLib::Tag& target)
{
    for (const TagField& field : kTagFields) {
        // A packed text is never empty, and asking would decode all of it.
        if (holdsPackedText(target, field.frameId) || !(target.*field.get)().isEmpty())
            continue;
        const TagLib::String value = (source.*field.get)();
        if (!value.isEmpty())
            (target.*field.set)(value);
    }
    if (target.year() == 0 && source.year() != 0)
        target.setYear(source.year());
    if (target.track() == 0 && source.track() != 0)
        target.setTrack(source.track());
}

}  // namespace tagshifter
