#include "app/album_pass.h"

#include "convert/frame_factory.h"
#include "convert/source_texts.h"
#include "guess/quick_fields.h"
#include "io/staged_file.h"

#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

namespace tagshifter {

std::string folderOf(const std::string& name)
{
    const size_t slash = name.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    const size_t end = name.find_last_not_of('/', slash);
    return end == std::string::npos ? "/" : name.substr(0, end + 1);
}

std::string sourceEncodingOf(const guess::Reading& reading)
{
    switch (reading.kind) {
    case guess::Reading::Kind::CodePage: return reading.codePage;
    case guess::Reading::Kind::Utf8: return "UTF-8";
    case guess::Reading::Kind::AsItIs: break;
    }
    return "ISO-8859-1";
}

AlbumPass::AlbumPass(const Settings& settings, const FileList& files)
    : settings_(settings), files_(files), fileNames_(files.names), folders_(files.walked),
      readings_(files.size())
{
    for (size_t i = 0; i < fileNames_.size(); ++i)
        waiting_[folderOf(fileNames_[i])].push_back(i);
}

AlbumPass::~AlbumPass() = default;

guess::Reading AlbumPass::readingOf(size_t index)
{
    if (readings_[index])
        return *readings_[index];
    if (!judge_)
        judge_ = std::make_unique<guess::AlbumJudge>(guess::CandidateList::parse(*settings_.source));

    const auto folder = waiting_.find(folderOf(fileNames_[index]));
    const std::vector<size_t> members = std::move(folder->second);
    waiting_.erase(folder);
    std::vector<guess::FileTexts> texts;
    texts.reserve(members.size());
    for (size_t member : members)
        texts.push_back(readTexts(member));
    const std::vector<guess::Reading> judged = judge_->judge(texts);
    for (size_t m = 0; m < members.size(); ++m)
        readings_[members[m]] = judged[m];
    return *readings_[index];
}

guess::FileTexts AlbumPass::readTexts(size_t index) const
{
    const std::string& name = fileNames_[index];
    const int64_t folder = files_.folderOf(index);
    // Every file is opened as the conversion opens it: nothing but a regular
    // file, and no link another user planted followed.
    const bool walkFrames = settings_.allFrames && settings_.id3v2.isWritten();
    // The common layouts are read without TagLib: a tenth of the cost.
    if (!walkFrames) {
        const io::OriginalFile original(name, io::kWholeReadLimit, &folders_, folder);
        if (!original.isOpen())
            return {};
        if (const auto fields = guess::readQuickFiveFields(original.fd(), original.size()))
            return sourceTexts(*fields, settings_.preserveUnicode);
    }
    // Read by TagLib so that both see the same texts, but with frames
    // keeping the encoding they were saved in, which tells Unicode frames
    // from legacy ones.
    io::StagedFile staged(name, &asSaved_, io::kWholeReadLimit, &folders_, folder);
    if (!staged.isOpen())
        return {};
    TagLib::MPEG::File& file = staged.file();
    return sourceTexts(*file.tag(), file.ID3v2Tag(), walkFrames, settings_.preserveUnicode, true);
}

}  // namespace tagshifter
