#include "mp3/mp3_format.h"

#include "convert/fill_fields.h"
#include "convert/id3v1_bytes.h"
#include "convert/source_texts.h"
#include "guess/quick_fields.h"
#include "io/staged_file.h"
#include "text/fields.h"

#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <algorithm>
#include <cctype>
#include <optional>

namespace tagshifter::mp3 {

namespace {

class Mp3File : public format::TaggedFile {
public:
    Mp3File(const std::string& name, FrameFactory& factory, sys::FolderCache& folders, int64_t walked,
            bool shortened)
    {
        staged_.emplace(name, &factory, io::kWholeReadLimit, &folders, walked, shortened);
        // Where TagLib does not read each text cut short as its head, it is
        // read the ordinary way.
        if (!staged_->shortenedTexts().empty() && !readsHeads())
            staged_.emplace(name, &factory, io::kWholeReadLimit, &folders, walked, false);
        if (isOpen() && file().ID3v2Tag() != nullptr)
            keepKnownFrames(*file().ID3v2Tag());
    }

    bool isOpen() const override { return staged_->isOpen(); }
    const std::string& whyNotOpen() const override { return staged_->whyNotOpen(); }
    const std::string& tooLarge() const override { return staged_->tooLarge(); }
    const TagLib::Tag& texts() override { return *file().tag(); }
    std::optional<std::string> wholeText(const TagField& field) override
    {
        for (const io::ShortenedText& text : staged_->shortenedTexts())
            if (text.frameId == field.frameId)
                return staged_->wholeText(text);
        return std::nullopt;
    }
    std::optional<std::string> misreadFrame() override { return staged_->misreadFrame(); }
    bool hasLegacyContent() override { return file().hasID3v1Tag() && !file().ID3v1Tag()->isEmpty(); }
    bool hasMainContent() override { return file().hasID3v2Tag() && !file().ID3v2Tag()->frameList().isEmpty(); }
    size_t mainPictures() override { return file().hasID3v2Tag() ? file().ID3v2Tag()->frameList("APIC").size() : 0; }
    TagLib::Tag* legacyTag() override { return file().ID3v1Tag(true); }
    TagLib::Tag* mainTag() override { return file().ID3v2Tag(true); }
    void keepWrittenLegacyBytes(std::vector<TextChange>& texts) override
    {
        keepWrittenId3v1Bytes(*file().ID3v1Tag(), texts);
    }

    bool save(const format::TagsWritten& written) override
    {
        return stripAndSave(file(), (written.legacy ? TagLib::MPEG::File::ID3v1 : 0)
                                        | (written.main ? TagLib::MPEG::File::ID3v2 : 0),
                            written.mainVersion);
    }
    io::CommitResult commit(const format::TagsWritten& written, const io::CommitOptions& options) override
    {
        return staged_->commit({written.main, written.mainVersion, options});
    }

private:
    TagLib::MPEG::File& file() { return staged_->file(); }

    // Whether the field of each text cut short reads as its head, both in
    // the ID3v2 tag and in the tags combined: the text comes from that frame.
    bool readsHeads()
    {
        if (!isOpen() || !tooLarge().empty() || file().ID3v2Tag() == nullptr)
            return false;
        for (const io::ShortenedText& text : staged_->shortenedTexts()) {
            const TagLib::String head(text.head, TagLib::String::Latin1);
            for (const TagField& field : kTagFields)
                if (text.frameId == field.frameId
                    && (fieldText(*file().ID3v2Tag(), file().ID3v2Tag(), field) != head
                        || fieldText(*file().tag(), file().ID3v2Tag(), field) != head))
                    return false;
        }
        return true;
    }

    std::optional<io::StagedFile> staged_;
};

}  // namespace

bool takesName(const std::string& name)
{
    static const char kSuffix[] = ".mp3";
    if (name.size() < sizeof kSuffix)  // a name that is only the suffix is hidden, not an MP3
        return false;
    return std::equal(name.end() - 4, name.end(), kSuffix, [](char c, char lower) {
        return std::tolower(static_cast<unsigned char>(c)) == lower;
    });
}

bool stripAndSave(TagLib::MPEG::File& file, int tagMask, int id3v2Version)
{
    file.strip(~tagMask, true);
    // Both tags written: each takes the fields it lacks from the other, in
    // TagLib's order, but without TagLib's own duplication, which deletes
    // the frames of a field it finds empty in both (a COMM of only a
    // description among them).
    const int both = TagLib::MPEG::File::ID3v1 | TagLib::MPEG::File::ID3v2;
    if ((tagMask & both) == both && file.ID3v1Tag() && file.ID3v2Tag()) {
        fillMissingFields(*file.ID3v1Tag(), *file.ID3v2Tag());
        fillMissingFields(*file.ID3v2Tag(), *file.ID3v1Tag());
    }
    return file.save(tagMask, TagLib::File::StripOthers,
                     id3v2Version == 3 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4,
                     TagLib::File::DoNotDuplicate);
}

// Text frames, new and parsed alike, take the target's encoding: UTF-8 for
// Unicode (UTF-16 in ID3v2.3), and Latin-1 for a code page, so that the code
// page's bytes (carried one per Latin-1 character) reach the disk unchanged.
// TagLib still widens a frame whose text is not Latin-1, so nothing is lost.
Mp3Format::Mp3Format(const TargetEncoding& mainTarget, int id3v2Version, bool shortened)
    : factory_(id3v2TextEncoding(mainTarget.kind == TargetEncoding::Kind::Unicode, id3v2Version)),
      shortened_(shortened)
{
    // A file without an ID3v2 tag gets one that TagLib 1 makes with its
    // shared factory, whatever the file was opened with.
    TagLib::ID3v2::FrameFactory::instance()->setDefaultTextEncoding(factory_.defaultTextEncoding());
}

std::unique_ptr<format::TaggedFile> Mp3Format::open(const std::string& name, sys::FolderCache& folders,
                                                    int64_t walked)
{
    return std::make_unique<Mp3File>(name, factory_, folders, walked, shortened_);
}

std::vector<LabelledText> Mp3Format::textsToJudge(const std::string& name, sys::FolderCache& folders,
                                                  int64_t walked, bool allFrames, bool preserveUnicode,
                                                  std::string& whyNotOpen)
{
    // The common layouts are read without TagLib: a tenth of the cost.
    if (!allFrames) {
        const io::OriginalFile original(name, io::kWholeReadLimit, &folders, walked);
        if (!original.isOpen()) {
            whyNotOpen = original.whyNotOpen();
            return {};
        }
        if (const auto fields = guess::readQuickFiveFields(original.fd(), original.size()))
            return sourceTexts(*fields, preserveUnicode);
    }
    // Read by TagLib so that both see the same texts, but with frames
    // keeping the encoding they were saved in, which tells Unicode frames
    // from legacy ones.
    io::StagedFile staged(name, &asSaved_, io::kWholeReadLimit, &folders, walked);
    if (!staged.isOpen()) {
        whyNotOpen = staged.whyNotOpen();
        return {};
    }
    TagLib::MPEG::File& file = staged.file();
    return sourceTexts(*file.tag(), file.ID3v2Tag(), allFrames, preserveUnicode, true);
}

}  // namespace tagshifter::mp3
