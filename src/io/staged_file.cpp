#include "io/staged_file.h"

#include "id3/id3v2.h"
#include "io/frame_guard.h"

#include <taglib/id3v2framefactory.h>
#include <taglib/taglib.h>

namespace tagshifter::io {

namespace {

// The ID3v2 tags at the start of the content read by `read(offset, length)`:
// the first and any that follow right behind it.
template <typename Read>
std::vector<RawTag> leadingTags(Read read)
{
    std::vector<RawTag> tags;
    uint64_t offset = 0;
    while (tags.size() < 16) {
        const auto header = id3::readTagHeader(read(offset, 10));
        if (!header)
            break;
        const auto tag = readRawTag(read(offset, header->totalSize()));
        if (!tag)
            break;
        tags.push_back(*tag);
        offset += tag->end;
    }
    return tags;
}

}  // namespace

StagedFile::StagedFile(const std::string& name, TagLib::ID3v2::FrameFactory* factory,
                       uint64_t wholeReadLimit, sys::FolderCache* folders, int64_t walked)
    : original_(name, wholeReadLimit, folders, walked), stream_(original_)
{
    if (!original_.isOpen())
        return;
#if TAGLIB_MAJOR_VERSION >= 2
    file_ = std::make_unique<TagLib::MPEG::File>(&stream_, false, TagLib::AudioProperties::Average,
                                                 factory);
#else
    file_ = std::make_unique<TagLib::MPEG::File>(&stream_, factory, false);
#endif
}

CommitResult StagedFile::commit(const CommitRequest& request)
{
    if (request.id3v2Written) {
        const std::vector<RawTag> before = leadingTags([this](uint64_t offset, uint64_t length) {
            std::string bytes;
            original_.read(offset, length, bytes);
            return bytes;
        });
        const std::vector<RawTag> after = leadingTags(
            [this](uint64_t offset, uint64_t length) { return stream_.contentAt(offset, length); });
        std::optional<RawTag> written;
        if (!after.empty())
            written = after.front();
        if (auto loss = findFrameLoss(before, written, request.id3v2Version))
            return {false, CommitPath::Unchanged, *loss, true};
    }
    return commitEdits(original_, stream_, request.options);
}

}  // namespace tagshifter::io
