#include "guess/reading.h"

#include "common/format.h"
#include "common/messages.h"
#include "text/fields.h"

namespace tagshifter::guess {
namespace {

// A field's name in the survey: the five by name, any other frame by its id.
std::string fieldWord(const std::string& label)
{
    for (const TagField& field : kTagFields)
        if (label == field.frameId)
            return field.name;
    return label;
}

}  // namespace

std::string Reading::label() const
{
    if (nothingFits)
        return messages::kReadingNothingFits;
    std::string words = kind == Kind::CodePage ? codePage
                        : kind == Kind::Utf8   ? messages::kReadingUtf8
                                               : messages::kReadingAsItIs;
    for (const std::string& kept : keptAsItIs)
        words += formatted(messages::kReadingFieldKept, fieldWord(kept).c_str());
    return words;
}

}  // namespace tagshifter::guess
