#include "io/staged_file.h"

#include "common/format.h"
#include "common/messages.h"
#include "id3/id3v2.h"
#include "io/audio_guard.h"
#include "io/frame_guard.h"
#include "io/read_guard.h"

#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/taglib.h>

#include <functional>
#include <string_view>

namespace tagshifter::io {

namespace {

// Gives the bytes of [offset, offset + length) as the bytesAt of the
// original file or of the edits does: a view, or a copy in `spill`.
using ViewBytes = std::function<std::string_view(uint64_t offset, uint64_t length, std::string& spill)>;

// The ID3v2 tags at the start of the content `view` gives: the first and
// any that follow right behind it.
std::vector<RawTag> leadingTags(const ViewBytes& view)
{
    std::vector<RawTag> tags;
    const id3::ReadBytes read = [&view](uint64_t offset, uint64_t length) {
        std::string spill;
        return std::string(view(offset, length, spill));
    };
    std::string spill;
    for (const id3::PlacedTag& placed : id3::tagChain(read)) {
        auto tag = readRawTag(view(placed.at, placed.header.totalSize(), spill));
        if (!tag)
            break;
        tags.push_back(std::move(*tag));
    }
    return tags;
}

// Why the tags of `chain` are too large to be read, or nothing.
std::string whyTooLarge(const std::vector<id3::PlacedTag>& chain, const id3::ReadBytes& read)
{
    const uint64_t size = chain.empty() ? 0 : chain.back().end() - chain.front().at;
    if (size > kLargestTag)
        return formatted(messages::kTagTooLarge, static_cast<unsigned long long>(kLargestTag >> 20));
    if (size <= kLargestTextFrame)
        return {};
    const id3::TagHeader& header = chain.front().header;
    const auto tag = id3::readTagHeader(read(chain.front().at, 10));
    if (!tag)
        return {};
    const std::string body = read(chain.front().at + 10, header.bodySize);
    std::string spill;
    const std::string_view area = id3::frameArea(*tag, body, spill);
    for (const id3::Frame& frame : id3::walkFrames(area, tag->version).frames) {
        const bool text = frame.id[0] == 'T' || frame.id == "COMM" || frame.id == "COM" || frame.id == "USLT"
                          || frame.id == "ULT";
        if (text && frame.size > kLargestTextFrame)
            return formatted(messages::kFrameTooLarge, frame.id.c_str(),
                             static_cast<unsigned long long>(kLargestTextFrame >> 20));
    }
    return {};
}

// TagLib reads the size of an ID3v2.3 extended header as ID3v2.4 counts
// it, with its own four bytes, and so takes the header's last bytes for the
// frames' start: it finds no frame at all. Where the size is a plain one
// that fits the tag, TagLib is handed the same size counted its way (the
// same four bytes, sync-safe), and reads the frames where this tool's
// reader does. The extended header is not written back: the tag is
// rewritten or removed on save.
void patchExtendedHeaderSize(const id3::PlacedTag& tag, const id3::ReadBytes& read, EditStream& stream)
{
    const id3::TagHeader& header = tag.header;
    if (header.version != 3 || !header.hasExtendedHeader())
        return;
    const std::string size = read(tag.at + 10, 4);
    // Under unsynchronisation a 0xFF there carries a stuffed zero behind it,
    // which the new size would leave standing.
    if (size.size() < 4 || (header.unsynchronised() && size.find('\xFF') != std::string::npos))
        return;
    uint64_t counted = 0;
    for (const char byte : size)
        counted = (counted << 8) | static_cast<uint8_t>(byte);
    counted += 4;
    if (counted > header.bodySize)
        return;  // neither reader skips what does not fit
    char syncSafe[4];
    for (int i = 0; i < 4; ++i)
        syncSafe[i] = static_cast<char>((counted >> (7 * (3 - i))) & 0x7F);
    stream.seek(static_cast<StreamOffset>(tag.at + 10));
    stream.writeBlock(TagLib::ByteVector(syncSafe, 4));
}

}  // namespace

StagedFile::StagedFile(const std::string& name, TagLib::ID3v2::FrameFactory* factory,
                       uint64_t wholeReadLimit, sys::FolderCache* folders, int64_t walked, bool shortened)
    : original_(name, wholeReadLimit, folders, walked), stream_(original_)
{
    if (!original_.isOpen())
        return;
    // TagLib takes the footer flag of any tag for a footer and would drop
    // the 10 bytes behind the tag with it: where no footer stands, it reads
    // the flag cleared. The tag is rewritten or removed on save, so the
    // cleared flag never reaches the disk by itself.
    const std::vector<id3::PlacedTag> chain = id3::tagChain(readOriginal());
    for (const id3::PlacedTag& placed : chain) {
        if (!placed.header.claimsFooter() || placed.header.footer)
            continue;
        stream_.seek(static_cast<StreamOffset>(placed.at + 5));
        stream_.writeBlock(TagLib::ByteVector(1, static_cast<char>(placed.header.flags & ~0x10)));
    }
    if (!chain.empty())
        patchExtendedHeaderSize(chain.front(), readOriginal(), stream_);
    stream_.seek(0);
    tooLarge_ = whyTooLarge(chain, readOriginal());
    if (!tooLarge_.empty())
        return;
    if (shortened && !chain.empty())
        shortened_ = shortenLargeFrames(chain.front(), readOriginal(), stream_);
#if TAGLIB_MAJOR_VERSION >= 2
    file_ = std::make_unique<TagLib::MPEG::File>(&stream_, false, TagLib::AudioProperties::Average,
                                                 factory);
#else
    file_ = std::make_unique<TagLib::MPEG::File>(&stream_, factory, false);
#endif
    // A read that failed gave TagLib nothing or part of the file: its
    // reading (no tag at all, say) is no verdict on the file.
    if (original_.failed()) {
        tooLarge_ = messages::kReadError;
        file_.reset();
    }
}

id3::ReadBytes StagedFile::readOriginal()
{
    return [this](uint64_t offset, uint64_t length) {
        std::string bytes;
        original_.read(offset, length, bytes);
        return bytes;
    };
}

const std::vector<RawTag>& StagedFile::tagsBefore()
{
    if (!tagsBefore_)
        tagsBefore_ = leadingTags([this](uint64_t offset, uint64_t length, std::string& spill) {
            return original_.bytesAt(offset, length, spill);
        });
    return *tagsBefore_;
}

std::optional<std::string> StagedFile::misreadFrame()
{
    const TagLib::ID3v2::Tag* tag = file_->ID3v2Tag();
    if (tag == nullptr || tagsBefore().empty())
        return std::nullopt;
    if (auto why = findMisreadFrame(tagsBefore().front(), *tag))
        return why;
    return findUnreadField(tagsBefore());
}

const std::vector<ShortenedText>& StagedFile::shortenedTexts() const
{
    static const std::vector<ShortenedText> kNone;
    return shortened_ ? shortened_->texts : kNone;
}

std::string StagedFile::wholeText(const ShortenedText& text)
{
    std::string bytes;
    original_.read(text.at, text.size, bytes);
    return bytes;
}

CommitResult StagedFile::commit(const CommitRequest& request)
{
    if (shortened_ && (request.id3v2Written || !shortened_->gone(stream_)))
        return {false, CommitPath::Unchanged, messages::kShortenedTagKept, true};
    if (request.id3v2Written) {
        const std::vector<RawTag>& before = tagsBefore();
        const std::vector<RawTag> after = leadingTags([this](uint64_t offset, uint64_t length, std::string& spill) {
            return stream_.bytesAt(offset, length, spill);
        });
        std::optional<RawTag> written;
        if (!after.empty())
            written = after.front();
        if (auto loss = findFrameLoss(before, written, request.id3v2Version))
            return {false, CommitPath::Unchanged, *loss, true};
    }
    if (auto loss = findAudioLoss(stream_.pieces(), original_))
        return {false, CommitPath::Unchanged, *loss, true};
    return commitEdits(original_, stream_, request.options);
}

}  // namespace tagshifter::io
