#include "app/formats.h"

#include "mp3/mp3_format.h"

namespace tagshifter {

namespace {

struct Entry {
    bool (*takesName)(const std::string& name);
    std::unique_ptr<format::Format> (*make)(const Settings& settings);
};

// The main tag's large frames are read whole only where a tag is written
// from them (an ID3v2 target) or they are shown (the preview of -a's other
// frames); --json reports a field's text from its frame's bytes, and -s auto
// judges the texts from the album pass's own reading.
template <typename Each>
std::unique_ptr<format::Format> make(const Settings& settings)
{
    const bool written = settings.id3v2.isWritten();
    const bool shortened = settings.previewOnly ? !(settings.allFrames && written) : !written;
    return std::make_unique<Each>(settings.id3v2, settings.id3v2Version, shortened);
}

const Entry kFormats[] = {
    {mp3::takesName, make<mp3::Mp3Format>},
};

}  // namespace

Formats::Formats(const Settings& settings)
{
    for (const Entry& entry : kFormats)
        formats_.push_back(entry.make(settings));
}

bool Formats::takesName(const std::string& name)
{
    for (const Entry& entry : kFormats)
        if (entry.takesName(name))
            return true;
    return false;
}

// The first format takes what no other claims: a file named on the command line is
// converted whatever its name, as it always was, and only the walk asks takesName.
format::Format& Formats::of(const std::string& name)
{
    for (size_t i = 1; i < formats_.size(); ++i)
        if (kFormats[i].takesName(name))
            return *formats_[i];
    return *formats_.front();
}

}  // namespace tagshifter
