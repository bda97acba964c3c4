#include "app/formats.h"

#include "mp3/mp3_format.h"

#include <iterator>

namespace tagshifter {

namespace {

struct Entry {
    bool (*takesName)(const std::string& name);
    std::unique_ptr<format::Format> (*make)(const Settings& settings);
};

const Entry kFormats[] = {
    {mp3::takesName,
     [](const Settings& settings) -> std::unique_ptr<format::Format> {
         // Text frames, new and parsed alike, take the target's encoding:
         // UTF-8 for Unicode (UTF-16 in ID3v2.3), and Latin-1 for a code
         // page, so that the code page's bytes (carried one per Latin-1
         // character) reach the disk unchanged. TagLib still widens a frame
         // whose text is not Latin-1, so nothing is lost.
         return std::make_unique<mp3::Mp3Format>(id3v2TextEncoding(
             settings.id3v2.kind == TargetEncoding::Kind::Unicode, settings.id3v2Version));
     }},
};

}  // namespace

Formats::Formats(const Settings& settings) : settings_(settings), made_(std::size(kFormats)) {}

bool Formats::takesName(const std::string& name)
{
    for (const Entry& entry : kFormats)
        if (entry.takesName(name))
            return true;
    return false;
}

format::Format& Formats::of(const std::string& name)
{
    size_t index = 0;
    for (size_t i = 1; i < std::size(kFormats); ++i)
        if (kFormats[i].takesName(name))
            index = i;
    if (!made_[index])
        made_[index] = kFormats[index].make(settings_);
    return *made_[index];
}

}  // namespace tagshifter
